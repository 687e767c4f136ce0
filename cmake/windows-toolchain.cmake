# The Windows build: 64-bit Windows programs from MinGW's cross compilers (the "posix"
# threading model, whose C++ library has std::thread), over the SDL libraries and zlib that
# tools/windows_libs.sh builds from Debian's sources into a cache outside the checkout (keyed
# by their versions). The libraries' own builds use this file too.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR x86_64-w64-mingw32-ar CACHE FILEPATH "")
set(CMAKE_RANLIB x86_64-w64-mingw32-ranlib CACHE FILEPATH "")

if(NOT SORTIE_WINDOWS_PREFIX)
  execute_process(COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/../tools/windows_libs.sh --prefix
                  OUTPUT_VARIABLE SORTIE_WINDOWS_PREFIX OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
set(SORTIE_WINDOWS_PREFIX "${SORTIE_WINDOWS_PREFIX}" CACHE PATH "The SDL libraries built for Windows")
# Headers and libraries come from MinGW's own tree and the cache only; programs from this machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${SORTIE_WINDOWS_PREFIX})
list(APPEND CMAKE_PREFIX_PATH ${SORTIE_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
