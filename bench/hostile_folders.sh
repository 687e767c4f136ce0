#!/bin/bash
# Plays the demo with one file replaced by a hostile one (pictures that claim 30000 x 30000,
# endless and blocking files, silent music) and shows what each costs: exit status, peak
# resident memory and time of 30 frames of sortie-replay under a memory limit, how often the
# music was opened, and what sortie-check says. Run it on a Release build:
#   cmake --preset bench && cmake --build build/bench --target sortie-replay sortie-check game
#   bench/hostile_folders.sh build/bench
set -u
build=${1:-build/bench}
replay=$build/tools/sortie-replay
check=$build/tools/sortie-check
limit_kb=${LIMIT_KB:-4194304}  # address space of each run: 4 GiB
for program in "$replay" "$check"; do
    [ -x "$program" ] || { echo "no $program: build it first (see the top of $0)" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

le() {  # value, bytes: little-endian bytes
    local v=$1 i
    for ((i = 0; i < $2; ++i)); do printf "\\x$(printf %02x $(((v >> (8 * i)) & 255)))"; done
}
bmp() {  # width height bits compression: a 54-byte BMP header
    printf BM; le 0 4; le 0 4; le 54 4; le 40 4; le "$1" 4; le "$2" 4; le 1 2; le "$3" 2; le "$4" 4
    le 0 20
}
rle_bomb() {  # 1 KB of run-length data claiming 30000 x 30000
    bmp 30000 30000 8 1; head -c 1024 /dev/zero
    for ((i = 0; i < 40; ++i)); do printf '\xff\x01'; done; printf '\x00\x01'
}
silent_wav() {  # a wave file whose data chunk is empty
    printf RIFF; le 36 4; printf 'WAVEfmt '; le 16 4; le 1 2; le 1 2; le 8000 4; le 8000 4; le 1 2; le 8 2
    printf data; le 0 4
}

fresh() {  # a copy of the demo folder
    rm -rf "$work/game" && cp -r "$build/game" "$work/game"
}

run() {  # name: plays 30 frames of $work/game and checks it
    local status
    (ulimit -v "$limit_kb"; timeout 60 /usr/bin/time -f '%M %e' -o "$work/time" \
        "$replay" --frames 30 --trace "$work/trace" "$work/game" >/dev/null 2>"$work/err")
    status=$?
    read -r kb seconds <"$work/time" 2>/dev/null || { kb=0; seconds=60; }
    local opens
    opens=$(grep -c 'mci open .* alias BGM' "$work/trace" 2>/dev/null)
    [ "$status" = 124 ] && kb=0 seconds="60 (killed: it hung)"
    printf '%-34s status %3s  peak %5d MB  %6s s  music opened %3s times\n' "$1" "$status" $((kb / 1024)) \
        "$seconds" "${opens:-0}"
    timeout 60 "$check" "$work/game" | grep -m 2 -e 'error' -e 'errors,' | sed 's/^/    /'
}

fresh; run "the demo as it is"
fresh; rle_bomb >"$work/game/bmp/title.bmp"; run "1 KB RLE 30000x30000 as title"
fresh; { bmp 30000 30000 4 0; head -c 64 /dev/zero; } >"$work/game/bmp/title.bmp"; run "118-byte 30000x30000 as title"
fresh; bmp 65772 4098 24 0 >"$work/game/bmp/title.bmp"; run "65772x4098 as title"
fresh; bmp 4 100663808 24 0 >"$work/game/bmp/title.bmp"; run "4x100663808 as title"
fresh; rle_bomb >"$work/game/bmp/char.bmp"; run "1 KB RLE 30000x30000 as char.bmp"
fresh; rle_bomb >"$work/game/bmp/format.bmp"; run "1 KB RLE 30000x30000 as format.bmp"
fresh; echo "call /dev/zero" >"$work/game/data/advfile.dat"; run "call /dev/zero"
fresh; echo "shoot 1" >"$work/game/data/advfile.dat"; ln -sf /dev/zero "$work/game/data/level1.txt"
run "level1.txt a link to /dev/zero"
fresh; rm "$work/game/data/advfile.dat"; mkfifo "$work/game/data/advfile.dat"; run "a FIFO as advfile.dat"
fresh; silent_wav >"$work/game/wav/level0.wav"; run "a silent WAV as the title music"
