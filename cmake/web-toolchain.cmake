# The browser build: Emscripten's own toolchain, with the SDL libraries and zlib that
# tools/web_libs.sh builds from Debian's sources into a cache outside the checkout (keyed by
# their versions), which the build links by path: Emscripten reads "-lSDL2_mixer" as a
# request for a download.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# Node 20 refuses the flags of Emscripten's own emulator line, and its fetch() cannot read the
# .wasm beside a program from the file system.
set(CMAKE_CROSSCOMPILING_EMULATOR "node;--no-experimental-fetch" CACHE STRING "Runs the wasm programs the build makes")
# Linking with optimisation runs Emscripten's JavaScript tools, whose modules Debian keeps
# outside node's own search path.
set(ENV{NODE_PATH} /usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)

if(NOT SORTIE_WEB_PREFIX)
  execute_process(COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/../tools/web_libs.sh --prefix
                  OUTPUT_VARIABLE SORTIE_WEB_PREFIX OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
set(SORTIE_WEB_PREFIX "${SORTIE_WEB_PREFIX}" CACHE PATH "The SDL libraries built for the browser")
if(NOT EXISTS "${SORTIE_WEB_PREFIX}/done" OR NOT EXISTS "${SORTIE_WEB_PREFIX}/lib/libz.a")
  message(FATAL_ERROR "The browser build's libraries are not built: run tools/setup.sh web")
endif()
