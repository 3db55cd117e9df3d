#!/usr/bin/env bash
# Installs every package the build, the tests and the program need on Debian 12.
# Idempotent: does nothing when all of them are present already.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config python3
    qt6-base-dev libjpeg62-turbo-dev libssl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev libjpeg-turbo-progs
    xvfb xauth fonts-ipafont-gothic xdg-utils imagemagick qt6-translations-l10n
    file dpkg-dev parallel
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
