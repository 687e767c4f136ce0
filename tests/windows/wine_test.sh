#!/bin/sh
# The Windows build under Wine against this machine's native build, byte for byte:
#   wine_test.sh prefix   makes the Wine prefix (once per Windows tree) and starts a wineserver
#                         that stays for the other parts
#   wine_test.sh replay   sortie-replay.exe plays every playthrough route: the same summary,
#                         trace, character list, saved state and shots as the native
#                         sortie-replay
#   wine_test.sh check    the programs are windowed (the game) or console ones (the tools)
#                         and need no DLL but Windows' own; sortie-check.exe reports on the demo and on a broken game as the
#                         native one does (words, exit status); sortie-assets.exe draws the
#                         demo's pictures and sounds as the native one does
#   wine_test.sh window   sortie.exe, a windowed program, still answers --help in a console;
#                         the demo exported with sortie-export --windows, started without a
#                         game folder, opens its window, a click on the title reaches the
#                         hangar, and a setting changed is kept under %APPDATA%
#   wine_test.sh stop     stops the wineserver
# SORTIE_BUILD names the native tree, SORTIE_WINDOWS_TREE the Windows one.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
routes="$here/../playthrough"
native="${SORTIE_BUILD:?}"
windows="${SORTIE_WINDOWS_TREE:?}"
export WINEPREFIX="$windows/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winealsa.drv,winepulse.drv=d"
# Wine would offer to download Mono and Gecko for a new prefix; no program here needs them.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mscoree,mshtml="
scratch="$(mktemp -d "${TMPDIR:-/tmp}/sortie-wine-test-XXXXXX")"
[ -n "${SORTIE_KEEP:-}" ] || trap 'rm -rf "$scratch"' EXIT
fail() { echo "wine test: $*" >&2; exit 1; }

# Every part runs on one virtual display, which the prefix part starts: Wine's desktop process,
# started with the first program, serves the windows of all that follow.
display_file="$windows/wine-display"
[ "${1:-}" = prefix ] || [ ! -f "$display_file" ] || export DISPLAY="$(sed -n 1p "$display_file")"

case "${1:-}" in
prefix)
    [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1 || fail "wineboot cannot make $WINEPREFIX"
    wineserver -k 2>/dev/null || true
    [ ! -f "$display_file" ] || kill "$(sed -n 2p "$display_file")" 2>/dev/null || true
    exec 3>"$scratch/display"
    # The servers that stay hold none of the caller's output open: ctest waits for it to close.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    for attempt in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
    [ -s "$scratch/display" ] || fail "Xvfb did not start"
    printf ':%s\n%s\n' "$(cat "$scratch/display")" "$!" >"$display_file"
    export DISPLAY="$(sed -n 1p "$display_file")"
    # Kept running, each program starts in a few hundredths of a second instead of half a one.
    wineserver -p </dev/null >/dev/null 2>&1
    # Wine's own services start with the first program and stay with the server: started here,
    # with no output of a later part to hold open.
    wineboot </dev/null >/dev/null 2>&1
    ;;

stop)
    wineserver -k 2>/dev/null || true
    [ ! -f "$display_file" ] || kill "$(sed -n 2p "$display_file")" 2>/dev/null || true
    rm -f "$display_file"
    ;;

