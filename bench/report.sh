#!/bin/sh
# The folder report (korvane-cli report) over a large tree, timed in one run
# against:
#   floor    - walking the tree and reading the first 4 KiB of every .dll,
#              .ocx and .exe (bench_floor_read)
#   exiftool - `exiftool -r` asked for the fields the report holds
#   window   - the same report through the real progress window, offscreen
#
# usage: bench/report.sh BUILD_DIR TREE [RUNS]
#   BUILD_DIR  a Release build configured with -DKORVANE_BUILD_BENCH=ON
#   TREE       e.g. the tree of `make-pe-corpus /tmp/corpus-full --link`
#   RUNS       timed runs of the fast programs (default 10; exiftool runs 3)
set -eu

build=${1:?usage: report.sh BUILD_DIR TREE [RUNS]}
tree=${2:?usage: report.sh BUILD_DIR TREE [RUNS]}
runs=${3:-10}
here=$(cd "$(dirname "$0")" && pwd)
src="$here/../src"
for tool in hyperfine jq exiftool pkg-config; do
  command -v "$tool" >/dev/null || { echo "report.sh: $tool is needed" >&2; exit 2; }
done

cmake --build "$build" --target korvane-cli bench_floor_read korvane_ui -j2 >/dev/null
floor="$build/bin/bench_floor_read"
cli="$build/bin/korvane-cli"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# The window's report is linked here against the build's static libraries.
window="$build/bin/report_window"
libs=$(ls "$build"/lib/libkorvane_*.a)
g++ -std=c++20 -O2 -fPIC -I"$src" -I"$build/src/ui/korvane_ui_autogen/include" \
  $(pkg-config --cflags Qt6Widgets) "$here/report_window.cpp" -o "$window" \
  -Wl,--start-group $libs -Wl,--end-group $(pkg-config --libs Qt6Widgets) -lsqlite3 -ldl -lpthread

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$out/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Warm the disk cache: every component file read once in full.
find "$tree" -type f \( -iname '*.dll' -o -iname '*.ocx' -o -iname '*.exe' \) -exec cat {} + >/dev/null
echo "floor: $("$floor" "$tree")"
"$cli" report "$tree" --output "$out/cli.txt"
"$window" "$tree" "$out/window.txt"
cmp -s "$out/cli.txt" "$out/window.txt" || { echo "report.sh: window and CLI reports differ" >&2; exit 1; }
echo "records: $(grep -c '^File: ' "$out/cli.txt")"

fields='-CompanyName -FileDescription -InternalName -LegalCopyright -LegalTrademarks
-OriginalFileName -ProductName -ProductVersion -Comments -ObjectFileType -FileSubtype
-FileVersionNumber -ProductVersionNumber -FileOS -FileFlags'
exif="exiftool -q -q -r -fast2 -ext dll -ext ocx -ext exe $(echo $fields | tr '\n' ' ') '$tree'"

hyperfine -N --warmup 2 --runs "$runs" --export-json "$out/fast.json" \
  -n floor "'$floor' '$tree'" \
  -n cli "'$cli' report '$tree' --output '$out/cli.txt'" \
  -n window "'$window' '$tree' '$out/window.txt'" >&2
hyperfine --warmup 1 --runs 3 --export-json "$out/exif.json" -n exiftool "$exif >/dev/null" >&2

mean() { jq -r ".results[] | select(.command == \"$2\") | .mean" "$1"; }
f=$(mean "$out/fast.json" floor)
c=$(mean "$out/fast.json" cli)
w=$(mean "$out/fast.json" window)
e=$(mean "$out/exif.json" exiftool)
awk -v f="$f" -v c="$c" -v w="$w" -v e="$e" 'BEGIN {
  printf "floor          %8.1f ms\n", f * 1000
  printf "korvane-cli    %8.1f ms   %.2fx the floor (goal: at most 2x)\n", c * 1000, c / f
  printf "window report  %8.1f ms   %.2fx korvane-cli (goal: at most 1.5x)\n", w * 1000, w / c
  printf "exiftool       %8.1f ms   korvane-cli is %.1fx faster (goal: at least 30x)\n", e * 1000, e / c
}'
