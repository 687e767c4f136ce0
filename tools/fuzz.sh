#!/bin/sh
# Fuzzes every harness of fuzz/ (or the ones named) for SECONDS each, one after the other
# at low priority, after building the fuzz tree (preset fuzz, in build/fuzz).
#
#   tools/fuzz.sh [--keep] [SECONDS] [HARNESS...]      (SECONDS: 60 when not given)
#
# Inputs that reach new code are kept in build/fuzz/found/<harness>/, outside the
# repository, and grow from one run to the next; --keep then merges those that add
# coverage into the seed corpus fuzz/corpus/<harness>/, to be committed. An input that
# crashes, leaks or hangs is written to build/fuzz/crashes/ and the script ends with
# status 1 after the other harnesses; copy it into the harness's corpus once fixed.
set -eu
cd "$(dirname "$0")/.."

usage="usage: tools/fuzz.sh [--keep] [SECONDS] [HARNESS...]"
keep=0
seconds=60
case "${1:-}" in
--help | -h) echo "$usage"; exit 0 ;;
--keep) keep=1; shift ;;
esac
case "${1:-}" in
'' | *[!0-9]*) ;;
*) seconds=$1; shift ;;
esac
for name in "$@"; do
    if [ ! -f "fuzz/$name.cpp" ]; then
        echo "tools/fuzz.sh: no harness $name (fuzz/$name.cpp); $usage" >&2
        exit 2
    fi
done
if [ $# -eq 0 ]; then
    set -- $(for source in fuzz/*.cpp; do basename "$source" .cpp; done)
fi

if [ ! -f build/fuzz/CMakeCache.txt ]; then
    cmake --preset fuzz
fi
cmake --build --preset fuzz --parallel "$(nproc)"

status=0
summary=""
mkdir -p build/fuzz/crashes
for name in "$@"; do
    found="build/fuzz/found/$name"
    log="build/fuzz/found/$name.log"
    mkdir -p "$found"
    echo "fuzzing $name for $seconds s"
    if nice -n 19 "build/fuzz/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 \
        -artifact_prefix="$PWD/build/fuzz/crashes/$name-" "$found" "fuzz/corpus/$name" </dev/null >"$log" 2>&1; then
        result="no crash"
    else
        result="FAILED (see $log and build/fuzz/crashes/)"
        status=1
    fi
    runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log")
    summary="$summary$name: ${runs:-?} inputs in $seconds s, $(ls "$found" | wc -l) found so far, $result
"
    if [ "$keep" -eq 1 ]; then
        "build/fuzz/fuzz/fuzz_$name" -merge=1 "fuzz/corpus/$name" "$found" </dev/null >>"$log" 2>&1
    fi
done
printf '%s' "$summary"
exit $status
