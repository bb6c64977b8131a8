# The show's schedule (scene/show_schedule.h) read by the build: its scene
# files in play order, and its length in ms.
function(velmora_show_schedule files_out length_out)
  set(header ${CMAKE_SOURCE_DIR}/scene/show_schedule.h)
  # Read whole: each line of the table ends in a continuation backslash,
  # which would escape the list separator between lines read one by one.
  file(READ ${header} text)
  string(REPLACE "\\" "" text "${text}")
  string(REGEX MATCHALL "SCENE\\(\"[^\"]+\", *[0-9]+,[^)]*\\)" lines "${text}")
  set(files "")
  set(length 0)
  foreach(line ${lines})
    string(REGEX REPLACE "^ *SCENE\\(\"([^\"]+)\", *([0-9]+),.*" "\\1;\\2" scene "${line}")
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
