#!/usr/bin/env bash
# Start-up to first paint of korvane.exe under Wine against a bare Win32 window
# of the same size, in the same Wine prefix, X server and run, and the size of
# each korvane.exe. Needs the Windows builds (presets win32-x64, win32-x86),
# wine and Xvfb.
#   bench/win32_startup.sh [RUNS]        (default 15 runs per program)
# The programs take turns (bare window, korvane.exe --version, korvane.exe),
# so that a slower moment of the machine falls on all of them alike; one
# warm-up round is not counted. Per program: median, best and worst wall time
# in milliseconds; then the ratio of the medians against the bare window, and
# the median of the per-round ratios. `korvane.exe --version` ends before any
# window: the cost of starting the program file itself under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${WINEPREFIX:-$(mktemp -d /tmp/korvane-wine-bench.XXXXXX)}
own_prefix=0
[ -f "$WINEPREFIX/system.reg" ] || { own_prefix=1; DISPLAY= wineboot -i >/dev/null 2>&1; }

display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
samples=$(mktemp -d /tmp/korvane-bench-samples.XXXXXX)
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null
  rm -rf "$samples"
  [ "$own_prefix" = 1 ] && rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
sleep 1
wineserver -p 60 >/dev/null 2>&1  # one server for all runs: starting it is not what is measured

# once NAME PROGRAM [ARGS...]: one timed run, its milliseconds appended to NAME's samples.
once() {
  local name=$1 t0 t1
  shift
  t0=$(date +%s%N)
  KORVANE_EXIT_AFTER_SHOW=1 wine "$@" >/dev/null 2>&1
  t1=$(date +%s%N)
  echo $(( (t1 - t0) / 1000000 )) >>"$samples/$name"
}

# stats NAME: median, best and worst of NAME's samples.
stats() {
  sort -n "$samples/$1" | awk '{a[NR]=$1} END {printf "median %d ms, best %d ms, worst %d ms", a[int((NR+1)/2)], a[1], a[NR]}'
}
median() { sort -n "$samples/$1" | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

for b in win32-x64 win32-x86; do
  exe=build/$b/bin/korvane.exe
  bare=build/$b/bin/bare_win32_window.exe
  [ -f "$exe" ] && [ -f "$bare" ] || continue
  rm -f "$samples"/*
  # A settings store that says the first-start installation is done.
  wine reg add 'HKCU\Software\VB and VBA Program Settings\Korvane\General' /v SelfInstall /d true /f >/dev/null 2>&1
  echo "$b korvane.exe: $(stat -c %s "$exe") bytes"
  for ((round = 0; round <= runs; round++)); do
    once bare "$bare"
    once version "$exe" --version
    once korvane "$exe"
    if [ "$round" = 0 ]; then rm -f "$samples"/*; fi  # the warm-up round
  done
  echo "$b bare window:       $(stats bare)"
  echo "$b korvane --version: $(stats version)"
  echo "$b korvane.exe:       $(stats korvane)"
  paste "$samples/korvane" "$samples/bare" | awk '{print $1 / $2}' | sort -n >"$samples/ratio"
  awk -v k="$(median korvane)" -v b="$(median bare)" -v r="$(awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}' "$samples/ratio")" \
    'BEGIN {printf "%s ratio korvane.exe / bare window: %.2f (medians), %.2f (median of rounds)\n", "'"$b"'", k / b, r}'
done
