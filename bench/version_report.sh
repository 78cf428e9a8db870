#!/bin/sh
# Version information of every .dll, .ocx and .exe of a folder tree, timed
# against two baselines in the same run:
#   floor    - walking the tree and reading the first 4 KiB of each such file
#   exiftool - `exiftool -r` over the same tree, asked for the same fields
#
# usage: bench/version_report.sh BUILD_DIR TREE [RUNS]
#   BUILD_DIR  a Release build configured with -DKORVANE_BUILD_BENCH=ON
#              (targets bench_floor_read and bench_version_tree are built here)
#   TREE       e.g. a tree made by `make-pe-corpus /tmp/corpus-full --link`
#   RUNS       timed runs of the two fast programs (default 20; exiftool runs 3)
set -eu

build=${1:?usage: version_report.sh BUILD_DIR TREE [RUNS]}
tree=${2:?usage: version_report.sh BUILD_DIR TREE [RUNS]}
runs=${3:-20}
for tool in hyperfine jq exiftool; do
  command -v "$tool" >/dev/null || { echo "version_report.sh: $tool is needed" >&2; exit 2; }
done

cmake --build "$build" --target bench_floor_read bench_version_tree -j2 >/dev/null
floor="$build/bin/bench_floor_read"
ours="$build/bin/bench_version_tree"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Warm the disk cache: every component file read once in full.
find "$tree" -type f \( -iname '*.dll' -o -iname '*.ocx' -o -iname '*.exe' \) -exec cat {} + >/dev/null
echo "files: $("$floor" "$tree")"

fields='-CompanyName -FileDescription -InternalName -LegalCopyright -LegalTrademarks -OriginalFileName
-ProductName -ProductVersion -Comments -FileVersionNumber -ProductVersionNumber -FileFlags -FileOS
-ObjectFileType -FileSubtype'
exif="exiftool -q -q -r -fast2 -ext dll -ext ocx -ext exe -T $(echo $fields | tr '\n' ' ') '$tree'"

hyperfine -N --warmup 2 --runs "$runs" --export-json "$out/fast.json" \
  -n floor "'$floor' '$tree'" -n korvane "'$ours' '$tree'" >&2
hyperfine --warmup 1 --runs 3 --export-json "$out/exif.json" -n exiftool "$exif >/dev/null" >&2

mean() { jq -r ".results[] | select(.command == \"$2\") | .mean" "$1"; }
f=$(mean "$out/fast.json" floor)
k=$(mean "$out/fast.json" korvane)
e=$(mean "$out/exif.json" exiftool)
awk -v f="$f" -v k="$k" -v e="$e" 'BEGIN {
  printf "floor     %8.1f ms\n", f * 1000
  printf "korvane   %8.1f ms   %.2fx the floor (goal: at most 2x)\n", k * 1000, k / f
  printf "exiftool  %8.1f ms   korvane is %.1fx faster (goal: at least 30x)\n", e * 1000, e / k
}'
