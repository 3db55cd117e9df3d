#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window program on FILE (a
# sample picture shipped with the program when no file is given).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh build
file=${1:-build/bin/sample.jpg}
exec build/bin/kestrin "$file"
