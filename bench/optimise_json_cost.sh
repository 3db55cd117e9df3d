#!/usr/bin/env bash
# What the per-file records cost: kestrin-cli optimise with and without
# --json (which hashes every picture's samples) on the same files, round by
# round and side by side, so that both see the same machine load. Prints the
# median seconds of each and their ratio.
#
#   bench/optimise_json_cost.sh [BUILD_DIR] [FILES] [ROUNDS] [--everyday]
#                                          (defaults: build, 40, 5)
#
# The files come from make_workload (camera-sized, 2 to 12 megapixels, or
# everyday sizes with --everyday); every run gets fresh copies, written out
# to disk before the clock starts. Both runs use --jobs 1 and --quiet and
# write their results and Exif backups beside the files.
set -euo pipefail

build=${1:-build}
count=${2:-40}
rounds=${3:-5}
everyday=()
[ "${4:-}" = --everyday ] && everyday=(--everyday)
for program in kestrin-cli make_workload; do
    [ -x "$build/bin/$program" ] ||
        { echo "$build/bin/$program not found: build the target $program" >&2; exit 2; }
done
bin=$(cd "$build/bin" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
"$bin/make_workload" "$work/originals" "$count" "${everyday[@]}" >/dev/null

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Seconds of one run of kestrin-cli optimise with the given options on fresh copies.
timed() {
    rm -rf "$work/copy"
    cp -r "$work/originals" "$work/copy"
    sync
    local start end
    start=$(date +%s%N)
    (cd "$work/copy" && "$bin/kestrin-cli" optimise --jobs 1 --quiet "$@" ./*.jpg >/dev/null)
    end=$(date +%s%N)
    echo "($end - $start) / 1000000000" | bc -l
}

for ((round = 1; round <= rounds; round++)); do
    timed >>"$work/plain.txt"
    timed --json >>"$work/json.txt"
done
plain=$(median <"$work/plain.txt")
json=$(median <"$work/json.txt")
bytes=$(du -cb "$work/originals"/*.jpg | tail -1 | cut -f1)
printf '%d files, %.1f MB; %d rounds, medians\n' "$count" "$(echo "$bytes / 1000000" | bc -l)" "$rounds"
printf '  optimise          %8.3f s\n' "$plain"
printf '  optimise --json   %8.3f s\n' "$json"
printf '  --json / without  %8.3f\n' "$(echo "$json / $plain" | bc -l)"
