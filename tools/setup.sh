#!/bin/sh
# Shared by play.sh and test.sh: installs the Debian packages a build needs when some are
# missing, configures its build tree once, and builds whatever changed.
#   setup.sh play   the game alone: optimised, no sanitizers, in build/play/
#   setup.sh test   (the default) the game, the tools and every test, in build/, the demo's
#                   web site over it (see web) with the browser tests' packages, and the
#                   Windows build with Wine (see windows)
#   setup.sh bench  the game, the tools and the benchmarks, optimised, in build/bench/
#   setup.sh package  only the packages that tools/package.sh and tools/package_test.sh need
#   setup.sh web    the demo as a web site in build/web/: the game for the browser (build/web-tree/,
#                   over libraries built once into a cache outside the checkout by
#                   tools/web_libs.sh), packed with the demo's game folder of build/play/
#   setup.sh windows  the game and the tools for 64-bit Windows in build/windows-tree/ (MinGW,
#                   over libraries built once into a cache outside the checkout by
#                   tools/windows_libs.sh), and Wine to test them (tools/windows_test.sh)
set -eu
cd "$(dirname "$0")/.."

# make is CMake's default build tool, and zlib compresses saved states and web sites; every
# other package is in the design's table.
GAME_PACKAGES="cmake make g++ pkg-config zlib1g-dev libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libsdl2-image-dev fonts-unifont"
# The browser build: Emscripten, dpkg-dev to unpack the libraries' Debian sources, Python for
# the local server; Chromium for the browser tests, whose puppeteer-core comes from npm (the
# nodejs that Emscripten brings may come with its own npm, which Debian's would conflict with).
WEB_PACKAGES="emscripten dpkg-dev python3"
BROWSER_PACKAGES="chromium"
command -v npm >/dev/null 2>&1 || BROWSER_PACKAGES="$BROWSER_PACKAGES npm"
# The Windows build: MinGW's compilers, dpkg-dev to unpack the libraries' Debian sources, zip
# for the download; Wine runs the Windows programs in the tests.
WINDOWS_PACKAGES="g++-mingw-w64-x86-64-posix dpkg-dev zip unzip wine wine64"
# ccache serves a clean clone's build from the last one's objects; zip and unzip make and
# open sortie-export's Windows zip.
TEST_PACKAGES="ccache libgtest-dev libbenchmark-dev libmpfr-dev xvfb xdotool imagemagick clang libclang-rt-14-dev zip unzip"
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
    PACKAGES="$GAME_PACKAGES $TEST_PACKAGES $INSTALL_CHECK_PACKAGES $WEB_PACKAGES $BROWSER_PACKAGES $WINDOWS_PACKAGES"
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
web)
    PACKAGES="$GAME_PACKAGES $WEB_PACKAGES"
    PRESET=play
    TREE=build/play
    ;;
windows)
    PACKAGES="$GAME_PACKAGES $WINDOWS_PACKAGES"
    PRESET=windows
    TREE=build/windows-tree
    ;;
*)
    echo "usage: tools/setup.sh [play|test|bench|package|web|windows]" >&2
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

# A compiler cache, where the machine has one, serves a clean clone's build from the objects
# of the last one: the folder the checkout lives in is left out of what it compares.
if command -v ccache >/dev/null 2>&1; then
    export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER-ccache}"
    export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER-ccache}"
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
    # Emscripten's compiler goes through it too, from inside emcc.
    export EM_COMPILER_WRAPPER="${EM_COMPILER_WRAPPER-ccache}"
fi

# The package's script configures its own build tree.
[ -n "$PRESET" ] || exit 0
build_tree() { # build_tree PRESET TREE
    if [ ! -f "$2/CMakeCache.txt" ]; then
        cmake --preset "$1"
    fi
    cmake --build --preset "$1" --parallel "$(nproc)"
}
# The Windows programs in build/windows-tree/, over the libraries of the cache.
windows_tree() {
    sh tools/windows_libs.sh >/dev/null
    build_tree windows build/windows-tree
}

# The demo as a web site in build/web/: the engine for the browser (build/web-tree/, over the
# libraries of the cache), packed with the game folder by the native tree's sortie-export.
web_site() { # web_site NATIVE_TREE
    cmake --build "$1" --target sortie-export game --parallel "$(nproc)"
    sh tools/web_libs.sh >/dev/null
    if [ ! -f build/web-tree/CMakeCache.txt ]; then
        env -u CMAKE_CXX_COMPILER_LAUNCHER -u CMAKE_C_COMPILER_LAUNCHER cmake --preset web
    fi
    cmake --build --preset web --parallel "$(nproc)"
    "$1/tools/sortie-export" --web "$1/game" build/web >/dev/null
}

case "${1:-test}" in
windows)
    windows_tree
    ;;
web)
    build_tree play build/play
    web_site build/play
    ;;
test)
    # Where the foreign builds' libraries are not cached yet, they build while the test tree
    # compiles: their configure steps run one check at a time and would leave a core idle.
    mkdir -p build
    (sh tools/web_libs.sh && sh tools/windows_libs.sh) >build/foreign-libraries.log 2>&1 &
    libraries=$!
    build_tree dev build
    if ! wait "$libraries"; then
        tail -n 40 build/foreign-libraries.log >&2
        echo "setup.sh: building the browser's or Windows' libraries failed (build/foreign-libraries.log)" >&2
        exit 1
    fi
    web_site build
    # The browser tests' puppeteer-core, exactly as locked, with no browser download.
    if [ ! -d tests/web/node_modules/puppeteer-core ] || [ tests/web/package-lock.json -nt tests/web/node_modules ]; then
        (cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund)
    fi
    windows_tree
    ;;
*)
    build_tree "$PRESET" "$TREE"
    ;;
esac
