#!/usr/bin/env bash
# Builds the Debian package of Korvane from this checkout:
#   bash scripts/package.sh
# and prints its path (build/deb/korvane_<version>-1_<arch>.deb).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
cmake --preset deb >/dev/null
cmake --build --preset deb -j"$(nproc)"
cpack --preset deb >/dev/null
ls build/deb/korvane_*.deb
