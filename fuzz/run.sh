#!/usr/bin/env bash
# Builds the fuzz targets (clang, in build-fuzz) and runs each for a while, as
# many at once as there are cores, then prints per target its executions,
# coverage and crashes.
#   fuzz/run.sh [seconds] [target...]    default: 600 seconds, every target
# RM_FUZZ_RUNS=<n> ends each target after n executions if that comes first.
# Each target starts from its seeds (fuzz/corpus/<target>/) and what earlier
# runs found (build-fuzz/corpus/<target>/), with its dictionary
# (fuzz/<target>.dict) and libFuzzer options (fuzz/<target>.options) if any.
# A crash, leak, timeout or sanitizer report fails the run; its reproducer is
# left in build-fuzz/crashes/<target>/ and the report in
# build-fuzz/logs/<target>.log. Replay a reproducer with:
#   build-fuzz/fuzzers/fuzz_<target> <file>
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
build=${RM_FUZZ_BUILD:-build-fuzz}
jobs=${RM_FUZZ_JOBS:-$(nproc)}

command -v clang++ > /dev/null || { echo "fuzz/run.sh needs clang++ (packages clang, libclang-rt-14-dev)" >&2; exit 2; }
mkdir -p "$build/logs"
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DRM_FUZZ=ON -DBUILD_TESTING=OFF -DRM_BUILD_BENCHMARKS=OFF > "$build/logs/configure.log" \
    || { cat "$build/logs/configure.log"; exit 1; }
cmake --build "$build" --target fuzzers -j "$jobs"

if [ $# -gt 0 ]; then
    targets=("$@")
else
    mapfile -t targets < "$build/fuzzers/list.txt"
fi

# Without allocation stacks the targets run about twice as fast; a reproducer
# is replayed with them when a run fails.
full_asan="detect_leaks=1:abort_on_error=1:symbolize=1"
export ASAN_OPTIONS="$full_asan:malloc_context_size=0"
export UBSAN_OPTIONS="halt_on_error=1:abort_on_error=1:print_stacktrace=1"

run_one() {
    local name=$1 options=() rc=0
    local work=$build/corpus/$name crashes=$build/crashes/$name log=$build/logs/$name.log
    mkdir -p "$work" "$crashes" "$(dirname "$log")"
    local args=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048
                -max_len=4096 -artifact_prefix="$crashes/")
    [ -f "fuzz/$name.dict" ] && args+=(-dict="fuzz/$name.dict")
    if [ -f "fuzz/$name.options" ]; then
        read -r -a options < "fuzz/$name.options"
        args+=("${options[@]}")
    fi
    [ -n "${RM_FUZZ_RUNS:-}" ] && args+=(-runs="$RM_FUZZ_RUNS")
    "$build/fuzzers/fuzz_$name" "${args[@]}" "$work" "fuzz/corpus/$name" > "$log" 2>&1 || rc=$?
    echo "$rc" > "$build/logs/$name.rc"
}

start=$(date +%s)
running=0
for name in "${targets[@]}"; do
    if [ ! -x "$build/fuzzers/fuzz_$name" ]; then
        echo "no fuzz target $name (see $build/fuzzers/list.txt)" >&2
        exit 2
    fi
    rm -f "$build/logs/$name.rc"
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
    run_one "$name" &
    running=$((running + 1))
done
wait

failed=0
printf '%-16s %14s %10s %8s %8s %8s  %s\n' target executions exec/s cov ft crashes result
for name in "${targets[@]}"; do
    log=$build/logs/$name.log
    rc=$(cat "$build/logs/$name.rc" 2>/dev/null || echo 1)
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    status=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$status")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<< "$status")
    # Reproducers of this run only.
    crashes=$(find "$build/crashes/$name" -type f ! -name '*.txt' -newermt "@$start" | wc -l)
    result=ok
    if [ "$rc" != 0 ] || [ "$crashes" -gt 0 ]; then
        result=FAILED
        failed=1
    fi
    printf '%-16s %14s %10s %8s %8s %8s  %s\n' "$name" "${execs:-?}" "${rate:-?}" "${cov:-?}" \
        "${ft:-?}" "$crashes" "$result"
done

if [ "$failed" -ne 0 ]; then
    for name in "${targets[@]}"; do
        rc=$(cat "$build/logs/$name.rc" 2>/dev/null || echo 1)
        [ "$rc" = 0 ] && continue
        echo
        echo "=== $name (exit $rc): $build/logs/$name.log"
        grep -E 'property broken|ERROR:|SUMMARY:|runtime error|ASSERT' "$build/logs/$name.log" | head -5 || true
        sed -n '/^==[0-9]*==ERROR/,/^SUMMARY/p' "$build/logs/$name.log" | head -40 || true
        find "$build/crashes/$name" -type f ! -name '*.txt' -newermt "@$start" | while read -r file; do
            echo "reproducer: $file"
            echo "  full report: $file.txt"
            ASAN_OPTIONS="$full_asan" "$build/fuzzers/fuzz_$name" "$file" > "$file.txt" 2>&1 || true
        done
    done
    exit 1
fi
