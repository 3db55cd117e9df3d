#!/usr/bin/env bash
# Times kestrin-cli optimise (pixel check on, default settings) beside the
# usual command-line tools that strip metadata, and beside decode_floor (two
# plain decodes of every file in one process, the least a pixel check costs),
# on copies of one workload of camera-sized JPEG files made by make_workload.
# Every round gives each tool fresh copies, written out to disk before the
# clock starts; the tools run one after the other, round by round, so that all
# see the same machine load. Prints medians, ratios and the checks below, and
# exits 1 when a check fails.
#
#   bench/optimise_vs_tools.sh [BUILD_DIR] [FILES] [ROUNDS]   (defaults: build, 800, 3)
#
# How each tool is run (all take relative names inside the copy's folder):
#   kestrin-cli optimise --jobs 1|2 FILE...   one process; results and Exif backups are
#                                             written beside the files (default settings),
#                                             settings from an empty XDG_CONFIG_HOME
#   exiftool -all= -overwrite_original FILE...  one process, in place
#   jhead -purejpg FILE...                    one process, in place
#   jpegtran -copy none -outfile NEW FILE     one process per file, one at a time (it
#                                             takes one file), each writing a new file
#   jpegoptim --strip-all FILE...             one process, in place
#   decode_floor FILE...                      one process
# Only kestrin-cli --jobs 2 uses both cores; the others use one.
set -euo pipefail

build=${1:-build}
count=${2:-800}
rounds=${3:-3}
here=$(cd "$(dirname "$0")" && pwd)
samples=$here/../../shared/samples/camera

missing=()
for tool in exiftool jhead jpegtran jpegoptim; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[ -x /usr/bin/time ] || missing+=(/usr/bin/time)
if ((${#missing[@]} > 0)); then
    echo "missing: ${missing[*]}" >&2
    echo "apt-get install libimage-exiftool-perl jhead jpegoptim libjpeg-turbo-progs time" >&2
    exit 2
fi
for program in kestrin-cli make_workload decode_floor; do
    [ -x "$build/bin/$program" ] ||
        { echo "$build/bin/$program not found: build the target $program" >&2; exit 2; }
done
# The tools run inside the copies' folders.
bin=$(cd "$build/bin" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
workload=$work/workload
exif_from=()
[ -d "$samples" ] && exif_from=(--exif-from "$samples")
made=$("$bin/make_workload" "$workload" "$count" "${exif_from[@]}")
mapfile -t names < <(cd "$workload" && ls -- *.jpg)

# Input size, and the memory bound of the check: two decoded pictures per
# worker for the largest picture, plus four times the largest file.
read -r bytes largest_bytes largest_pixels < <(cd "$workload" &&
    exiftool -q -T -FileSize# -ImageWidth -ImageHeight -- "${names[@]}" |
    awk '{ t += $1; if ($1 > b) b = $1; if ($2 * $3 > p) p = $2 * $3 }
         END { printf "%d %d %d\n", t, b, p }')
bound_kib=$(((largest_pixels * 3 * 2 * 2 + 4 * largest_bytes) / 1024))

tools=(floor jobs1 jobs2 exiftool jhead jpegtran jpegoptim)
label() {
    case $1 in
        floor) echo "decode_floor (2 decodes a file)" ;;
        jobs1) echo "kestrin-cli optimise --jobs 1" ;;
        jobs2) echo "kestrin-cli optimise --jobs 2" ;;
        exiftool) echo "exiftool -all= -overwrite_original" ;;
        jhead) echo "jhead -purejpg" ;;
        jpegtran) echo "jpegtran -copy none" ;;
        jpegoptim) echo "jpegoptim --strip-all" ;;
    esac
}

# Runs one tool in folder; appends its seconds and peak memory (KiB) to the
# tool's lists.
timed() {
    local tool=$1 folder=$2
    shift 2
    local start end status=0
    start=$(date +%s%N)
    (cd "$folder" && exec /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt") ||
        status=$?
    end=$(date +%s%N)
    # A file skipped or refused would make the time meaningless.
    if ((status != 0)); then
        echo "$(label "$tool") ended with status $status:" >&2
        tail -n 5 "$work/stderr.txt" >&2
        exit 2
    fi
    awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }' >>"$work/seconds.$tool"
    awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt" >>"$work/rss.$tool"
}

