#!/bin/sh
# Shared by play.sh and test.sh: installs the Debian packages a build needs when some are
# missing, configures its build tree once, and builds whatever changed.
#   setup.sh play   the game alone: optimised, no sanitizers, in build/play/
#   setup.sh test   (the default) the game, the tools and every test, in build/
#   setup.sh bench  the game, the tools and the benchmarks, optimised, in build/bench/
#   setup.sh web    the demo as a web site in build/web/: the game for the browser (build/web-tree/,
#                   over libraries built once into a cache outside the checkout by
#                   tools/web_libs.sh), packed with the demo's game folder of build/play/
set -eu
cd "$(dirname "$0")/.."

# make is CMake's default build tool and zlib sortie-export's gzip; every other package is in
# the design's table.
GAME_PACKAGES="cmake make g++ pkg-config zlib1g-dev libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libsdl2-image-dev fonts-unifont"
# The browser build: Emscripten, dpkg-dev to unpack the libraries' Debian sources, Python for
# the local server.
WEB_PACKAGES="emscripten dpkg-dev python3"
TEST_PACKAGES="libgtest-dev libbenchmark-dev libmpfr-dev xvfb xdotool imagemagick clang libclang-rt-14-dev"

case "${1:-test}" in
play)
    PACKAGES="$GAME_PACKAGES"
    PRESET=play
    TREE=build/play
    ;;
test)
    PACKAGES="$GAME_PACKAGES $TEST_PACKAGES"
    PRESET=dev
    TREE=build
    ;;
bench)
    PACKAGES="$GAME_PACKAGES libbenchmark-dev"
    PRESET=bench
    TREE=build/bench
    ;;
web)
    PACKAGES="$GAME_PACKAGES $WEB_PACKAGES"
    PRESET=play
    TREE=build/play
    ;;
*)
    echo "usage: tools/setup.sh [play|test|bench|web]" >&2
    exit 2
    ;;
esac

# One query for all of them: later runs start the game sooner.
installed=" $(dpkg-query -W -f='${Package}=${Status}\n' $PACKAGES 2>/dev/null | sed -n 's/=install ok installed$//p' | tr '\n' ' ')"
missing=""
for package in $PACKAGES; do
    case "$installed" in
    *" $package "*) ;;
    *) missing="$missing $package" ;;
    esac
done

if [ -n "$missing" ]; then
    if [ "$(id -u)" -eq 0 ]; then
        sudo=""
    elif command -v sudo >/dev/null 2>&1; then
        sudo="sudo"
    else
        echo "Sortie needs Debian packages that are not installed. As root, run:" >&2
        echo "  apt-get install -y$missing" >&2
        exit 1
    fi
    echo "Installing:$missing"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing </dev/null
fi

if [ ! -f "$TREE/CMakeCache.txt" ]; then
    cmake --preset "$PRESET"
fi
cmake --build --preset "$PRESET" --parallel "$(nproc)"

if [ "${1:-}" = web ]; then
    # The demo's game folder and sortie-export come from the native build above.
    cmake --build build/play --target sortie-export --parallel "$(nproc)"
    sh tools/web_libs.sh >/dev/null
    if [ ! -f build/web-tree/CMakeCache.txt ]; then
        cmake --preset web
    fi
    cmake --build --preset web --parallel "$(nproc)"
    build/play/tools/sortie-export --web build/play/game build/web >/dev/null
fi
