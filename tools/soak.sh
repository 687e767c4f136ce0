#!/bin/sh
# The long soak: the random-play test of tests/endurance for FRAMES frames (a million when
# not given), played by a Release sortie-replay (built in build/bench, preset bench) on the
# demo folder of the test build. Prints the run time and the resident memory at frame
# 10,000 and at the end; fails when the run crashes or grows.
#
#   tools/soak.sh [FRAMES]
set -eu
cd "$(dirname "$0")/.."

usage="usage: tools/soak.sh [FRAMES], FRAMES at least 10000 (the first measurement)"
frames=${1:-1000000}
case "$frames" in
--help | -h) echo "$usage"; exit 0 ;;
'' | *[!0-9]*) echo "$usage" >&2; exit 2 ;;
esac
if [ "${#frames}" -gt 12 ] || [ "$frames" -lt 10000 ]; then
    echo "$usage" >&2
    exit 2
fi

sh tools/setup.sh
if [ ! -f build/bench/CMakeCache.txt ]; then
    cmake --preset bench
fi
cmake --build build/bench --target sortie-replay --parallel "$(nproc)"
SORTIE_SOAK_FRAMES=$frames SORTIE_SOAK_PROGRAM="$PWD/build/bench/tools/sortie-replay" \
    exec build/tests/test_endurance --gtest_filter='Soak.*'
