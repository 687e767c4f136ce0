#!/bin/sh
# The trigonometry's accuracy run: the MPFR comparison of tests/trig with SCALE times the
# suite's random arguments (50 when not given: about ten million in all) and every pattern
# direction, built optimised on its own into build/trig-accuracy. Prints how often ours and
# the C library's sine, cosine and arctangent match the correctly rounded values; fails
# when ours misses one.
#
#   tools/trig_accuracy.sh [SCALE]
set -eu
cd "$(dirname "$0")/.."

usage="usage: tools/trig_accuracy.sh [SCALE], SCALE from 1 to 1000"
scale=${1:-50}
case "$scale" in
--help | -h) echo "$usage"; exit 0 ;;
--version) echo "trig_accuracy.sh (Sortie) $(sed -n 's/^project(Sortie VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"; exit 0 ;;
'' | *[!0-9]*) echo "$usage" >&2; exit 2 ;;
esac
if [ "${#scale}" -gt 4 ] || [ "$scale" -lt 1 ] || [ "$scale" -gt 1000 ]; then
    echo "$usage" >&2
    exit 2
fi

if ! printf '#include <mpfr.h>\n' | ${CXX:-c++} -E -x c++ - >/dev/null 2>&1; then
    echo "trig_accuracy.sh: MPFR is missing; tools/setup.sh installs it" >&2
    exit 1
fi
mkdir -p build/trig-accuracy
# The engine's own flags: optimised, contraction off.
${CXX:-c++} -std=c++20 -O2 -ffp-contract=off -I. platform/trig.cpp tests/trig/trig_test.cpp \
    -lgtest -lgtest_main -lmpfr -lgmp -pthread -o build/trig-accuracy/trig_accuracy
SORTIE_TRIG_SCALE=$scale exec build/trig-accuracy/trig_accuracy
