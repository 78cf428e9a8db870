#!/bin/sh
# The folder report (korvane-cli report) over a large tree, cold (empty page
# cache) and warm, timed in one run against:
#   floor    - walking the tree and reading the first 4 KiB of every .dll,
#              .ocx and .exe, one file after the other (bench_floor_read)
#   exiftool - `exiftool -r` asked for the fields the report holds
# and, warm only, the same report through the real progress window, offscreen.
# The report runs with --jobs 1 (serial) and with its default readers. The
# warm runs are repeated with every processor kept busy by a busy loop of
# this script's own: the default must then not be slower than --jobs 1.
# Medians of several runs are printed, with the load of the machine before
# and after, since a busy machine stretches every figure.
#
# usage: bench/report.sh BUILD_DIR TREE [RUNS]
#   BUILD_DIR  a Release build configured with -DKORVANE_BUILD_BENCH=ON
#   TREE       the tree of `make-pe-corpus /tmp/corpus-full` (a copy, not
#              --link, so that dropping the cache really empties it)
#   RUNS       timed runs of the fast programs (default 10 warm, 5 cold;
#              exiftool runs 3 times each)
# Cold runs need root (they write /proc/sys/vm/drop_caches); without it
# they are skipped, and the script says so.
set -eu

build=${1:?usage: report.sh BUILD_DIR TREE [RUNS]}
tree=${2:?usage: report.sh BUILD_DIR TREE [RUNS]}
runs=${3:-10}
coldRuns=$(( runs / 2 > 2 ? runs / 2 : 3 ))
here=$(cd "$(dirname "$0")" && pwd)
src="$here/../src"
for tool in hyperfine jq exiftool pkg-config; do
  command -v "$tool" >/dev/null || { echo "report.sh: $tool is needed" >&2; exit 2; }
done

cmake --build "$build" --target korvane-cli bench_floor_read korvane_ui -j2 >/dev/null
floor="$build/bin/bench_floor_read"
cli="$build/bin/korvane-cli"
out=$(mktemp -d)
busy=""
trap 'rm -rf "$out"; [ -z "$busy" ] || kill $busy 2>/dev/null' EXIT

# The window's report is linked here against the build's static libraries.
window="$build/bin/report_window"
libs=$(ls "$build"/lib/libkorvane_*.a)
g++ -std=c++20 -O2 -fPIC -I"$src" -I"$build/src/ui/korvane_ui_autogen/include" \
  $(pkg-config --cflags Qt6Widgets) "$here/report_window.cpp" -o "$window" \
  -Wl,--start-group $libs -Wl,--end-group $(pkg-config --libs Qt6Widgets) -lsqlite3 -ldl -lpthread

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$out/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"

echo "machine: $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg) before"
echo "floor: $("$floor" "$tree")"
# Same bytes whatever reads them.
"$cli" report "$tree" --jobs 1 --output "$out/serial.txt"
"$cli" report "$tree" --output "$out/cli.txt"
"$window" "$tree" "$out/window.txt"
cmp -s "$out/serial.txt" "$out/cli.txt" || { echo "report.sh: --jobs 1 and the default differ" >&2; exit 1; }
cmp -s "$out/cli.txt" "$out/window.txt" || { echo "report.sh: window and CLI reports differ" >&2; exit 1; }
echo "records: $(grep -c '^File: ' "$out/cli.txt")"

fields='-CompanyName -FileDescription -InternalName -LegalCopyright -LegalTrademarks
-OriginalFileName -ProductName -ProductVersion -Comments -ObjectFileType -FileSubtype
-FileVersionNumber -ProductVersionNumber -FileOS -FileFlags'
exif="exiftool -q -q -r -fast2 -ext dll -ext ocx -ext exe $(echo $fields | tr '\n' ' ') '$tree'"

drop="sh -c 'sync; echo 3 > /proc/sys/vm/drop_caches'"
cold=0
if sh -c 'sync; echo 3 > /proc/sys/vm/drop_caches' 2>/dev/null; then cold=1; fi

