#!/bin/sh
# tools/package.sh windows: builds Sortie for 64-bit Windows (tools/setup.sh windows, in
# build/windows-tree/) and the demo (tools/setup.sh play, in build/play/), and writes
# dist/sortie-<version>-win64.zip: the folder sortie-<version>-win64 with sortie.exe (which
# plays the demo beside it when double-clicked), the tools, the font, the demo's game folder,
# README.txt and the licence, as text with Windows line ends.
# tools/package.sh deb: builds Sortie optimised (build/package/) and writes the Debian
# package dist/sortie_<version>_amd64.deb: the game in /usr/games, the tools, the demo, the desktop's entry,
# icons, metadata and manual pages, installed under /usr. Its library dependencies are
# found by dpkg-shlibdeps; the font comes from Debian's fonts-unifont.
# Needs cmake, g++, the SDL development packages and dpkg-dev (tools/setup.sh package).
set -eu
cd "$(dirname "$0")/.."

usage="usage: tools/package.sh deb|windows"
case "${1:-}" in
deb | windows) [ $# -eq 1 ] || { echo "tools/package.sh: one kind of package at a time ($usage)" >&2; exit 2; } ;;
-h | --help)
    echo "$usage"
    echo "deb: builds Sortie optimised in build/package/ and writes dist/sortie_<version>_amd64.deb."
    echo "windows: builds Sortie for Windows in build/windows-tree/ and writes dist/sortie-<version>-win64.zip."
    exit 0
    ;;
--version) build/package/sortie --version 2>/dev/null || echo "tools/package.sh (the version is the build's)"; exit 0 ;;
*) echo "tools/package.sh: which package? ($usage)" >&2; exit 2 ;;
esac

# The text files of the zip, with Windows line ends.
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }

if [ "$1" = windows ]; then
    mkdir -p build
    { sh tools/setup.sh windows && sh tools/setup.sh play; } >build/windows-package.log 2>&1 ||
        { cat build/windows-package.log >&2; exit 1; }
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows-tree/CMakeCache.txt)
    name="sortie-$version-win64"
    stage="build/windows-package/$name"
    rm -rf "build/windows-package"
    mkdir -p "$stage"
    for program in sortie sortie-replay sortie-check sortie-new sortie-export sortie-assets; do
        from=build/windows-tree/$program.exe
        [ -f "$from" ] || from=build/windows-tree/tools/$program.exe
        x86_64-w64-mingw32-strip -o "$stage/$program.exe" "$from"
    done
    cp build/windows-tree/unifont.otf "$stage/"
    cp -r build/play/game "$stage/game"
    rm -f "$stage/game/.assets-stamp"
    crlf README.md "$stage/README.txt"
    crlf packaging/copyright "$stage/COPYRIGHT.txt"
    [ ! -f /usr/share/doc/fonts-unifont/copyright ] || crlf /usr/share/doc/fonts-unifont/copyright "$stage/unifont-COPYRIGHT.txt"
    mkdir -p dist
    out="dist/$name.zip"
    rm -f "$out"
    (cd build/windows-package && zip -q -X -r "../../$out" "$name")
    echo "$out"
    exit 0
fi

tree=build/package
mkdir -p build
# Debian's hardening flags (stack protector, fortified calls, full RELRO); the build's own
# optimisation and floating-point flags come after them and stand.
CPPFLAGS="$(dpkg-buildflags --get CPPFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $CPPFLAGS"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S . -B "$tree" -DCMAKE_BUILD_TYPE=Release -DSORTIE_SANITIZE=OFF -DSORTIE_TESTS=OFF -DSORTIE_BENCH=OFF \
    -DSORTIE_INSTALL_FONT=OFF -DSORTIE_GAME_BINDIR=games -DCMAKE_INSTALL_PREFIX=/usr >"$tree.log" 2>&1 || { cat "$tree.log" >&2; exit 1; }
cmake --build "$tree" -j2 >>"$tree.log" 2>&1 || { cat "$tree.log" >&2; exit 1; }
# The version is the one CMake gives every program.
version=$("$tree/sortie" --version | sed 's/^sortie //')
root="$tree/deb"
rm -rf "$root"
umask 022
DESTDIR="$root" cmake --install "$tree" --strip >>"$tree.log" 2>&1

# Debian's places for the manual pages (compressed) and the package's documents.
find "$root/usr/share/man" -type f -exec gzip -9n {} +
doc="$root/usr/share/doc/sortie"
mkdir -p "$doc"
cp packaging/copyright "$doc/copyright"
maintainer="Sortie maintainers <maintainers@users.noreply.c-seed-1cbcf93f.example>"
date=$(date -R -d "$(git log -1 --format=%cI 2>/dev/null || date -R)")
{
    echo "sortie ($version) unstable; urgency=medium"
    echo
    echo "  * Release $version: the engine, its demo game and its tools."
    echo
    echo " -- $maintainer  $date"
} | gzip -9n >"$doc/changelog.gz"

# dpkg-shlibdeps reads the source's debian/control, which this tree does not have: it gets
# a minimal one of its own.
work="$tree/shlibdeps"
rm -rf "$work"
mkdir -p "$work/debian"
printf 'Source: sortie\n\nPackage: sortie\nArchitecture: any\n' >"$work/debian/control"
libraries=$(cd "$work" && dpkg-shlibdeps -O $(for p in "$OLDPWD/$root"/usr/bin/* "$OLDPWD/$root"/usr/games/*; do echo "-e$p"; done) 2>/dev/null |
    sed -n 's/^shlibs:Depends=//p')
[ -n "$libraries" ] || { echo "tools/package.sh: dpkg-shlibdeps found no libraries" >&2; exit 1; }

mkdir -p "$root/DEBIAN"
size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
cat >"$root/DEBIAN/control" <<CONTROL
Package: sortie
Version: $version
Architecture: $(dpkg --print-architecture)
Maintainer: $maintainer
Installed-Size: $size
Depends: $libraries, fonts-unifont
Section: games
Priority: optional
Description: small data-driven 2D game engine with a mech action demo
 Sortie plays games made of text files, pictures and sounds: scripted
 picture screens between side-view shooting stages and top-down battles.
 .
 Its demo: a drone swarm has crossed the coast, and one mech is still fit
 for a sortie. The package also holds the tools that start, check, replay
 and export games of one's own.
CONTROL
(cd "$root" && find usr -type f -exec md5sum {} + | sort -k2 >DEBIAN/md5sums)

mkdir -p dist
out="dist/sortie_${version}_$(dpkg --print-architecture).deb"
dpkg-deb --root-owner-group -Zxz --build "$root" "$out" >/dev/null
echo "$out"
