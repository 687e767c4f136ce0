#!/bin/sh
# Sets everything up, builds, and starts the game from its game folder build/game/.
set -eu
cd "$(dirname "$0")"
sh tools/setup.sh
cd build/game
exec ../sortie
