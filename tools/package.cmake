# Installing and packaging the way Debian ships games: the command (a launcher
# that prepares the player's data directory) in games/, the binary in
# lib/games/vellgrave2/, the pictures and sounds in share/games/vellgrave2/Media, a
# desktop entry and a hicolor icon. `cmake --install <dir>` installs under
# /usr/local; `cpack --config <dir>/CPackConfig.cmake` builds the .deb for /usr.

set(VG_ICON_DIR ${CMAKE_BINARY_DIR}/icon)
add_custom_command(
  OUTPUT ${VG_ICON_DIR}/vellgrave2.png
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VG_ICON_DIR}
  COMMAND $<TARGET_FILE:makeart> --icon ${VG_ICON_DIR}
  DEPENDS makeart
  COMMENT "Drawing the desktop icon"
  VERBATIM)
add_custom_target(icon ALL DEPENDS ${VG_ICON_DIR}/vellgrave2.png)

install(TARGETS vellgrave2 vellgrave2-replay RUNTIME DESTINATION lib/games/vellgrave2)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/launcher.sh DESTINATION games RENAME vellgrave2)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/launcher.sh DESTINATION games RENAME vellgrave2-replay)
install(FILES ${VG_MEDIA_FILES} ${VG_SOUND_FILES} DESTINATION share/games/vellgrave2/Media)
install(FILES ${CMAKE_SOURCE_DIR}/tools/vellgrave2.desktop DESTINATION share/applications)
install(FILES ${VG_ICON_DIR}/vellgrave2.png DESTINATION share/icons/hicolor/256x256/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellgrave2)
set(CPACK_PACKAGE_VERSION 0.8)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "top-down zombie-survival shooter")
set(CPACK_PACKAGE_DESCRIPTION "Every new game builds a random city of streets, lots and buildings.\nZombies and civilians keep coming; you walk, sprint, shoot and throw\nexplosives that cut the walls apart. The score is the zombies killed.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vellgrave 2 developers <games@vellgrave2.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
include(CPack)
