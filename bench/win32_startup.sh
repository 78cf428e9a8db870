#!/usr/bin/env bash
# Start-up to first paint of korvane.exe under Wine against a bare Win32 window
# of the same size, in the same Wine prefix and X server, and the size of each
# korvane.exe. Needs the Windows builds (presets win32-x64, win32-x86), wine
# and Xvfb.
#   bench/win32_startup.sh [RUNS]        (default 10 runs per program)
# Prints one line per program: median and best wall time in milliseconds.
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${WINEPREFIX:-$(mktemp -d /tmp/korvane-wine-bench.XXXXXX)}
own_prefix=0
[ -f "$WINEPREFIX/system.reg" ] || { own_prefix=1; DISPLAY= wineboot -i >/dev/null 2>&1; }

display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null
  [ "$own_prefix" = 1 ] && rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
sleep 1
wineserver -p 60 >/dev/null 2>&1  # one server for all runs: starting it is not what is measured

# time_runs PROGRAM... : median and best of $runs runs, in ms.
time_runs() {
  local times=() t0 t1
  for ((i = 0; i < runs; i++)); do
    t0=$(date +%s%N)
    KORVANE_EXIT_AFTER_SHOW=1 wine "$@" >/dev/null 2>&1
    t1=$(date +%s%N)
    times+=($(( (t1 - t0) / 1000000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "median %d ms, best %d ms", a[int((NR+1)/2)], a[1]}'
}

for b in win32-x64 win32-x86; do
  exe=build/$b/bin/korvane.exe
  [ -f "$exe" ] || continue
  # A settings store that says the first-start installation is done.
  wine reg add 'HKCU\Software\VB and VBA Program Settings\Korvane\General' /v SelfInstall /d true /f >/dev/null 2>&1
  echo "$b korvane.exe: $(stat -c %s "$exe") bytes"
  echo "$b bare window:  $(time_runs "build/$b/bin/bare_win32_window.exe")"
  echo "$b korvane.exe:  $(time_runs "$exe")"
done
