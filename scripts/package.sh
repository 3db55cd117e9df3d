#!/usr/bin/env bash
# Builds the Debian package kestrin_VERSION_ARCH.deb into build-deb/: a release
# build installed under /usr, its run-time dependencies worked out from the
# programs. Installs what the build needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DKESTRIN_TESTS=OFF -DKESTRIN_BENCH=OFF
cmake --build build-deb --parallel "$(nproc)"
(cd build-deb && cpack -G DEB)
ls -l build-deb/kestrin_*.deb
