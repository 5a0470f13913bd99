# Review pictures drawn through the game's own code. The contact sheet: every
# picture cut from the textures on one labelled page; `cmake --build <dir>
# --target contact_sheet` writes <dir>/contactsheet.png.
add_executable(contactsheet ${CMAKE_SOURCE_DIR}/tools/contactsheet.cpp ${CMAKE_SOURCE_DIR}/tools/windowpng.cpp)
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
    add_dependencies(city_view media)
  endif()
endfunction()
cmake_language(DEFER CALL contactSheetNeedsMedia)

# The city review pictures: `cmake --build <dir> --target city_view` writes
# <dir>/citystart.png (the start at play zoom) and <dir>/citymap.png (the map).
add_executable(cityview ${CMAKE_SOURCE_DIR}/tools/cityview.cpp ${CMAKE_SOURCE_DIR}/tools/windowpng.cpp)
target_link_libraries(cityview PRIVATE vgview)
add_custom_target(city_view
  COMMAND xvfb-run -a -s "-screen 0 1100x1100x24 -noreset" $<TARGET_FILE:cityview>
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS cityview
  COMMENT "Drawing a new city into citystart.png and citymap.png"
  VERBATIM)

# The sound review sheet: `cmake --build <dir> --target sound_sheet` writes
# <dir>/soundsheet.png, every generated sound's waveform (with its length,
# peak and RMS level) beside its spectrogram. Needs sox and ImageMagick.
add_custom_target(sound_sheet
  COMMAND sh ${CMAKE_SOURCE_DIR}/tools/soundsheet ${CMAKE_BINARY_DIR}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Drawing the sound sheet into soundsheet.png"
  VERBATIM)
function(soundSheetNeedsGenerator)
  if(TARGET makesound)
    add_dependencies(sound_sheet makesound)
  endif()
endfunction()
cmake_language(DEFER CALL soundSheetNeedsGenerator)
