#!/bin/sh
# Builds the libraries a foreign build links (SDL2, freetype, SDL2_ttf, SDL2_mixer,
# SDL2_image, zlib), static, from Debian's own source packages, once, into a cache outside
# the checkout keyed by their versions and the compiler's, so that a clean clone reuses them:
#   web      WebAssembly through Emscripten (the web preset), ~/.cache/sortie/web-<versions>/
#   windows  64-bit Windows through MinGW (the windows preset), ~/.cache/sortie/windows-<versions>/
# zlib came later to the web cache and carries a stamp of its own version in the same folder,
# so that a cache that lacks it gains it without rebuilding the rest.
# Prints the cache's folder (the prefix the preset links from) on its last line.
#   tools/foreign_libs.sh TARGET           build what is missing, print the prefix
#   tools/foreign_libs.sh TARGET --prefix  print the prefix the current versions would use, build nothing
# Emscripten's own SDL and zlib "ports" download at build time, which this machine cannot do;
# Debian has no MinGW builds of the SDL libraries.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
target="${1:-}"
case "$target" in
web) compiler=emscripten; me=web_libs.sh ;;
windows) compiler=g++-mingw-w64-x86-64-posix; me=windows_libs.sh ;;
*) echo "usage: tools/foreign_libs.sh web|windows [--prefix]" >&2; exit 2 ;;
esac
shift

packages="libsdl2-dev libfreetype-dev libsdl2-ttf-dev libsdl2-mixer-dev libsdl2-image-dev $compiler"
version_of() {
    v="$(dpkg-query -W -f='${Version}' "$1" 2>/dev/null || true)"
    [ -n "$v" ] || v="$(apt-cache show --no-all-versions "$1" 2>/dev/null | sed -n 's/^Version: //p' | head -n 1)"
    echo "$v"
}
key=""
for package in $packages; do
    key="$key-$(version_of "$package" | tr -c 'A-Za-z0-9.+\n' '_')"
done
# SORTIE_LIBS_CACHE moves the cache elsewhere.
cache="${SORTIE_LIBS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/sortie}"
prefix="$cache/$target$key"
zlib_done="$prefix/done-zlib-$(version_of zlib1g-dev | tr -c 'A-Za-z0-9.+\n' '_')"

case "${1:-}" in
--prefix) echo "$prefix"; exit 0 ;;
"") ;;
*) echo "usage: tools/foreign_libs.sh web|windows [--prefix]" >&2; exit 2 ;;
esac
sources=""
[ -f "$prefix/done" ] || sources="libsdl2 freetype libsdl2-ttf libsdl2-mixer libsdl2-image"
[ -f "$zlib_done" ] || sources="$sources zlib"
if [ -z "$sources" ]; then
    echo "$prefix"
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
work="$cache/work-$target$key"
rm -rf "$work"
mkdir -p "$work"

# The source packages come from the machine's own Debian archives: a deb-src entry is made
# from each configured Debian entry for the fetch, and removed again whatever happens.
src_list=/etc/apt/sources.list.d/sortie-$target-src.sources
src_list_legacy=/etc/apt/sources.list.d/sortie-$target-src.list
cleanup() { $sudo rm -f "$src_list" "$src_list_legacy"; }
trap cleanup EXIT INT TERM
{
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        case "$file" in "$src_list" | */sortie-*-src.sources) continue ;; esac
        # Stanzas are separated by blank lines; only Debian's archives (signed by Debian's
        # keyring) carry source packages we know to be there.
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /debian-archive-keyring/ && /Types:[^\n]*deb([ \n]|$)/ {
                 sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$file"
    done
} | $sudo tee "$src_list" >/dev/null
{
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        case "$file" in "$src_list_legacy" | */sortie-*-src.list) continue ;; esac
        sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' "$file"
    done
} | $sudo tee "$src_list_legacy" >/dev/null
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null >&2
# The archives may list a source version that their mirror no longer (or not yet) serves, as
# a security update's: the newest version that downloads is taken.
fetch() { # fetch SOURCE_PACKAGE
    for version in $(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -u -r -V); do
        (cd "$work" && apt-get source -q --download-only "$1=$version" >&2) && return 0
        echo "$me: $1 $version does not download; trying an older version" >&2
    done
    echo "$me: no version of $1's source downloads" >&2
    return 1
}
for source in $sources; do fetch "$source"; done
cleanup
trap - EXIT INT TERM
(cd "$work" && for dsc in *.dsc; do dpkg-source -x "$dsc" >&2; done)

