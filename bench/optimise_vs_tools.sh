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
# Then the same for one large picture at a time: a 100-megapixel picture of
# about 5 MB and a file of about 200 MB (made once by make_workload and kept
# in BUILD_DIR/bench-pictures), each timed with decode_floor and the verbs
# that read a whole file: optimise into an output folder, exif show and exif
# transplant (with a camera-sized picture as the sample). Peak memory is the
# largest of the rounds; the goals for it are checked as the workloads' are.
#
#   bench/optimise_vs_tools.sh [BUILD_DIR] [FILES] [ROUNDS] [EVERYDAY_FILES]
#                                         (defaults: build, 800, 5, 435;
#                                          0 files leaves that workload out)
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
#   kestrin-cli optimise --output-dir out FILE   one large picture, default --jobs
#   kestrin-cli exif show FILE
#   kestrin-cli exif transplant --sample SAMPLE FILE   in place
# Only kestrin-cli --jobs 2 uses both cores; the others use one.
set -euo pipefail

build=${1:-build}
count=${2:-800}
rounds=${3:-5}
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
        optimise) echo "kestrin-cli optimise --output-dir" ;;
        show) echo "kestrin-cli exif show" ;;
        transplant) echo "kestrin-cli exif transplant" ;;
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

# kestrin-cli with the settings of an empty XDG_CONFIG_HOME.
cli() {
    local tool=$1 folder=$2 config
    shift 2
    config=$(mktemp -d "$work/config.XXXXXX")
    timed "$tool" "$folder" env XDG_CONFIG_HOME="$config" "$bin/kestrin-cli" "$@"
}

run() {
    local tool=$1 folder=$2
    case $tool in
        floor) timed "$tool" "$folder" "$bin/decode_floor" "${names[@]}" ;;
        jobs1 | jobs2) cli "$tool" "$folder" optimise --jobs "${tool#jobs}" "${names[@]}" ;;
        optimise) cli "$tool" "$folder" optimise --output-dir out "${names[@]}" ;;
        show) cli "$tool" "$folder" exif show "${names[@]}" ;;
        transplant) cli "$tool" "$folder" exif transplant --sample "$sample" "${names[@]}" ;;
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

# Runs every tool given on fresh copies of the folder source, round by round,
# and fills the arrays seconds (median), spread (slowest / fastest round) and
# peak (KiB, the largest round) for each.
declare -A seconds spread peak
rounds_of() {
    local title=$1 source=$2 round tool copy=$work/copy
    shift 2
    for ((round = 1; round <= rounds; ++round)); do
        for tool in "$@"; do
            rm -rf "$copy"
            cp -r "$source" "$copy"
            mkdir "$copy/out"
            sync
            run "$tool" "$copy"
            echo "$title, round $round: $(label "$tool") $(tail -n 1 "$state/seconds.$tool") s" >&2
        done
    done
    rm -rf "$copy"
    for tool in "$@"; do
        seconds[$tool]=$(median <"$state/seconds.$tool")
        spread[$tool]=$(sort -n "$state/seconds.$tool" | awk 'NR == 1 { low = $1 } END { print $1 / low }')
        peak[$tool]=$(maximum <"$state/rss.$tool")
    done
}

# Checks the peak memory of tool against a goal in MiB.
check_peak() {
    local tool=$1 goal_mib=$2
    check "$(label "$tool") peak RSS <= $goal_mib MiB" "$((peak[$tool] / 1024)) MiB" \
        "$(verdict "${peak[$tool]} <= $goal_mib * 1024")"
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

    local load_start
    load_start=$(cut -d' ' -f1-3 /proc/loadavg)
    rounds_of "$title" "$workload" "${tools[@]}"
    rm -rf "$workload"

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
    if [ "$title" = camera-sized ]; then
        check_peak jobs2 96
    fi
    # For scale, not a check: what the floor itself would give, spread over
    # two cores, against the single-process tools.
    echo "for scale: the floor over 2 cores would give $(calc "2 * ${seconds[jpegtran]} / $floor") x" \
        "jpegtran -copy none and $(calc "2 * ${seconds[jpegoptim]} / $floor") x jpegoptim --strip-all"
}

# The large pictures and the sample are made once and kept in the build folder:
# a 100-megapixel picture without grain packs into about 5 MB, a denser one of
# 110 megapixels at quality 100 takes about 200 MB.
pictures=$(cd "$build" && pwd)/bench-pictures
make_picture() {
    local name=$1
    shift
    [ -f "$pictures/$name" ] && return
    "$bin/make_workload" "$work/made" 1 "${exif_from[@]}" "$@" >/dev/null
    mkdir -p "$pictures"
    mv "$work/made/original-0.jpg" "$pictures/$name"
    rm -rf "$work/made"
}

# Times one large picture (name, title) against decode_floor and prints its
# table; the checks follow it.
measure_picture() {
    local name=$1 title=$2 tool
    state=$work/$name.state
    mkdir -p "$state" "$work/$name.source"
    cp "$pictures/$name" "$work/$name.source/"
    names=("$name")
    local load_start
    load_start=$(cut -d' ' -f1-3 /proc/loadavg)
    rounds_of "$title" "$work/$name.source" floor optimise show transplant
    rm -rf "$work/$name.source"
    echo
    echo "$title: $(calc "$(stat -c %s "$pictures/$name") / 1e6") MB; $rounds rounds; medians"
    echo "load average at start $load_start, at end $(cut -d' ' -f1-3 /proc/loadavg)"
    printf '%-36s %8s %8s %7s %9s\n' tool seconds "x floor" spread "peak MiB"
    for tool in floor optimise show transplant; do
        printf '%-36s %8.2f %8.2f %7.2f %9.1f\n' "$(label "$tool")" "${seconds[$tool]}" \
            "$(calc "${seconds[$tool]} / ${seconds[floor]}")" "${spread[$tool]}" \
            "$(calc "${peak[$tool]} / 1024")"
    done
}

((count > 0)) && measure camera-sized "$count" "${exif_from[@]}"
((everyday_count > 0)) && measure everyday "$everyday_count" --everyday "${exif_from[@]}"

make_picture 100-megapixels.jpg --picture 10000 10000 75 --grain 0
make_picture 200-mb.jpg --picture 10500 10500 100 --grain 127
make_picture sample.jpg
sample=$pictures/sample.jpg

measure_picture 100-megapixels.jpg "one 100-megapixel picture"
check_peak optimise 64
check_peak transplant 64
check "$(label optimise) <= 0.75 x floor" "$(calc "${seconds[optimise]} / ${seconds[floor]}") x" \
    "$(verdict "${seconds[optimise]} <= 0.75 * ${seconds[floor]}")"

measure_picture 200-mb.jpg "one 200 MB file"
for tool in optimise show transplant; do
    check_peak "$tool" 96
done
exit "$failed"
