#!/usr/bin/env bash
# Builds the imaging, optimisation, editor and command-line tests with
# ThreadSanitizer into build-tsan/ and runs them: the pixel check decodes on
# two threads, the editor's check thread reads the list the editor changes,
# and the command line runs several workers. Not part of test.sh; run it by hand.
# Arguments go to CMake's configure step (a compiler launcher, say).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${KESTRIN_JOBS:-$(nproc)}
tests=(imaging_tests optimise_tests editor_tests cli_tests)

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRIN_BENCH=OFF \
    -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_C_FLAGS=-fsanitize=thread \
    -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread "$@"
cmake --build build-tsan --parallel "$jobs" --target "${tests[@]}" kestrin-cli
status=0
for test in "${tests[@]}"; do
    echo "== $test"
    (cd build-tsan && KESTRIN_BIN_DIR="$PWD/bin" \
        TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" "bin/$test" --gtest_brief=1) ||
        status=1
done
exit $status
