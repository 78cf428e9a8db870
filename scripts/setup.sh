#!/usr/bin/env bash
# Installs what building and testing Korvane needs on Debian 12 (run as root).
# Packages already present are not fetched again.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev libsqlite3-dev nlohmann-json3-dev
  mingw-w64 mingw-w64-tools libwine-dev libz-mingw-w64 fonts-wine
  xdg-utils
  xvfb
  wine wine64 wine32:i386
)
# The Debian package and its checks: cpack's shlibdeps, the freedesktop validators, man.
packages+=(dpkg-dev file desktop-file-utils appstream man-db shared-mime-info lintian)

# Wine's 32-bit PE files (and the 32-bit Windows test run) need the i386 architecture.
need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: the i386 architecture is missing; run this script as root" >&2
    exit 1
  fi
  dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages (${missing[*]}); run this script as root" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update
  if [ ${#missing[@]} -gt 0 ]; then
    apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}"
  fi
fi
