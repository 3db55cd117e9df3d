#!/usr/bin/env bash
# Builds the Debian package kestrin_VERSION_ARCH.deb into build-deb/: a release
# build installed under /usr, its run-time dependencies worked out from the
# programs. Installs what the build needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# Without these CPack still makes a package, but one that declares no
# libraries and cannot start on a machine that lacks them.
for tool in file dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "package.sh: $tool is missing" >&2; exit 1; }
done
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DKESTRIN_TESTS=OFF -DKESTRIN_BENCH=OFF
cmake --build build-deb --parallel "$(nproc)"
rm -f build-deb/kestrin_*.deb
(cd build-deb && cpack -G DEB)
deb=$(ls build-deb/kestrin_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in
    *libqt6core6*) ;;
    *) echo "package.sh: $deb declares no Qt library ($depends)" >&2; exit 1 ;;
esac
ls -l "$deb"
echo "Depends: $depends"
