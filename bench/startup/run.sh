#!/usr/bin/env bash
# Time from process start to the launcher's first paint, and peak memory,
# against a minimal Qt Widgets window, measured in the same run.
#   bench/startup/run.sh [build-dir] [runs]
# Builds nothing: build the project first (build/ by default). Runs each
# program once to warm the caches, then [runs] times each (default 15),
# alternating, and prints medians and ratios for every display available
# (offscreen always; an X server through xvfb-run when it is installed).
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/../.."
build=${1:-build}
runs=${2:-15}
launcher=$build/rm4630k-utility
minimal=$build/bench/startup/bench-minimal-window
for p in "$launcher" "$minimal"; do
    [ -x "$p" ] || { echo "missing $p: build the project first" >&2; exit 1; }
done

# One run: prints "<milliseconds to first paint> <peak KiB>".
measure() {
    local start out paint
    start=${EPOCHREALTIME/./}
    out=$(RM4630K_FIRST_PAINT=1 timeout 30 "$@" 2>/dev/null)
    paint=$(sed -n 's/^first-paint-us \([0-9]*\) peak-kib \([0-9]*\)$/\1/p' <<<"$out")
    [ -n "$paint" ] || { echo "no first paint reported by $*" >&2; exit 1; }
    awk -v s="$start" -v p="$paint" -v m="${out##* }" 'BEGIN { printf "%.2f %d\n", (p - s) / 1000, m }'
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.2f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

bench() {
    local label=$1
    shift
    local tl tm ml mm
    tl=$(mktemp) tm=$(mktemp) ml=$(mktemp) mm=$(mktemp)
    measure "$@" "$minimal" >/dev/null
    measure "$@" "$launcher" >/dev/null
    for ((i = 0; i < runs; i++)); do
        read -r t m < <(measure "$@" "$minimal")
        echo "$t" >>"$tm"
        echo "$m" >>"$mm"
        read -r t m < <(measure "$@" "$launcher")
        echo "$t" >>"$tl"
        echo "$m" >>"$ml"
    done
    local t_min t_app m_min m_app
    t_min=$(median <"$tm") t_app=$(median <"$tl")
    m_min=$(median <"$mm") m_app=$(median <"$ml")
    rm -f "$tl" "$tm" "$ml" "$mm"
    awk -v l="$label" -v n="$runs" -v a="$t_app" -v b="$t_min" -v ma="$m_app" -v mb="$m_min" 'BEGIN {
        printf "%s, median of %d runs\n", l, n
        printf "  first paint: launcher %.1f ms, minimal window %.1f ms, ratio %.2f (target <= 1.50)\n", a, b, a / b
        printf "  peak memory: launcher %.1f MiB, minimal window %.1f MiB, ratio %.2f (target launcher <= 40 MiB)\n", ma / 1024, mb / 1024, ma / mb
    }'
}

if [ "${RM_BENCH_UNDER_X:-}" = 1 ]; then
    # Second pass, inside one X server that xvfb-run started for all runs.
    bench "xvfb" env QT_QPA_PLATFORM=xcb
    exit 0
fi
bench "offscreen" env QT_QPA_PLATFORM=offscreen
if command -v xvfb-run >/dev/null; then
    RM_BENCH_UNDER_X=1 xvfb-run -a -s "-screen 0 1024x768x24" "$self" "$build" "$runs"
fi
