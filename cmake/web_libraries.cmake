# The browser build's SDL libraries and zlib, from the prefix that tools/web_libs.sh fills, under the
# names the native build's pkg-config gives them, so that the targets link alike. They are
# linked by path: Emscripten reads "-lSDL2_mixer" as a request for a download.
set(prefix ${SORTIE_WEB_PREFIX})
function(sortie_web_library name)
  add_library(PkgConfig::${name} INTERFACE IMPORTED)
  list(TRANSFORM ARGN PREPEND ${prefix}/lib/)
  set_target_properties(PkgConfig::${name} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${prefix}/include/SDL2;${prefix}/include"
    INTERFACE_LINK_LIBRARIES "${ARGN}")
endfunction()
sortie_web_library(SDL2 libSDL2.a)
sortie_web_library(SDL2_TTF libSDL2_ttf.a libfreetype.a)
sortie_web_library(SDL2_MIXER libSDL2_mixer.a)
sortie_web_library(SDL2_IMAGE libSDL2_image.a)
# zlib from the same prefix: find_package(ZLIB) takes these as found, where Emscripten's own
# would be fetched as a port.
set(ZLIB_INCLUDE_DIR ${prefix}/include CACHE PATH "zlib's headers for the browser")
set(ZLIB_LIBRARY ${prefix}/lib/libz.a CACHE FILEPATH "zlib for the browser")

# The engine throws and catches std::bad_alloc; Emscripten leaves exceptions out unless asked
# (its faster wasm exceptions break the blocking loop's asyncify pass).
add_compile_options(-fexceptions)
add_link_options(-fexceptions -sALLOW_MEMORY_GROWTH=1)
# Wasm's 128-bit vectors, which every current browser has: the pixel loops are vectorised
# as the desktop's are (the same integer results, in a third less time).
add_compile_options(-msimd128)
