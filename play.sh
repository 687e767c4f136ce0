#!/bin/sh
# Sets up what the game needs, builds the game alone (optimised, in build/play/), and plays
# the demo's game folder build/play/game/. Options go to the game: ./play.sh --fullscreen
set -eu
cd "$(dirname "$0")"
sh tools/setup.sh play
exec build/play/sortie "$@" build/play/game
