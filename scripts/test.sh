#!/usr/bin/env bash
# Sets up, builds and runs every test (GoogleTest and Qt Test through ctest).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/korvane-runtime.XXXXXX)}"
chmod 700 "$XDG_RUNTIME_DIR"

cmake --preset dev
cmake --build --preset dev -j"$(nproc)"
log=$(mktemp /tmp/korvane-ctest.XXXXXX)
ctest --preset dev -j"$(nproc)" 2>&1 | tee "$log"
total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
failed=$(sed -n 's/.* \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -n 1)
rm -f "$log"

# Type libraries through IDL, widl and back: the fixtures exactly, Wine's own
# libraries no worse than the recorded floor.
bash scripts/idl-roundtrip.sh

# The report's reader threads under the thread sanitizer (its tests take seconds).
cmake --preset tsan
cmake --build --preset tsan -j"$(nproc)"
ctest --preset tsan

# Every libFuzzer target for a few seconds on its seed corpus (preset fuzz).
bash scripts/fuzz-smoke.sh

# The Windows builds (MinGW-w64, 32 and 64 bit) and their tests under Wine.
bash scripts/wine-tests.sh

# The Debian package: built, installed with apt-get, run, purged (as root).
bash scripts/package-tests.sh

echo "linux: $(( ${total:-0} - ${failed:-0} )) passed, ${failed:-0} failed"
