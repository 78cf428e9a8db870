#!/usr/bin/env bash
# Sets up, builds and starts the desktop program; arguments go to korvane.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/korvane-runtime.XXXXXX)}"
chmod 700 "$XDG_RUNTIME_DIR"

cmake --preset release -DKORVANE_BUILD_TESTS=OFF -DKORVANE_BUILD_BENCH=OFF
cmake --build --preset release -j"$(nproc)" --target korvane korvane-cli
exec build/release/bin/korvane "$@"
