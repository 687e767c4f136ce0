#!/bin/sh
# Builds the test tree and the Windows tree (tools/setup.sh test: MinGW, the libraries'
# cache, Wine), then runs the Windows programs under Wine against the native ones: every
# playthrough route byte for byte, the checker's reports, the game's window
# (tests/windows/wine_test.sh, the ctest label windows).
set -eu
cd "$(dirname "$0")/.."
case "${1:-}" in
-h | --help) echo "usage: tools/windows_test.sh"; exit 0 ;;
--version) echo "tools/windows_test.sh"; exit 0 ;;
"") ;;
*) echo "tools/windows_test.sh: takes no arguments (usage: tools/windows_test.sh)" >&2; exit 2 ;;
esac
sh tools/setup.sh test
exec ctest --preset windows
