#!/bin/sh
# Shared by play.sh and test.sh: installs the Debian packages the build needs when some are
# missing, configures the build tree once, and builds whatever changed.
set -eu
cd "$(dirname "$0")/.."

# make is CMake's default build tool; every other package is in the design's table.
PACKAGES="cmake make g++ pkg-config libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libsdl2-image-dev fonts-unifont
libgtest-dev libbenchmark-dev xvfb xdotool imagemagick clang libclang-rt-14-dev"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
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

if [ ! -f build/CMakeCache.txt ]; then
    cmake --preset dev
fi
cmake --build --preset dev --parallel "$(nproc)"
