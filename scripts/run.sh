#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window program on FILE (a
# sample picture shipped with the program when no file is given). Without a
# display, the window starts inside a virtual X server, and the script says
# how to take a screenshot of it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# Only the window program and its data: tests and benchmarks are the test
# command's, and would double the wait before the window appears.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)" --target kestrin
file=${1:-build/bin/sample.jpg}
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec build/bin/kestrin "$file"
fi

display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done
export DISPLAY=":$display"
echo "No display found: kestrin runs in the virtual X server $DISPLAY (1280x1024)."
echo "A screenshot of it: DISPLAY=$DISPLAY import -window root shot.png"
echo "Stop it with Ctrl+C."
build/bin/kestrin "$file"
