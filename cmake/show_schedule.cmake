# The show's schedule (scene/show_schedule.h) read by the build: its scene
# files in play order, and its length in ms.
function(velmora_show_schedule files_out length_out)
  set(header ${CMAKE_SOURCE_DIR}/scene/show_schedule.h)
  # Read whole and matched, not line by line: each line of the macro ends in
  # a backslash, which would join the lines of a CMake list.
  file(READ ${header} text)
  string(REGEX MATCHALL "SCENE\\(\"[^\"]+\", *[0-9]+," entries "${text}")
  set(files "")
  set(length 0)
  foreach(entry ${entries})
    string(REGEX REPLACE "SCENE\\(\"([^\"]+)\", *([0-9]+),.*" "\\1;\\2" scene "${entry}")
    list(GET scene 0 file)
    list(GET scene 1 ms)
    list(APPEND files ${file})
    math(EXPR length "${length} + ${ms}")
  endforeach()
  if(NOT files)
    message(FATAL_ERROR "${header} lists no scene")
  endif()
  # A change of the schedule configures again.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
  set(${files_out} ${files} PARENT_SCOPE)
  set(${length_out} ${length} PARENT_SCOPE)
endfunction()
