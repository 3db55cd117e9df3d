#!/usr/bin/env bash
# Times kestrin-cli optimise (pixel check on, default settings) beside the
# usual command-line tools that strip metadata, and beside decode_floor (two
# plain decodes of every file in one process, the least a pixel check costs),
# on copies of two workloads made by make_workload: camera-sized files (2 to
# 12 megapixels), and files of everyday sizes (2 KB to 3 MB, median about
# 130 KB, with the camera samples beside the checkout when present).
# Every round gives each tool fresh copies, written out to disk before the
# clock starts; the tools run one after the other, round by round, so that all
# see the same machine load. Prints medians, ratios and the checks below, and
# exits 1 when a check fails on either workload.
#
#   bench/optimise_vs_tools.sh [BUILD_DIR] [FILES] [ROUNDS] [EVERYDAY_FILES]
#                                         (defaults: build, 800, 3, 435)
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
everyday_count=${4:-435}
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
exif_from=()
[ -d "$samples" ] && exif_from=(--exif-from "$samples")

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
# tool's lists in the workload's state folder.
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
    awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }' >>"$state/seconds.$tool"
    awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt" >>"$state/rss.$tool"
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

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
maximum() { sort -n | tail -n 1; }
calc() { awk "BEGIN { printf \"%.2f\", $1 }"; }
verdict() { awk "BEGIN { print ($1) ? \"PASS\" : \"FAIL\" }"; }
failed=0
check() {
    local text=$1 value=$2 verdict=$3
    printf '%-58s %12s  %s\n' "$text" "$value" "$verdict"
    [ "$verdict" = PASS ] || failed=1
}

# Makes one workload (name, file count, make_workload's options), runs every
# tool on it round by round, prints its table and checks. Sets failed=1 when
# a check fails.
measure() {
    local title=$1 count=$2
    shift 2
    local workload=$work/$title.workload made bytes largest_bytes largest_pixels median_bytes
    state=$work/$title.state
    mkdir -p "$state"
    made=$("$bin/make_workload" "$workload" "$count" "$@")
    mapfile -t names < <(cd "$workload" && ls -- *.jpg)

    # Input size, and the memory bound of the check: two decoded pictures per
    # worker for the largest picture, plus four times the largest file.
    read -r bytes largest_bytes largest_pixels median_bytes < <(cd "$workload" &&
        exiftool -q -T -FileSize# -ImageWidth -ImageHeight -- "${names[@]}" | sort -n |
        awk '{ t += $1; if ($1 > b) b = $1; if ($2 * $3 > p) p = $2 * $3; v[NR] = $1 }
             END { printf "%d %d %d %d\n", t, b, p, v[int((NR + 1) / 2)] }')
    local bound_kib=$(((largest_pixels * 3 * 2 * 2 + 4 * largest_bytes) / 1024))

    local load_start round tool copy=$work/copy
    load_start=$(cut -d' ' -f1-3 /proc/loadavg)
    for ((round = 1; round <= rounds; ++round)); do
        for tool in "${tools[@]}"; do
            rm -rf "$copy"
            cp -r "$workload" "$copy"
            sync
            run "$tool" "$copy"
            echo "$title, round $round: $(label "$tool") $(tail -n 1 "$state/seconds.$tool") s" >&2
        done
    done
    rm -rf "$copy" "$workload"

    local -A seconds spread peak
    for tool in "${tools[@]}"; do
        seconds[$tool]=$(median <"$state/seconds.$tool")
        spread[$tool]=$(sort -n "$state/seconds.$tool" | awk 'NR == 1 { low = $1 } END { print $1 / low }')
        peak[$tool]=$(maximum <"$state/rss.$tool")
    done

    echo
    echo "$title workload: ${made/ in $workload/}, $(calc "$bytes / 1e6") MB," \
        "median file $(calc "$median_bytes / 1e3") KB, largest $(calc "$largest_bytes / 1e6") MB" \
        "and $(calc "$largest_pixels / 1e6") megapixels; $rounds rounds; medians (MB = 10^6 bytes of input)"
    echo "load average at start $load_start, at end $(cut -d' ' -f1-3 /proc/loadavg);" \
        "spread = slowest round / fastest round"
    printf '%-36s %8s %8s %8s %8s %7s %9s\n' tool seconds files/s MB/s "x floor" spread "peak MiB"
    local s
    for tool in "${tools[@]}"; do
        s=${seconds[$tool]}
        printf '%-36s %8.2f %8.2f %8.2f %8.2f %7.2f %9.1f\n' "$(label "$tool")" "$s" \
            "$(calc "$count / $s")" "$(calc "$bytes / 1e6 / $s")" "$(calc "$s / ${seconds[floor]}")" \
            "${spread[$tool]}" "$(calc "${peak[$tool]} / 1024")"
    done

    local floor=${seconds[floor]} jobs1=${seconds[jobs1]} jobs2=${seconds[jobs2]} other
    check "--jobs 1 files/s >= 0.8 x floor" "$(calc "$floor / $jobs1") x" \
        "$(verdict "0.8 * $jobs1 <= $floor")"
    check "--jobs 2 speed-up over --jobs 1 >= 1.75" "$(calc "$jobs1 / $jobs2") x" \
        "$(verdict "$jobs1 >= 1.75 * $jobs2")"
    for other in jpegtran jpegoptim; do
        check "--jobs 2 files/s >= 2 x $(label "$other")" "$(calc "${seconds[$other]} / $jobs2") x" \
            "$(verdict "${seconds[$other]} >= 2 * $jobs2")"
    done
    check "--jobs 2 peak RSS <= $((bound_kib / 1024)) MiB (2 pictures a worker + 4 files)" \
        "$((peak[jobs2] / 1024)) MiB" "$(verdict "${peak[jobs2]} <= $bound_kib")"
    # For scale, not a check: what the floor itself would give, spread over
    # two cores, against the single-process tools.
    echo "for scale: the floor over 2 cores would give $(calc "2 * ${seconds[jpegtran]} / $floor") x" \
        "jpegtran -copy none and $(calc "2 * ${seconds[jpegoptim]} / $floor") x jpegoptim --strip-all"
}

measure camera-sized "$count" "${exif_from[@]}"
measure everyday "$everyday_count" --everyday "${exif_from[@]}"
exit "$failed"
