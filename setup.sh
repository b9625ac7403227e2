#!/usr/bin/env bash
# Set-up of a fresh Debian 12 machine for the 4630K utility.
#   ./setup.sh run    installs what is missing, builds and starts the launcher
#   ./setup.sh test   installs what is missing, builds and runs every test,
#                     then again with address and undefined-behaviour sanitizers,
#                     then runs the fuzz targets briefly
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-run}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# The fonts: the windows' face (Liberation Sans, of Arial's metrics) and the
# Chinese texts' and the terminal's (Noto Sans CJK, Noto Sans Mono CJK).
packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-serialport-dev qt6-svg-dev
          qt6-qpa-plugins libgl-dev fonts-liberation2 fonts-noto-cjk)
# The Modbus tests run against a server built on libmodbus; the fuzz targets
# need clang and its libFuzzer.
[ "$mode" = run ] || packages+=(libmodbus-dev clang libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    # Through env, so that sudo passes the setting on: no prompts either way.
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)

case "$mode" in
run)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
        -DRM_BUILD_BENCHMARKS=OFF
    cmake --build build -j "$jobs"
    exec ./build/rm4630k-utility
    ;;
test)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
        -DRM_WARNINGS_AS_ERRORS=ON
    cmake --build build -j "$jobs"
    ctest --test-dir build --output-on-failure -j "$jobs"

    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON \
        -DRM_WARNINGS_AS_ERRORS=ON -DRM_SANITIZE=ON
    cmake --build build-asan -j "$jobs"
    # Any sanitizer report ends its test with a failure.
    ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1" \
    LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
        ctest --test-dir build-asan --output-on-failure -j "$jobs"

    # Every reader of outside input under libFuzzer for 15 s, all at once; a
    # crash fails the run and leaves its reproducer in build-fuzz/crashes/.
    fuzz/run.sh 15
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