run() {
    local tool=$1 folder=$2 config
    case $tool in
        floor) timed "$tool" "$folder" "$bin/decode_floor" "${names[@]}" ;;
        jobs1 | jobs2)
            config=$(mktemp -d "$work/config.XXXXXX")
            timed "$tool" "$folder" env XDG_CONFIG_HOME="$config" \
                "$bin/kestrin-cli" optimise --jobs "${tool#jobs}" "${names[@]}"
            ;;
        exiftool) timed "$tool" "$folder" exiftool -q -all= -overwrite_original -- "${names[@]}" ;;
        jhead) timed "$tool" "$folder" jhead -q -purejpg "${names[@]}" ;;
        jpegtran)
            # shellcheck disable=SC2016 # the inner shell expands them
            timed "$tool" "$folder" bash -c \
                'for f; do jpegtran -copy none -outfile "stripped-$f" "$f" || exit 1; done' _ "${names[@]}"
            ;;
        jpegoptim) timed "$tool" "$folder" jpegoptim -q --strip-all "${names[@]}" ;;
    esac
}

load_start=$(cut -d' ' -f1-3 /proc/loadavg)
for ((round = 1; round <= rounds; ++round)); do
    for tool in "${tools[@]}"; do
        copy=$work/copy
        rm -rf "$copy"
        cp -r "$workload" "$copy"
        sync
        run "$tool" "$copy"
        echo "round $round: $(label "$tool") $(tail -n 1 "$work/seconds.$tool") s" >&2
    done
done
rm -rf "$work/copy"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
maximum() { sort -n | tail -n 1; }
declare -A seconds spread peak
for tool in "${tools[@]}"; do
    seconds[$tool]=$(median <"$work/seconds.$tool")
    spread[$tool]=$(sort -n "$work/seconds.$tool" | awk 'NR == 1 { low = $1 } END { print $1 / low }')
    peak[$tool]=$(maximum <"$work/rss.$tool")
done
calc() { awk "BEGIN { printf \"%.2f\", $1 }"; }

echo "workload: ${made/ in $workload/}, $(calc "$bytes / 1e6") MB;" \
    "largest $(calc "$largest_pixels / 1e6") megapixels, $(calc "$largest_bytes / 1e6") MB;" \
    "$rounds rounds; medians (MB = 10^6 bytes of input)"
echo "load average at start $load_start, at end $(cut -d' ' -f1-3 /proc/loadavg);" \
    "spread = slowest round / fastest round"
printf '%-36s %8s %8s %8s %8s %7s %9s\n' tool seconds files/s MB/s "x floor" spread "peak MiB"
for tool in "${tools[@]}"; do
    s=${seconds[$tool]}
    printf '%-36s %8.2f %8.2f %8.2f %8.2f %7.2f %9.1f\n' "$(label "$tool")" "$s" \
        "$(calc "$count / $s")" "$(calc "$bytes / 1e6 / $s")" "$(calc "$s / ${seconds[floor]}")" \
        "${spread[$tool]}" "$(calc "${peak[$tool]} / 1024")"
done

failed=0
check() {
    local text=$1 value=$2 verdict=$3
    printf '%-58s %12s  %s\n' "$text" "$value" "$verdict"
    [ "$verdict" = PASS ] || failed=1
}
verdict() { awk "BEGIN { print ($1) ? \"PASS\" : \"FAIL\" }"; }
floor=${seconds[floor]} jobs1=${seconds[jobs1]} jobs2=${seconds[jobs2]}
check "--jobs 1 time <= 1.25 x floor" "$(calc "$jobs1 / $floor") x" \
    "$(verdict "$jobs1 <= 1.25 * $floor")"
check "--jobs 2 speed-up over --jobs 1 >= 1.7" "$(calc "$jobs1 / $jobs2") x" \
    "$(verdict "$jobs1 >= 1.7 * $jobs2")"
for other in jpegtran jpegoptim; do
    check "--jobs 2 files/s >= 2 x $(label "$other")" "$(calc "${seconds[$other]} / $jobs2") x" \
        "$(verdict "${seconds[$other]} >= 2 * $jobs2")"
done
check "--jobs 2 peak RSS <= $((bound_kib / 1024)) MiB (2 pictures a worker + 4 files)" \
    "$((peak[jobs2] / 1024)) MiB" "$(verdict "${peak[jobs2]} <= $bound_kib")"
# For scale, not a check: what the floor itself would give, spread over two
# cores, against the single-process tools.
echo "for scale: the floor over 2 cores would give $(calc "2 * ${seconds[jpegtran]} / $floor") x" \
    "jpegtran -copy none and $(calc "2 * ${seconds[jpegoptim]} / $floor") x jpegoptim --strip-all"
exit "$failed"
