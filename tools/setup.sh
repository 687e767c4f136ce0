#!/bin/sh
# Shared by play.sh and test.sh: installs the Debian packages a build needs when some are
# missing, configures its build tree once, and builds whatever changed.
#   setup.sh play   the game alone: optimised, no sanitizers, in build/play/
#   setup.sh test   (the default) the game, the tools and every test, in build/
#   setup.sh bench  the game, the tools and the benchmarks, optimised, in build/bench/
#   setup.sh package  only the packages that tools/package.sh and tools/package_test.sh need
set -eu
cd "$(dirname "$0")/.."

# make is CMake's default build tool; every other package is in the design's table.
GAME_PACKAGES="cmake make g++ pkg-config libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libsdl2-image-dev fonts-unifont zlib1g-dev"
TEST_PACKAGES="libgtest-dev libbenchmark-dev libmpfr-dev xvfb xdotool imagemagick clang libclang-rt-14-dev"
# The installed files' validators (desktop entry, metadata, manual pages), which the tests run.
INSTALL_CHECK_PACKAGES="desktop-file-utils appstream man-db"
# Building the Debian package (dpkg-shlibdeps, dpkg-buildflags) and checking it.
PACKAGE_PACKAGES="dpkg-dev lintian"

case "${1:-test}" in
play)
    PACKAGES="$GAME_PACKAGES"
    PRESET=play
    TREE=build/play
    ;;
test)
    PACKAGES="$GAME_PACKAGES $TEST_PACKAGES $INSTALL_CHECK_PACKAGES"
    PRESET=dev
    TREE=build
    ;;
bench)
    PACKAGES="$GAME_PACKAGES libbenchmark-dev"
    PRESET=bench
    TREE=build/bench
    ;;
package)
    PACKAGES="$GAME_PACKAGES $INSTALL_CHECK_PACKAGES $PACKAGE_PACKAGES xvfb xdotool imagemagick"
    PRESET=""
    TREE=""
    ;;
*)
    echo "usage: tools/setup.sh [play|test|bench|package]" >&2
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

# The package's script configures its own build tree.
[ -n "$PRESET" ] || exit 0
if [ ! -f "$TREE/CMakeCache.txt" ]; then
    cmake --preset "$PRESET"
fi
cmake --build --preset "$PRESET" --parallel "$(nproc)"
