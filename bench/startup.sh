#!/usr/bin/env bash
# Start-up to a shown main window: korvane (quitting right after the window
# is shown) against a bare Qt program that shows one empty window, measured
# in the same run, offscreen. Prints hyperfine's table and the ratio.
#
#   bench/startup.sh [runs]        (default 30 runs each, after 3 warm-ups)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-30}"
build=build/bench-startup

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_BUILD_BENCH=ON \
      -DKORVANE_BUILD_TESTS=OFF -DKORVANE_BUILD_FUZZ=OFF >/dev/null
cmake --build "$build" --target korvane bare_qt_window -j2 >/dev/null

work="$(mktemp -d /tmp/korvane-startup.XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/runtime" "$work/system32"
chmod 700 "$work/runtime"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$work/runtime"
export KORVANE_REGISTRY="$work/registry.db"
export KORVANE_SYSTEM_DIR="$work/system32"
export KORVANE_EXIT_AFTER_SHOW=1

# The first start installs the runtime components once; the warm-ups take it.
"$build/bin/korvane" || true

hyperfine --warmup 3 --runs "$runs" --export-json "$work/startup.json" \
  --command-name bare_qt_window "$build/bin/bare_qt_window" \
  --command-name korvane "$build/bin/korvane"

python3 - "$work/startup.json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
bare, korvane = results["bare_qt_window"], results["korvane"]
print(f"bare Qt window: {bare['mean']*1000:.1f} ms (sd {bare['stddev']*1000:.1f})")
print(f"korvane:        {korvane['mean']*1000:.1f} ms (sd {korvane['stddev']*1000:.1f})")
print(f"ratio korvane / bare: {korvane['mean']/bare['mean']:.2f} (goal: within 1.5)")
PY