if [ $cold -eq 1 ]; then
  hyperfine -N --runs "$coldRuns" --prepare "$drop" --export-json "$out/cold.json" \
    -n floor "'$floor' '$tree'" \
    -n serial "'$cli' report '$tree' --jobs 1 --output '$out/cli.txt'" \
    -n default "'$cli' report '$tree' --output '$out/cli.txt'" >&2
  hyperfine --runs 3 --prepare "$drop" --export-json "$out/exif-cold.json" \
    -n exiftool "$exif >/dev/null" >&2
else
  echo "cold: skipped, the page cache cannot be dropped (needs root)"
fi

# Warm: every component file read once in full first.
find "$tree" -type f \( -iname '*.dll' -o -iname '*.ocx' -o -iname '*.exe' \) -exec cat {} + >/dev/null
hyperfine -N --warmup 2 --runs "$runs" --export-json "$out/warm.json" \
  -n floor "'$floor' '$tree'" \
  -n serial "'$cli' report '$tree' --jobs 1 --output '$out/cli.txt'" \
  -n default "'$cli' report '$tree' --output '$out/cli.txt'" \
  -n window "'$window' '$tree' '$out/window.txt'" >&2
hyperfine --warmup 1 --runs 3 --export-json "$out/exif-warm.json" -n exiftool "$exif >/dev/null" >&2

# Warm, with every processor taken by other work.
for _ in $(seq "$(nproc)"); do
  sh -c 'while :; do :; done' &
  busy="$busy $!"
done
hyperfine -N --warmup 2 --runs "$runs" --export-json "$out/busy.json" \
  -n floor "'$floor' '$tree'" \
  -n serial "'$cli' report '$tree' --jobs 1 --output '$out/cli.txt'" \
  -n default "'$cli' report '$tree' --output '$out/cli.txt'" >&2
kill $busy
busy=""
echo "machine: load $(cut -d' ' -f1-3 /proc/loadavg) after"

median() { jq -r ".results[] | select(.command == \"$2\") | .median" "$1"; }
# Processor time (user + system, mean): what a busy machine stretches least.
cpu() { jq -r ".results[] | select(.command == \"$2\") | .user + .system" "$1"; }
table() {  # $1 cold|warm, $2 the goal for the default report against the floor
  f=$(median "$out/$1.json" floor)
  s=$(median "$out/$1.json" serial)
  d=$(median "$out/$1.json" default)
  e=$(median "$out/exif-$1.json" exiftool)
  fc=$(cpu "$out/$1.json" floor)
  sc=$(cpu "$out/$1.json" serial)
  dc=$(cpu "$out/$1.json" default)
  awk -v t="$1" -v f="$f" -v s="$s" -v d="$d" -v e="$e" -v g="$2" \
      -v fc="$fc" -v sc="$sc" -v dc="$dc" 'BEGIN {
    printf "%s (medians; processor time in brackets)\n", t
    printf "  floor (serial 4 KiB)  %8.1f ms  [%5.1f ms]\n", f * 1000, fc * 1000
    printf "  report --jobs 1       %8.1f ms  [%5.1f ms]  %.2fx the floor\n", s * 1000, sc * 1000, s / f
    printf "  report (default)      %8.1f ms  [%5.1f ms]  %.2fx the floor (goal: at most %.1fx)\n", d * 1000, dc * 1000, d / f, g
    printf "  exiftool              %8.1f ms               %.1fx the default report\n", e * 1000, e / d
  }'
}
[ $cold -eq 1 ] && table cold 0.5
table warm 1.2
w=$(median "$out/warm.json" window)
awk -v w="$w" 'BEGIN { printf "  window report         %8.1f ms\n", w * 1000 }'
f=$(median "$out/busy.json" floor)
s=$(median "$out/busy.json" serial)
d=$(median "$out/busy.json" default)
awk -v f="$f" -v s="$s" -v d="$d" -v n="$(nproc)" 'BEGIN {
  printf "warm, %d busy loops beside (medians)\n", n
  printf "  floor (serial 4 KiB)  %8.1f ms\n", f * 1000
  printf "  report --jobs 1       %8.1f ms  %.2fx the floor\n", s * 1000, s / f
  printf "  report (default)      %8.1f ms  %.2fx --jobs 1 (goal: at most 1.05x)\n", d * 1000, d / s
}'
