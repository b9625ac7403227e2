#!/usr/bin/env bash
# Builds an optimised tree and runs the Modbus polling benchmark.
#   bench/modbus/run.sh [--seconds S] [--rounds R] [--long L]
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-bench --target bench_modbuspoll
exec ./build-bench/bench/modbus/bench_modbuspoll "$@"