# How each target compiles: a CMake project, and zlib's few C files.
case "$target" in
web)
    configure() { emcmake cmake "$@"; }
    cc() { emcc "$@"; }
    archive() { emar rcs "$@"; }
    ;;
windows)
    configure() { cmake -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/windows-toolchain.cmake" "$@"; }
    cc() { x86_64-w64-mingw32-gcc-posix "$@"; }
    archive() { x86_64-w64-mingw32-ar rcs "$@"; }
    ;;
esac

jobs="$(nproc)"
build() { # build NAME SOURCE_DIR CMAKE_OPTIONS...
    name="$1"; source="$2"; shift 2
    echo "$me: building $name" >&2
    configure -S "$source" -B "$work/build-$name" -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_FIND_ROOT_PATH="$prefix" "$@" >&2
    cmake --build "$work/build-$name" --parallel "$jobs" >&2
    cmake --install "$work/build-$name" >&2
}
dir_of() { find "$work" -maxdepth 1 -type d -name "$1-[0-9]*" | head -n 1; }

mkdir -p "$prefix"
# zlib's own build makes a shared library beside the static one, under the same name, which
# Emscripten cannot make: its few sources are compiled here directly. FreeType carries its
# own copy of zlib's inflate under zlib's names, so this one takes zlib's z_ prefix, set in
# the installed zconf.h for every program that includes it, and its table of messages (which
# the prefix leaves) a name of its own.
if [ ! -f "$zlib_done" ]; then
    echo "$me: building zlib" >&2
    zlib="$(dir_of zlib)"
    mkdir -p "$work/build-zlib" "$prefix/lib" "$prefix/include"
    for source in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
                  inflate inftrees trees uncompr zutil; do
        cc -O2 -DZ_PREFIX -Dz_errmsg=sortie_z_errmsg -DHAVE_UNISTD_H -DHAVE_STDARG_H -I"$zlib" -c "$zlib/$source.c" \
            -o "$work/build-zlib/$source.o" >&2
    done
    rm -f "$prefix/lib/libz.a"
    archive "$prefix/lib/libz.a" "$work/build-zlib"/*.o >&2
    cp "$zlib/zlib.h" "$prefix/include/"
    { printf '#ifndef Z_PREFIX\n#define Z_PREFIX\n#endif\n'; cat "$zlib/zconf.h"; } >"$prefix/include/zconf.h"
    rm -f "$prefix"/done-zlib-*
    touch "$zlib_done"
fi
[ -f "$prefix/done" ] && { rm -rf "$work"; echo "$prefix"; exit 0; }

build sdl2 "$(dir_of libsdl2)" -DSDL_TEST=OFF -DSDL_SHARED=OFF -DSDL_STATIC=ON
build freetype "$(dir_of freetype)" -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON \
    -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
build sdl2_ttf "$(dir_of libsdl2-ttf)" -DSDL2TTF_SAMPLES=OFF -DSDL2TTF_VENDORED=OFF \
    -DSDL2TTF_HARFBUZZ=OFF -DSDL2TTF_INSTALL=ON
build sdl2_mixer "$(dir_of libsdl2-mixer)" -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF \
    -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF \
    -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_WAVE=ON \
    -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_INSTALL=ON
build sdl2_image "$(dir_of libsdl2-image)" -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_VENDORED=OFF \
    -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_BACKEND_WIC=OFF -DSDL2IMAGE_DEPS_SHARED=OFF -DSDL2IMAGE_INSTALL=ON \
    -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_GIF=OFF -DSDL2IMAGE_JPG=OFF -DSDL2IMAGE_JXL=OFF \
    -DSDL2IMAGE_LBM=OFF -DSDL2IMAGE_PCX=OFF -DSDL2IMAGE_PNM=OFF -DSDL2IMAGE_QOI=OFF \
    -DSDL2IMAGE_SVG=OFF -DSDL2IMAGE_TGA=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF \
    -DSDL2IMAGE_XCF=OFF -DSDL2IMAGE_XPM=OFF -DSDL2IMAGE_XV=OFF -DSDL2IMAGE_BMP=ON \
    -DSDL2IMAGE_PNG=ON

touch "$prefix/done"
rm -rf "$work"
echo "$prefix"
