#!/usr/bin/env bash
# Sets up, builds and runs every test (GoogleTest and Qt Test through ctest).
set -euo pipefail
cd "$(dirname "$0")/.."

# Each step's time, printed at the end (and where a step fails).
declare -a step_times=()
step() {  # step NAME COMMAND...
  local name=$1 started status=0
  shift
  started=$(date +%s)
  "$@" || status=$?
  step_times+=("$(printf '%5d s  %s' $(( $(date +%s) - started )) "$name")")
  if [ $status -ne 0 ]; then
    printf 'step failed: %s (exit %d)\n' "$name" "$status" >&2
    print_times
    exit $status
  fi
}
print_times() { printf 'step times:\n'; printf '  %s\n' "${step_times[@]}"; }

step "set-up" bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/korvane-runtime.XXXXXX)}"
chmod 700 "$XDG_RUNTIME_DIR"

dev_build() { cmake --preset dev && cmake --build --preset dev -j"$(nproc)"; }
step "dev build" dev_build
log=$(mktemp /tmp/korvane-ctest.XXXXXX)
dev_tests() { ctest --preset dev -j"$(nproc)" 2>&1 | tee "$log"; }
step "dev tests (ctest)" dev_tests
total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
failed=$(sed -n 's/.* \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -n 1)
rm -f "$log"

# Type libraries through IDL, widl and back: the fixtures exactly, Wine's own
# libraries no worse than the recorded floor.
step "IDL round trip" bash scripts/idl-roundtrip.sh

# The report's reader threads under the thread sanitizer (its tests take seconds).
tsan_tests() { cmake --preset tsan && cmake --build --preset tsan -j"$(nproc)" && ctest --preset tsan; }
step "thread sanitizer" tsan_tests

# Every libFuzzer target for a few seconds on its seed corpus (preset fuzz).
step "fuzz smoke" bash scripts/fuzz-smoke.sh

# The Windows builds (MinGW-w64, 32 and 64 bit) and their tests under Wine.
step "Windows builds and Wine" bash scripts/wine-tests.sh

# The Debian package: built, installed with apt-get, run, purged (as root).
step "Debian package" bash scripts/package-tests.sh

print_times
echo "linux: $(( ${total:-0} - ${failed:-0} )) passed, ${failed:-0} failed"
