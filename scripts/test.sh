#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit and end-to-end
# tests, the same tests built with address and undefined-behaviour sanitizers,
# and a short run of every fuzz target. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds=${KESTRIN_FUZZ_SECONDS:-20}
jobs=$(nproc)

scripts/install-deps.sh

echo "== layers"
scripts/check-layers.py
scripts/check-layers-selftest.sh

echo "== unit tests"
scripts/build.sh build -DKESTRIN_WERROR=ON
ctest --test-dir build --output-on-failure --parallel "$jobs"

echo "== unit tests with sanitizers, and the fuzz targets"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DKESTRIN_SANITIZE=ON -DKESTRIN_FUZZ=ON -DKESTRIN_WERROR=ON
cmake --build build-asan --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure --parallel "$jobs"

echo "== fuzz smoke runs (${fuzz_seconds} s each)"
mkdir -p build-asan/fuzz-artifacts
for target in build-asan/bin/fuzz_*; do
    name=$(basename "$target")
    corpus=build-asan/fuzz-corpus/$name
    log=build-asan/fuzz-artifacts/$name.log
    mkdir -p "$corpus"
    echo "-- $name"
    if ! "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
        -artifact_prefix=build-asan/fuzz-artifacts/ "$corpus" "fuzz/seeds/$name" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz target $name failed"
        exit 1
    fi
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done)' "$log" || true
done
echo "== all tests passed"
