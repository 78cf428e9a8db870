#!/usr/bin/env bash
# How long a registration whose entry point runs 15 s keeps the caller: the
# command must come back after the 10 s wait, not after 15 s.
# Usage: bench/registration_timeout.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
build=${1:-build/release}
cli=$build/bin/korvane-cli
slow=$build/components/comp_slow.so
[ -x "$cli" ] && [ -f "$slow" ] || { echo "build $build first (tests on)" >&2; exit 1; }
export KORVANE_REGISTRY=$(mktemp -d)/registry.db
for i in 1 2 3; do
  start=$(date +%s.%N)
  "$cli" register "$slow" >/dev/null || true
  end=$(date +%s.%N)
  echo "run $i: returned after $(echo "$end - $start" | bc) s (entry point runs 15 s, wait is 10 s)"
done
