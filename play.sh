#!/bin/sh
# Sets up what the game needs, builds the game alone (optimised, in build/play/), and plays
# GAME_DIR, or the demo's game folder build/play/game/ when none is given. Options go to the
# game: ./play.sh --fullscreen, ./play.sh --scale 2 ~/games/mine, ./play.sh --help.
# The build's output goes to build/play.log, and is shown only when the build fails.
#   ./play.sh --web [--port N]  builds the demo as a web site in build/web/ and serves it on
#                               http://localhost:8000/ (or port N) until interrupted.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"

if [ "${1:-}" = --web ]; then
    shift
    port=8000
    while [ $# -gt 0 ]; do
        case "$1" in
        --port) [ $# -ge 2 ] || { echo "play.sh: --port needs a value" >&2; exit 2; }; port="$2"; shift 2 ;;
        --port=*) port="${1#--port=}"; shift ;;
        *) echo "play.sh: --web takes only --port N, not $1" >&2; exit 2 ;;
        esac
    done
    case "$port" in
    '' | *[!0-9]*) echo "play.sh: --port needs a number from 1 to 65535, not $port" >&2; exit 2 ;;
    esac
    if [ "$port" -lt 1 ] || [ "$port" -gt 65535 ]; then
        echo "play.sh: --port needs a number from 1 to 65535, not $port" >&2
        exit 2
    fi
    mkdir -p "$here/build"
    log="$here/build/web.log"
    echo "play.sh: building the demo for the browser (a few minutes the first time; output in build/web.log)" >&2
    if ! sh "$here/tools/setup.sh" web >"$log" 2>&1 </dev/null; then
        cat "$log" >&2
        echo "play.sh: the web build failed (the output above is kept in build/web.log)" >&2
        exit 1
    fi
    echo "play.sh: the demo is at http://localhost:$port/ (Ctrl+C stops the server)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$here/build/web"
fi

mkdir -p "$here/build"
log="$here/build/play.log"
if [ ! -x "$here/build/play/sortie" ]; then
    echo "play.sh: setting up and building the game (about a minute the first time; output in build/play.log)" >&2
fi
if ! sh "$here/tools/setup.sh" play >"$log" 2>&1 </dev/null; then
    cat "$log" >&2
    echo "play.sh: the build failed (the output above is kept in build/play.log)" >&2
    exit 1
fi

# The demo is played unless the command line names a game folder: an operand, which is a
# word that is neither an option nor an option's value, or anything after "--".
folder_given=no
ended=no
skip=0
for arg in "$@"; do
    if [ "$skip" -gt 0 ]; then
        skip=$((skip - 1))
    elif [ "$ended" = yes ]; then
        folder_given=yes
    else
        case "$arg" in
        --) ended=yes ;;
        --scale | --script | --record | --data) skip=1 ;;
        --stage) skip=2 ;;
        -?*) ;;
        *) folder_given=yes ;;
        esac
    fi
done
if [ "$folder_given" = yes ]; then
    exec "$here/build/play/sortie" "$@"
fi
exec "$here/build/play/sortie" "$@" "$here/build/play/game"
