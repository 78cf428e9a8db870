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
ctest --preset dev -j"$(nproc)"

# The Windows builds (MinGW-w64, 32 and 64 bit) and their tests under Wine.
bash scripts/wine-tests.sh
