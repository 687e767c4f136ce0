# The Windows build's SDL libraries and zlib, from the prefix that tools/windows_libs.sh fills,
# under the names the native build's pkg-config gives them, so that the targets link alike.
# They are linked by path: the static libraries' own CMake files and SDL's sdl2.pc would put
# SDL2main and -mwindows into every program, where only the game is a windowed one.
set(prefix ${SORTIE_WINDOWS_PREFIX})
if(NOT EXISTS "${prefix}/done" OR NOT EXISTS "${prefix}/lib/libz.a")
  message(FATAL_ERROR "The Windows build's libraries are not built: run tools/setup.sh windows")
endif()
function(sortie_windows_library name)
  add_library(PkgConfig::${name} INTERFACE IMPORTED)
  set_target_properties(PkgConfig::${name} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${prefix}/include/SDL2;${prefix}/include"
    INTERFACE_LINK_LIBRARIES "${ARGN}")
endfunction()
# The system libraries are those of SDL's own sdl2.pc.
sortie_windows_library(SDL2 ${prefix}/lib/libSDL2.a m user32 gdi32 winmm imm32 ole32 oleaut32 version uuid
  advapi32 setupapi shell32 dinput8)
sortie_windows_library(SDL2_TTF ${prefix}/lib/libSDL2_ttf.a ${prefix}/lib/libfreetype.a)
sortie_windows_library(SDL2_MIXER ${prefix}/lib/libSDL2_mixer.a)
sortie_windows_library(SDL2_IMAGE ${prefix}/lib/libSDL2_image.a)
# The game's entry: SDL's WinMain, which hands over the command line in UTF-8.
sortie_windows_library(SDL2_MAIN mingw32 ${prefix}/lib/libSDL2main.a)
set(ZLIB_INCLUDE_DIR ${prefix}/include CACHE PATH "zlib's headers for Windows")
set(ZLIB_LIBRARY ${prefix}/lib/libz.a CACHE FILEPATH "zlib for Windows")

# Every program carries only system libraries: the C and C++ runtimes and winpthreads are
# linked in.
add_link_options(-static)
