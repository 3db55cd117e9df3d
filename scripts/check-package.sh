#!/usr/bin/env bash
# Tries the Debian package as a new user would, in a fresh Debian 12 root made
# with debootstrap (run as root): installs build-deb/kestrin_*.deb with apt-get,
# then, as an ordinary user, optimises a picture with kestrin-cli, shows the
# settings and the manual page, and starts kestrin from /usr/bin under a
# virtual X server, leaving a screenshot in build-deb/installed-kestrin.png.
# The root is kept for the next run (KESTRIN_CHECK_ROOT, default
# /var/tmp/kestrin-check-root).
set -euo pipefail
cd "$(dirname "$0")/.."

root=${KESTRIN_CHECK_ROOT:-/var/tmp/kestrin-check-root}
deb=$(ls build-deb/kestrin_*.deb 2>/dev/null | tail -n 1)
[ -n "$deb" ] || { echo "no package: run scripts/package.sh first" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "run as root: debootstrap and chroot need it" >&2; exit 1; }

command -v debootstrap >/dev/null || apt-get install -y --no-install-recommends debootstrap
if [ ! -x "$root/usr/bin/apt-get" ]; then
    debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
fi
mount -t proc proc "$root/proc"
trap 'umount "$root/proc"' EXIT

in_root() { chroot "$root" env DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 "$@"; }
as_user() { chroot "$root" su - tester -c "$1"; }

cp "$deb" "$root/tmp/kestrin.deb"
in_root apt-get update -q
echo "== apt-get install ./kestrin.deb"
in_root apt-get install -y -q --no-install-recommends /tmp/kestrin.deb man-db xvfb xauth \
    x11-apps imagemagick fonts-ipafont-gothic
in_root id tester >/dev/null 2>&1 || in_root useradd -m tester
# A kept root still holds the last run's results, which a new run must not meet.
rm -f "$root/home/tester/photo_kestrin100."*
cp data/sample.jpg "$root/home/tester/photo.jpg"
in_root chown tester: /home/tester/photo.jpg

echo "== kestrin-cli optimise photo.jpg"
as_user 'kestrin-cli optimise photo.jpg; echo "exit status $?"; ls -l'
echo "== kestrin-cli settings"
as_user 'kestrin-cli settings'
echo "== man kestrin-cli"
as_user 'MANWIDTH=80 man kestrin-cli 2>/dev/null | head -n 20'
echo "== kestrin under xvfb-run"
as_user 'xvfb-run -a -s "-screen 0 1024x768x24" sh -c \
    "/usr/bin/kestrin photo.jpg & sleep 4; import -window root shot.png; kill \$!"'
cp "$root/home/tester/shot.png" build-deb/installed-kestrin.png
echo "screenshot: build-deb/installed-kestrin.png"
