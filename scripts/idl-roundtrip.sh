#!/usr/bin/env bash
# Type libraries through IDL and back: each library is read, written as IDL by
# korvane-cli's writer, compiled again by widl, read again and compared
# (korvane_idl_roundtrip, built by the dev preset).
#   1. the test fixtures: every one must come back equal;
#   2. every type library in Wine's PE files, both architectures: the counts
#      are printed, and fewer equal libraries than the floor below fail.
#
# Known reasons why some of Wine's libraries do not come back equal (with
# widl 7; 6 of 51 per architecture):
#   - msado15: widl stored a pointer-sized integer default value as a bare
#     0xFFFFFFFF, which no IDL value reproduces;
#   - oledb32, shell32, olepro32: the library has a type of its own with the
#     name of a stdole2 type (GUID, OLE_TRISTATE); widl binds some uses of the
#     name to the one, some to the other, and IDL cannot say which;
#   - uianimation: one alias name defined six times, which IDL cannot write;
#   - stdole2: Wine's stdole2 imports itself; from such IDL widl writes a
#     library with another GUID, an import without one, and references to its
#     own types that lead nowhere.
# Environment: KORVANE_BUILD (default build/dev), KORVANE_WIDL (default the
# MinGW-w64 x86_64 widl).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${KORVANE_BUILD:-build/dev}
widl=${KORVANE_WIDL:-$(command -v x86_64-w64-mingw32-widl)}
tool=$build/bin/korvane_idl_roundtrip
fixtures=$build/tests/typelib/fixtures
wine64=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
wine32=/usr/lib/i386-linux-gnu/wine/i386-windows
# Raise these when a change makes more libraries come back equal.
floor64=45
floor32=45

work=$(mktemp -d /tmp/korvane-idl-roundtrip.XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0

echo "== fixtures"
"$tool" --widl "$widl" --work "$work/fixtures" --imports32 "$wine32" --imports64 "$wine64" \
  "$fixtures/alpha32.tlb" "$fixtures/alpha64.tlb" "$fixtures/multi.dll" \
  "$fixtures/rich32.tlb" "$fixtures/rich64.tlb" "$fixtures/through64.tlb" || status=1

# The PE files of a folder that hold an MSFT type library.
libraries() {
  local file
  for file in "$1"/*; do
    [ -f "$file" ] || continue
    [ "$(head -c 2 "$file")" = "MZ" ] || continue
    grep -q -a MSFT "$file" && printf '%s\n' "$file"
  done
}

for arch in 64 32; do
  folder=wine$arch
  dir=${!folder}
  floor=floor$arch
  if [ ! -d "$dir" ]; then
    echo "== Wine $arch-bit: $dir is not installed, skipped"
    continue
  fi
  echo "== Wine $arch-bit libraries"
  mapfile -t files < <(libraries "$dir")
  "$tool" --widl "$widl" --work "$work/wine$arch" "--imports$arch" "$dir" --floor "${!floor}" --quiet \
    "${files[@]}" || status=1
done
exit $status
