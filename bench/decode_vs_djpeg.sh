#!/usr/bin/env bash
# Times DecodeJpegToPacked beside djpeg (libjpeg-turbo's own tool, package
# libjpeg-turbo-progs) on the same 12-megapixel JPEG. The processes run
# interleaved, round by round, so that all of them see the same machine load;
# then decode_bench times the decode and the verification in process. Prints
# medians and ratios.
#
#   bench/decode_vs_djpeg.sh [BUILD_DIR] [ROUNDS]     (defaults: build, 15)
set -euo pipefail

build=${1:-build}
rounds=${2:-15}
bench=$build/bin/decode_bench
command -v djpeg >/dev/null || { echo "djpeg not found: install libjpeg-turbo-progs" >&2; exit 2; }
[ -x "$bench" ] || { echo "$bench not found: build the target decode_bench" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
picture=$work/picture-12mp.jpg
"$bench" --make "$picture"

# Milliseconds of wall time of one run of the command.
elapsed_ms() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    awk -v ns=$((end - start)) 'BEGIN { printf "%.2f\n", ns / 1e6 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for ((round = 0; round < rounds; ++round)); do
    elapsed_ms djpeg -ppm -outfile /dev/null "$picture" >>"$work/djpeg-ppm"
    elapsed_ms djpeg -bmp -outfile /dev/null "$picture" >>"$work/djpeg-bmp"
    elapsed_ms "$bench" --decode "$picture" >>"$work/decode"
done
ppm=$(median <"$work/djpeg-ppm")
bmp=$(median <"$work/djpeg-bmp")
ours=$(median <"$work/decode")

# In process, with the allocator set up as the programs set it.
KESTRIN_BENCH_JPEG=$picture "$bench" --benchmark_repetitions="$rounds" \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null >"$work/bench.csv"
in_process() { grep "^\"$1/real_time_median\"" "$work/bench.csv" | cut -d, -f3; }
decode=$(in_process BM_DecodeJpegToPacked)
verify=$(in_process BM_VerifyJpegAgainstReference)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f\n", a / b }'; }
echo "picture: $(du -k "$picture" | cut -f1) KiB, 4000 x 3000, quality 90; $rounds rounds; medians in ms"
echo "process  djpeg -ppm -outfile /dev/null     $ppm"
echo "process  djpeg -bmp -outfile /dev/null     $bmp"
echo "process  decode_bench --decode             $ours"
echo "         ratio to djpeg -ppm               $(ratio "$ours" "$ppm")"
echo "         ratio to djpeg -bmp               $(ratio "$ours" "$bmp")"
echo "in process  DecodeJpegToPacked             $decode"
echo "in process  VerifyJpegAgainstReference     $verify"
echo "            ratio verify to decode         $(ratio "$verify" "$decode")"
echo "            ratio decode to djpeg -ppm     $(ratio "$decode" "$ppm")"