replay)
    # One run of sortie-replay ($1: the program, with wine before it for Windows) over the
    # route $2 into the folder $3, of the game in $4 (the native tree's by default): its
    # summary on stdout, every file it wrote beside it.
    play() {
        frames=$(sed -n 's/.*--frames \([0-9]*\).*/\1/p' "$routes/$2" | head -n 1)
        mkdir -p "$3/player"
        half=$((frames / 2))
        $1 --frames "$frames" --time 1000 --input "$routes/$2" --trace "$3/trace.txt" --data "$3/player" \
            --shot=1="$3/shot-1.bmp" --shot="$half"="$3/shot-$half.bmp" --shot="$frames"="$3/shot-$frames.bmp" \
            --save="$half"="$3/state.sav" \
            "${4:-$native/game}" >"$3/summary.txt" 2>"$3/stderr.txt" || { cat "$3/stderr.txt" >&2; fail "$2: $1 failed"; }
    }
    count=0
    for route in "$routes"/*.txt; do
        route="$(basename "$route")"
        play "$native/tools/sortie-replay" "$route" "$scratch/$route/native"
        play "wine $windows/tools/sortie-replay.exe" "$route" "$scratch/$route/windows"
        diff -r "$scratch/$route/native" "$scratch/$route/windows" >&2 || fail "$route: the Windows run differs"
        count=$((count + 1))
    done
    [ "$count" -ge 6 ] || fail "only $count routes"
    echo "wine test: $count routes give the native bytes"
    # Names outside any ANSI code page: a game folder and a player's folder in Cyrillic.
    cp -r "$native/game" "$scratch/Игра"
    play "wine $windows/tools/sortie-replay.exe" armory_first.txt "$scratch/Игрок" "$scratch/Игра"
    diff -r "$scratch/armory_first.txt/native" "$scratch/Игрок" >&2 || fail "a game in a Cyrillic folder plays otherwise"
    echo "wine test: a game and a player's folder named in Cyrillic give the same bytes"
    ;;

check)
    # Only the game is a windowed program (no console opens when it is double-clicked); every
    # program needs only Windows' own DLLs.
    for program in "$windows"/sortie.exe "$windows"/tools/*.exe; do
        headers="$(x86_64-w64-mingw32-objdump -p "$program")"
        kind=CUI; [ "$(basename "$program")" != sortie.exe ] || kind=GUI
        echo "$headers" | grep -q "^Subsystem.*(Windows $kind)" || fail "$program is no Windows $kind program"
        ! echo "$headers" | grep -i "DLL Name:.*\(sdl\|stdc++\|gcc\|pthread\|zlib\|freetype\)" >&2 ||
            fail "$program needs a DLL that Windows does not have"
    done
    # A broken copy of the demo: a script that calls a missing one, a picture that is no
    # picture, a folder where a sound should be, a script too long.
    cp -r "$native/game" "$scratch/broken"
    printf 'not a picture' >"$(find "$scratch/broken/bmp" -name '*.bmp' | sort | head -n 1)"
    printf '\nscript ./data/missing.dat\n' >>"$scratch/broken/data/advfile.dat"
    sound="$(find "$scratch/broken/wav" -name '*.wav' | sort | head -n 1)"
    rm "$sound" && mkdir "$sound"
    # A script over the 4 MiB a text file is read to (Windows reads it through a shortened copy).
    yes '; padding' | head -c 5000000 >>"$scratch/broken/data/story4.dat"
    for game in "$native/game" "$scratch/broken"; do
        status=0; "$native/tools/sortie-check" "$game" >"$scratch/native.txt" 2>&1 || status=$?
        wstatus=0; wine "$windows/tools/sortie-check.exe" "$game" >"$scratch/windows.txt" 2>&1 || wstatus=$?
        diff "$scratch/native.txt" "$scratch/windows.txt" >&2 || fail "sortie-check reports $game otherwise"
        [ "$status" = "$wstatus" ] || fail "sortie-check exits $wstatus on $game, the native one $status"
        echo "wine test: sortie-check on $(basename "$game"): the native report, status $status"
    done
    [ "$status" -ne 0 ] || fail "the broken game passed the check"
    # The demo's pictures and sounds, drawn and synthesised by sortie-assets.exe.
    wine "$windows/tools/sortie-assets.exe" "$scratch/drawn" >/dev/null || fail "sortie-assets.exe failed"
    for folder in bmp wav; do
        diff -r "$native/game/$folder" "$scratch/drawn/$folder" >&2 || fail "sortie-assets.exe draws another $folder/"
    done
    echo "wine test: sortie-assets.exe draws the native pictures and sounds"
    ;;

window)
    usage="$(wine "$windows/sortie.exe" --help | head -n 1)"
    [ "$usage" = "$("$native/sortie" --help | head -n 1)" ] || fail "sortie.exe --help printed '$usage'"
    # The title and the hangar as sortie-replay draws them (the title clicked at frame 20).
    cd "$scratch"
    printf '20 mouse down left\n21 mouse up left\n' >route.txt
    "$native/tools/sortie-replay" --frames 60 --input route.txt --shot 10=title.bmp --shot 60=hangar.bmp \
        "$native/game" >/dev/null
    # The demo as an author exports it for Windows, played as a double-click plays it: the
    # program beside the game folder, started from elsewhere without one.
    "$native/tools/sortie-export" --windows --name demo --engine "$windows" "$native/game" demo.zip >/dev/null
    unzip -q demo.zip
    mkdir elsewhere
    # The player's folder is the one under %APPDATA% that a double-click gives.
    roaming="$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Roaming)"
    rm -rf "$roaming/sortie"
    cat >play.sh <<EOF
cd elsewhere
wine "$scratch/demo/demo.exe" >../game.txt 2>&1 &
game=\$!
cd ..
trap 'kill \$game 2>/dev/null' EXIT
# Under Wine a window's X class is its program's name. A search walks every window, and one
# that Wine closes meanwhile ends it with an X error: it is asked again until it finds one.
window=""
for attempt in \$(seq 300); do
    window=\$(xdotool search --onlyvisible --class demo.exe 2>/dev/null | head -n 1)
    [ -z "\$window" ] || break
    sleep 0.2
done
[ -n "\$window" ] || { echo "no window"; exit 1; }
# The window's picture as ImageMagick sees it, compared with a shot: the pixels that differ.
differs() { import -window "\$window" bmp3:shown.bmp 2>/dev/null &&
            compare -metric AE shown.bmp "\$1" null: 2>&1 | sed 's/ .*//'; }
shows() { # shows SHOT: true once the window shows it (all but 1 % of its pixels), within 30 s
    for attempt in \$(seq 150); do
        n=\$(differs "\$1") && [ "\$n" -lt 4800 ] 2>/dev/null && return 0
        sleep 0.2
    done
    echo "the window never showed \$1 (\$n pixels differ)"; return 1
}
shows title.bmp || exit 1
xdotool mousemove --window "\$window" 400 300 mousedown 1 sleep 0.1 mouseup 1
shows hangar.bmp || exit 1
# M turns the sound off, a setting kept in the player's folder for the game folder "game".
xdotool key --window "\$window" m
for attempt in \$(seq 50); do
    ls "$roaming"/sortie/games/game-*/settings.txt >/dev/null 2>&1 && exit 0
    sleep 0.2
done
echo "no settings.txt in the player's folder under $roaming/sortie/games"; exit 1
EOF
    [ -n "${DISPLAY:-}" ] || fail "no virtual display: the prefix part starts it"
    sh play.sh >window.txt 2>&1 || { cat window.txt game.txt >&2; fail "the window test failed"; }
    rm -rf "$roaming/sortie"
    echo "wine test: the exported demo opened its window, the title's click reached the hangar, and its"
    echo "wine test: settings went to the player's folder under %APPDATA%"
    ;;

*)
    echo "usage: wine_test.sh prefix|replay|check|window|stop" >&2
    exit 2
    ;;
esac
