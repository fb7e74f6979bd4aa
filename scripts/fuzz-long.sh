#!/usr/bin/env bash
# Runs every fuzz target for long, one after the other: scripts/fuzz-long.sh [seconds per target] [target...]
# FUZZ_RUNS=N stops a target after N inputs when that comes first.
# An optimized clang build with AddressSanitizer and UBSan in build-fuzz; the growing corpus of each target
# stays in build-fuzz/fuzz-corpus/<target>, a crash input in build-fuzz/crash-<target>-*.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-3600}
shift || true
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
    targets=(parameterfile settingsfile boundariesfile measurementfile calibrationfile scriptfile tracereader)
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTK_SANITIZE=ON -DCMAKE_CXX_COMPILER=clang++ \
    -DTK_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target fuzz_seeds "${targets[@]/#/fuzz_}"
fuzz=build-fuzz/tests/fuzz
# A smaller quarantine and shorter allocation stacks nearly double the rate of the allocation-heavy targets.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:malloc_context_size=5}
for t in "${targets[@]}"; do
    mkdir -p "build-fuzz/fuzz-corpus/$t"
    inputs=("$fuzz/seeds/$t")
    [ -d "tests/fuzz/regressions/$t" ] && inputs+=("tests/fuzz/regressions/$t")
    [ "$t" = boundariesfile ] && inputs+=(examples/limits)
    # A measurement file at the coarsest resolution is 11411 bytes; the finer ones only hold longer traces.
    max_len=()
    [ "$t" = measurementfile ] && max_len=(-max_len=12000)
    echo "== fuzz_$t for ${seconds} s"
    "$fuzz/fuzz_$t" -max_total_time="$seconds" -runs="${FUZZ_RUNS:--1}" "${max_len[@]}" -timeout=20 \
        -print_final_stats=1 \
        -artifact_prefix="build-fuzz/crash-$t-" "build-fuzz/fuzz-corpus/$t" "${inputs[@]}"
done
