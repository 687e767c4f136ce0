#!/bin/sh
# tools/package_test.sh: builds the Debian package (tools/package.sh deb), checks it with
# lintian, installs it with apt, plays the installed demo's title under Xvfb from the
# desktop entry's command, installs a game exported from a sortie-new game and starts it,
# removes both, and checks that nothing of them is left. It installs packages on this
# machine, so it needs root, and it takes a few minutes: it is not part of ./test.sh.
set -eu
cd "$(dirname "$0")/.."
case "${1:-}" in
-h | --help) echo "usage: tools/package_test.sh (as root)"; exit 0 ;;
--version) echo "tools/package_test.sh"; exit 0 ;;
"") ;;
*) echo "tools/package_test.sh: takes no arguments (usage: tools/package_test.sh)" >&2; exit 2 ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "tools/package_test.sh: installs packages, so it runs as root" >&2; exit 1; }
for tool in lintian xvfb-run xdotool desktop-file-validate; do
    command -v $tool >/dev/null || { echo "tools/package_test.sh: $tool is missing (tools/setup.sh package)" >&2; exit 1; }
done
if dpkg -s sortie >/dev/null 2>&1; then
    echo "tools/package_test.sh: sortie is installed already; remove it first" >&2
    exit 1
fi

# Debian keeps games in /usr/games, which a login shell has on its PATH.
PATH="$PATH:/usr/games"
fail() { echo "package test: FAILED: $*" >&2; exit 1; }
work=$(mktemp -d /tmp/sortie-package-test-XXXXXX)
# Whatever happens, the machine is left without the packages this test installed.
cleanup() {
    for package in mytestgame sortie; do
        if dpkg -s $package >/dev/null 2>&1; then apt-get remove -y -q $package >/dev/null 2>&1 || true; fi
    done
    rm -rf "$work"
}
trap cleanup EXIT

deb=$(tools/package.sh deb)
echo "package test: built $deb"
lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1 ||
    { cat "$work/lintian.txt"; fail "lintian reports errors"; }
grep -q '^E:' "$work/lintian.txt" && { cat "$work/lintian.txt"; fail "lintian reports errors"; }
echo "package test: lintian: $(grep -c '^[WI]:' "$work/lintian.txt" || true) warnings and notes, no errors"

DEBIAN_FRONTEND=noninteractive apt-get install -y -q "./$deb" >"$work/apt.txt" 2>&1 || { cat "$work/apt.txt"; fail "apt cannot install it"; }
dpkg -L sortie | sort >"$work/files.txt"
version=$(sortie --version)
[ "$version" = "sortie $(build/package/sortie --version | sed 's/^sortie //')" ] || fail "sortie --version says $version"
desktop-file-validate /usr/share/applications/org.sortie.Sortie.desktop || fail "the desktop entry does not validate"
command=$(sed -n 's/^Exec=//p' /usr/share/applications/org.sortie.Sortie.desktop)

# The menu's command from a folder without a game: the installed demo's title in a window
# of class ModelApp, with the player's folder in a home of its own.
mkdir -p "$work/home"
play() {
    # $1: the command; the window must appear and show a picture that is not all one colour.
    cd "$work/home"
    HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" \
        sh -c "$1 2>/dev/null & game=\$!; window=\$(timeout 60 xdotool search --sync --onlyvisible --class ModelApp | head -n 1);
               sleep 3; import -window root shot.png 2>/dev/null;
               colours=\$(convert shot.png -format %k info: 2>/dev/null || echo 0);
               kill \$game; [ -n \"\$window\" ] && [ \"\$colours\" -gt 16 ]" || { cd - >/dev/null; return 1; }
    cd - >/dev/null
}
play "$command" || fail "the menu's command $command showed no title"
echo "package test: the installed demo's title shows"

# A game of one's own, exported as a package that needs the installed sortie.
/usr/bin/sortie-new "$work/MyTestGame" >/dev/null
/usr/bin/sortie-export --deb "$work/MyTestGame" "$work/mytestgame.deb" >/dev/null
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$work/mytestgame.deb" >"$work/apt.txt" 2>&1 ||
    { cat "$work/apt.txt"; fail "apt cannot install the exported game"; }
play /usr/games/mytestgame || fail "the exported game shows no window"
echo "package test: the exported game plays"

apt-get remove -y -q mytestgame sortie >"$work/apt.txt" 2>&1 || { cat "$work/apt.txt"; fail "apt cannot remove them"; }
left=""
while read -r path; do
    [ -f "$path" ] || [ -L "$path" ] && left="$left $path"
    case "$path" in /usr/share/sortie* | /usr/share/doc/sortie*) [ -e "$path" ] && left="$left $path" ;; esac
done <"$work/files.txt"
[ -z "$left" ] || fail "left after removal:$left"
[ ! -e /usr/share/games/mytestgame ] || fail "the exported game's folder is left"
[ -d "$work/home/.local/share/sortie" ] || fail "the player's folder is gone"
echo "package test: removed; only the player's folder is left"
