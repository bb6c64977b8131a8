# The Windows build's libraries, as the same targets the native build gets
# from pkg-config: static libraries from the prefix that
# scripts/build-windows-deps.sh builds, zlib from the mingw-w64 sysroot, GL
# and GLU from the system. Every program is linked statically, so it needs no
# DLL beside it.
set(VELMORA_WIN32_PREFIX "" CACHE PATH "Prefix of the cross-built libraries (scripts/build-windows-deps.sh)")
if(NOT VELMORA_WIN32_PREFIX OR NOT EXISTS "${VELMORA_WIN32_PREFIX}/lib/pkgconfig")
  message(FATAL_ERROR "VELMORA_WIN32_PREFIX must name the prefix scripts/build-windows-deps.sh prints")
endif()

# A new prefix (other source versions, a changed script) replaces the old
# one, which the dependency script deletes: what was found in the old one is
# looked up again.
if(NOT VELMORA_WIN32_PREFIX STREQUAL "${VELMORA_WIN32_PREFIX_USED}")
  foreach(name SDL2 OPENMPT SNDFILE PNG ZLIB)
    unset(__pkg_config_checked_${name} CACHE)
  endforeach()
  unset(LIB3DS_LIBRARY CACHE)
  unset(LIB3DS_INCLUDE_DIR CACHE)
  set(VELMORA_WIN32_PREFIX_USED "${VELMORA_WIN32_PREFIX}" CACHE INTERNAL "The prefix the libraries were found in")
endif()

set(ENV{PKG_CONFIG_LIBDIR} "${VELMORA_WIN32_PREFIX}/lib/pkgconfig:/usr/${VELMORA_MINGW_HOST}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
find_package(PkgConfig REQUIRED)
find_package(OpenGL REQUIRED)
add_link_options(-static)

# PkgConfig::<name> from a module's static flags. The program has its own
# WinMain: SDL's main wrapper and its -Dmain are left out.
# Include folders go through CMake, which leaves out the sysroot's own.
function(velmora_static_package name module)
  pkg_check_modules(${name} REQUIRED ${module})
  set(cflags ${${name}_STATIC_CFLAGS_OTHER})
  set(libs ${${name}_STATIC_LDFLAGS})
  list(REMOVE_ITEM cflags -Dmain=SDL_main)
  list(REMOVE_ITEM libs -lSDL2main -lmingw32 -mwindows)
  add_library(PkgConfig::${name} INTERFACE IMPORTED)
  set_target_properties(PkgConfig::${name} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${${name}_STATIC_INCLUDE_DIRS}"
    INTERFACE_COMPILE_OPTIONS "${cflags}"
    INTERFACE_LINK_LIBRARIES "${libs}")
endfunction()

velmora_static_package(SDL2 sdl2)
target_compile_definitions(PkgConfig::SDL2 INTERFACE SDL_MAIN_HANDLED)
velmora_static_package(OPENMPT libopenmpt)
velmora_static_package(SNDFILE sndfile)
velmora_static_package(PNG libpng)
velmora_static_package(ZLIB zlib)

find_library(LIB3DS_LIBRARY NAMES 3ds REQUIRED)
find_path(LIB3DS_INCLUDE_DIR lib3ds/file.h REQUIRED)

# GoogleTest from the sources Debian ships with libgtest-dev, built by the
# cross compiler for the tests.
if(VELMORA_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
