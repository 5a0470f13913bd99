# The contact sheet: every picture cut from the game's textures on one labelled
# page. `cmake --build <dir> --target contact_sheet` writes <dir>/contactsheet.png.
add_executable(contactsheet ${CMAKE_SOURCE_DIR}/tools/contactsheet.cpp)
target_link_libraries(contactsheet PRIVATE vgview)
add_custom_target(contact_sheet
  COMMAND xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" $<TARGET_FILE:contactsheet> contactsheet.png
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS contactsheet
  COMMENT "Drawing the contact sheet into contactsheet.png"
  VERBATIM)

# The pictures come from the art generator when that target exists.
function(contactSheetNeedsMedia)
  if(TARGET media)
    add_dependencies(contact_sheet media)
  endif()
endfunction()
cmake_language(DEFER CALL contactSheetNeedsMedia)
