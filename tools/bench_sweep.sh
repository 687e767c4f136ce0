#!/bin/sh
# The frame benchmarks, ROUNDS times over (10 when not given), in the Release build of
# build/bench (preset bench). Prints each stage's median CPU time per frame for every round,
# then the median and the worst over the rounds, and checks the medians over the rounds
# against the bounds: 1 ms a frame at 1,000 objects, 4 ms at a full table. One round alone
# can mislead either way on a machine whose figures move from run to run.
#
#   tools/bench_sweep.sh [ROUNDS]
set -eu
cd "$(dirname "$0")/.."

usage="usage: tools/bench_sweep.sh [ROUNDS], ROUNDS from 1 to 1000"
rounds=${1:-10}
case "$rounds" in
--help | -h) echo "$usage"; exit 0 ;;
'' | *[!0-9]*) echo "$usage" >&2; exit 2 ;;
esac
if [ "${#rounds}" -gt 4 ] || [ "$rounds" -lt 1 ] || [ "$rounds" -gt 1000 ]; then
    echo "$usage" >&2
    exit 2
fi

sh tools/setup.sh bench >/dev/null

results=$(mktemp)
output=$(mktemp)
trap 'rm -f "$results" "$output"' EXIT
round=1
while [ "$round" -le "$rounds" ]; do
    if ! build/bench/bench/sortie_bench --benchmark_filter='(Battle|Shooting)(Plain)?Frame/' \
        --benchmark_repetitions=5 --benchmark_report_aggregates_only=true >"$output" 2>&1; then
        cat "$output" >&2
        exit 1
    fi
    awk -v round="$round" '$1 ~ /_median$/ { name = $1; sub(/^BM_/, "", name); sub(/_median$/, "", name);
                                             print round, name, $4, $5 }' "$output" >>"$results"
    round=$((round + 1))
done
if [ "$(wc -l <"$results")" -ne $((rounds * 16)) ]; then
    echo "tools/bench_sweep.sh: the benchmarks did not report all 16 frame figures every round" >&2
    exit 1
fi

# One line per benchmark: the rounds' medians in milliseconds, then their median and worst.
sort -k2,2 -k1,1n "$results" | awk -v rounds="$rounds" '
    function ms(value, unit) { return unit == "us" ? value / 1000 : unit == "ns" ? value / 1e6 : value }
    function report(   i, j, t, line, mid) {
        for (i = 1; i <= n; ++i) for (j = i + 1; j <= n; ++j) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
        mid = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
        line = sprintf("%-22s median %6.2f  worst %6.2f  rounds", current, mid, v[n])
        printf "%s%s\n", line, rounds_text
        if (current ~ /^(Battle|Shooting)Frame\/1000$/ && mid > 1) failed = failed " " current
        if (current ~ /^(Battle|Shooting)Frame\/4095$/ && mid > 4) failed = failed " " current
    }
    {
        if ($2 != current) { if (n) report(); current = $2; n = 0; rounds_text = "" }
        v[++n] = ms($3, $4)
        rounds_text = rounds_text sprintf(" %.2f", ms($3, $4))
    }
    END {
        if (n) report()
        if (failed != "") { print "over the bound:" failed; exit 1 }
        print "within the bounds (medians over " rounds " rounds, ms a frame)"
    }'
