# Cross-compiling for 32-bit Windows with Debian's mingw-w64.
#
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake \
#         -DVELMORA_WIN32_PREFIX=<the prefix scripts/build-windows-deps.sh prints>
#
# The -posix compilers: the default win32 thread model has no std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(VELMORA_MINGW_HOST i686-w64-mingw32)
set(CMAKE_C_COMPILER ${VELMORA_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMORA_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMORA_MINGW_HOST}-windres)

# Libraries and headers come from the cross sysroot and the prefix of
# cross-built libraries only; programs run during the build are the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_MINGW_HOST})
if(VELMORA_WIN32_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${VELMORA_WIN32_PREFIX})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELMORA_WIN32_PREFIX)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
