#!/usr/bin/env bash
# Configures and builds the program into build/ (the folder given as $1 instead);
# further arguments go to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${@:2}"
cmake --build "$build_dir" --parallel "$(nproc)"
