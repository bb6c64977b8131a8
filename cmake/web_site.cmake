# The static site of the web build: the page, the program (velmora.js and
# velmora.wasm) and the show's data files, which the page fetches before the
# program starts. Any static web server serves it.
set(site ${CMAKE_BINARY_DIR}/site)
set(page ${CMAKE_SOURCE_DIR}/platform/web)

set_target_properties(velmora PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${site})
# The link map of the Linux program has no counterpart here.
get_target_property(options velmora LINK_OPTIONS)
if(options)
  list(FILTER options EXCLUDE REGEX "-Map=")
  set_target_properties(velmora PROPERTIES LINK_OPTIONS "${options}")
endif()

# Asyncify lets WinMain's loop, the dialog and the message boxes wait for the
# browser as they wait for Windows; these are the page's calls that wait.
set(waiting velmora_page_next_frame velmora_page_message_box velmora_page_dialog_next)
list(JOIN waiting "," waiting)
target_link_options(velmora PRIVATE
  -sENVIRONMENT=web
  -sASYNCIFY -sASYNCIFY_IMPORTS=[${waiting}] -sASYNCIFY_STACK_SIZE=65536
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=33554432
  -sFORCE_FILESYSTEM=1
  -sEXPORTED_RUNTIME_METHODS=[FS,addRunDependency,removeRunDependency]
  -sEXIT_RUNTIME=0)

file(GLOB data_files CONFIGURE_DEPENDS ${VELMORA_DATA_DIR}/*)
set(data_names "")
foreach(f ${data_files})
  get_filename_component(n ${f} NAME)
  list(APPEND data_names ${n})
endforeach()
list(JOIN data_names "\n" data_list)
file(WRITE ${CMAKE_BINARY_DIR}/files.txt "${data_list}\n")

add_custom_command(
  OUTPUT ${site}/index.html ${site}/data/files.txt
  COMMAND ${CMAKE_COMMAND} -E make_directory ${site}/data
  COMMAND ${CMAKE_COMMAND} -E copy ${data_files} ${site}/data
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/files.txt ${site}/data/files.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${page}/index.html ${site}/index.html
  DEPENDS ${data_files} ${page}/index.html ${CMAKE_BINARY_DIR}/files.txt
  COMMENT "The site's page and data"
  VERBATIM)
add_custom_target(velmora_site ALL DEPENDS ${site}/index.html ${site}/data/files.txt velmora)
