#!/usr/bin/env bash
# Builds the Debian package of Korvane from this checkout:
#   bash scripts/package.sh
# and prints its path (build/deb/korvane_<version>-1_<arch>.deb).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

# The package carries the Windows korvane-cli.exe of both widths: it is what
# writes a Wine prefix's registry (--wineprefix). Built incrementally, so a
# checkout whose Windows builds already exist only checks them.
for preset in win32-x86 win32-x64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)" --target korvane-cli
done

# Debian's hardening flags (stack protector, _FORTIFY_SOURCE, relro and BIND_NOW),
# as dpkg-buildflags gives them to every package.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

export QT_QPA_PLATFORM=offscreen
cmake --preset deb -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_C_FLAGS="$cflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build --preset deb -j"$(nproc)"
cpack --preset deb >/dev/null
ls build/deb/korvane_*.deb
