# The web build's libraries, as the same targets the native build gets from
# pkg-config: static WebAssembly libraries from the prefix that
# scripts/build-web-deps.sh builds. OpenGL is the web layer's own GL 1.1 on
# WebGL 2 (platform/web/gl11.cpp).
set(VELMORA_WEB_PREFIX "" CACHE PATH "Prefix of the libraries built for the web (scripts/build-web-deps.sh)")
if(NOT VELMORA_WEB_PREFIX OR NOT EXISTS "${VELMORA_WEB_PREFIX}/lib/pkgconfig")
  message(FATAL_ERROR "VELMORA_WEB_PREFIX must name the prefix scripts/build-web-deps.sh prints")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${VELMORA_WEB_PREFIX})

set(ENV{PKG_CONFIG_LIBDIR} "${VELMORA_WEB_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
find_package(PkgConfig REQUIRED)

# PkgConfig::<name> from a module's static flags; include folders go through CMake.
function(velmora_web_package name module)
  pkg_check_modules(${name} REQUIRED ${module})
  set(cflags ${${name}_STATIC_CFLAGS_OTHER})
  set(libs ${${name}_STATIC_LDFLAGS})
  list(REMOVE_ITEM cflags -Dmain=SDL_main)
  list(REMOVE_ITEM libs -lSDL2main)
  add_library(PkgConfig::${name} INTERFACE IMPORTED)
  set_target_properties(PkgConfig::${name} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${${name}_STATIC_INCLUDE_DIRS}"
    INTERFACE_COMPILE_OPTIONS "${cflags}"
    INTERFACE_LINK_LIBRARIES "${libs}")
endfunction()

velmora_web_package(SDL2 sdl2)
target_compile_definitions(PkgConfig::SDL2 INTERFACE SDL_MAIN_HANDLED)
velmora_web_package(OPENMPT libopenmpt)
velmora_web_package(SNDFILE sndfile)
velmora_web_package(PNG libpng)
velmora_web_package(ZLIB zlib)

find_library(LIB3DS_LIBRARY NAMES 3ds REQUIRED PATHS ${VELMORA_WEB_PREFIX}/lib NO_DEFAULT_PATH)
find_path(LIB3DS_INCLUDE_DIR lib3ds/file.h REQUIRED PATHS ${VELMORA_WEB_PREFIX}/include NO_DEFAULT_PATH)

# GL and GLU are the web layer's; it is defined in platform/web/.
add_library(OpenGL::GL INTERFACE IMPORTED)
set_target_properties(OpenGL::GL PROPERTIES INTERFACE_LINK_LIBRARIES velmora_gl11)
add_library(OpenGL::GLU INTERFACE IMPORTED)
set_target_properties(OpenGL::GLU PROPERTIES INTERFACE_LINK_LIBRARIES velmora_gl11)
