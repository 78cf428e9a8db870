#!/usr/bin/env bash
# The Linux korvane-cli and korvane working on a real Wine prefix, end to end:
# registration of 32-bit and 64-bit test components through the Windows
# korvane-cli under Wine, checked with Wine's own `reg query`; the registered
# type library seen by `korvane-cli info`; unregistration; the 10-second
# bound; an out-of-process server of each architecture; the first start's self-installation into the prefix's system
# folders; the shell verbs (-s, verbs); the refusals (no Wine, no prefix, a
# broken prefix, a machine Wine cannot run, a store and a prefix together,
# what Wine cannot be handed as it is: a FIFO, a name Windows cannot express,
# a key name with a line break, a prefix without drive Z:).
# Prints the time of one registration against `wine regsvr32` of the same file,
# and of one while the prefix's server is kept running.
#
# Needs the Windows builds (build/win32-x64, build/win32-x86: run by
# scripts/wine-tests.sh, which calls this script) and the Linux programs of
# build/dev (built here when missing). Makes its own fresh prefix and takes it
# down at the end. Exit status 0 only when everything passed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

cli="$root/build/dev/bin/korvane-cli"
gui="$root/build/dev/bin/korvane"
if [ ! -x "$cli" ] || [ ! -x "$gui" ]; then
  echo "== building the Linux programs (preset dev)"
  { cmake --preset dev >/dev/null && cmake --build --preset dev -j"${KORVANE_WINE_JOBS:-2}" --target korvane-cli korvane; } ||
    { echo "wine-prefix-tests: cannot build the Linux programs" >&2; exit 1; }
fi
for b in win32-x64 win32-x86; do
  if [ ! -f "build/$b/bin/korvane-cli.exe" ] || [ ! -f "build/$b/components/comp_ok.dll" ]; then
    echo "wine-prefix-tests: build/$b is missing (run scripts/wine-tests.sh)" >&2
    exit 1
  fi
done

failures=()
fail() {
  failures+=("$1")
  echo "wine-prefix-tests: FAILED: $1" >&2
}

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY KORVANE_REGISTRY
WINEPREFIX=$(mktemp -d /tmp/korvane-prefix.XXXXXX)
export WINEPREFIX
work=$(mktemp -d /tmp/korvane-prefix-work.XXXXXX)
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX" "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# The desktop program's own files (settings, the file managers' actions) stay
# in the work folder.
export XDG_RUNTIME_DIR="$work/xdg" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
mkdir -p -m700 "$XDG_RUNTIME_DIR"

echo "== creating the Wine prefix $WINEPREFIX"
wineboot -i >/dev/null 2>&1 && wineserver -w || { echo "wine-prefix-tests: wineboot failed" >&2; exit 1; }

# --- a component that registers its own type library, both architectures ---------
src="$root/tests/wineprefix/components"
build_typelib_component() {  # ARCH(32|64) TRIPLE
  local out="$work/$1"
  mkdir -p "$out"
  (cd "$out" &&
    "$2-widl" -t "--win$1" -o prefix_typelib.tlb "$src/prefix_typelib.idl" &&
    "$2-windres" -I . -O coff -o res.o "$src/comp_typelib.rc" &&
    "$2-g++" -shared -static -O2 -Wl,--enable-stdcall-fixup -o comp_typelib.dll \
      "$src/comp_typelib.cpp" "$src/comp_typelib.def" res.o -loleaut32) >/dev/null 2>&1
}
build_typelib_component 64 x86_64-w64-mingw32 || fail "building the 64-bit type-library component"
build_typelib_component 32 i686-w64-mingw32 || fail "building the 32-bit type-library component"
build_server() {  # ARCH(32|64) TRIPLE: an out-of-process server (/RegServer, /UnregServer)
  "$2-g++" -municode -static -O2 -o "$work/$1/server.exe" "$src/server_exe.cpp" >/dev/null 2>&1
}
build_server 64 x86_64-w64-mingw32 || fail "building the 64-bit server"
build_server 32 i686-w64-mingw32 || fail "building the 32-bit server"

# --- helpers -------------------------------------------------------------------------
run() {  # run EXPECTED_EXIT COMMAND...: runs, prints, checks the exit code
  local expected=$1
  shift
  out=$("$@" 2>&1)
  local rc=$?
  echo "      ${1##*/} ${*:2} -> $rc: ${out//$'\n'/ | }"
  if [ "$rc" != "$expected" ]; then
    fail "${1##*/} ${*:2} exited $rc, expected $expected"
    return 1
  fi
}
# A Unix path as Wine sees it (drive Z: is the Unix root).
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
wine_has() { wine reg query "$@" >/dev/null 2>&1; }
expect_key() { wine_has "$1" || fail "Wine's reg query does not see $1"; }
expect_no_key() { wine_has "$1" && fail "Wine's reg query still sees $1"; }

lib='HKCR\TypeLib\{5D1C2A7E-8B4F-4C3A-9E21-7F6B0D3C9A54}\1.0\0'
testkey='HKCU\Software\KorvaneTest\comp_ok'

# --- 1. registration of both architectures, seen by Wine --------------------------------
for b in win32-x64 win32-x86; do
  comp="$root/build/$b/components/comp_ok.dll"
  echo "== $b: register, unregister"
  run 0 "$cli" register "$comp"
  expect_key "$testkey"
  run 0 "$cli" --json unregister "$comp"
  echo "$out" | grep -q '"kind":"wineprefix"' || fail "--json does not name the prefix"
  expect_no_key "$testkey"
  run 3 "$cli" register "$root/build/$b/components/comp_fail.dll"
  run 2 "$cli" register "$root/build/$b/components/comp_plain.dll"
done

echo "== a prefix named relatively"
comp="$root/build/win32-x64/components/comp_ok.dll"
(cd "$(dirname "$WINEPREFIX")" && WINEPREFIX=$(basename "$WINEPREFIX") run 0 "$cli" register "$comp") ||
  fail "register with a relative WINEPREFIX"
expect_key "$testkey"
run 0 "$cli" unregister "$comp"

echo "== the desktop program: -r, -u"
comp="$root/build/win32-x86/components/comp_ok.dll"
export KORVANE_UNATTENDED=1 QT_QPA_PLATFORM=offscreen KORVANE_EXIT_AFTER_SHOW=1
run 0 "$gui" --wineprefix "$WINEPREFIX" -r "$comp"
echo "$out" | grep -q $'\tActiveX Component registration successful!\tok' || fail "korvane -r did not say it registered"
expect_key "$testkey"
# WINEPREFIX chooses the prefix too; a drive path (as Wine passes the file to a
# verb's command) names the Linux file.
run 0 "$gui" -u "$(winpath "$comp")"
expect_no_key "$testkey"
unset KORVANE_UNATTENDED QT_QPA_PLATFORM KORVANE_EXIT_AFTER_SHOW

# --- 2. a type library registered in the prefix ---------------------------------------------
for bits in 64 32; do
  comp="$work/$bits/comp_typelib.dll"
  platform=win$bits
  echo "== type library ($bits-bit)"
  run 0 "$cli" register "$comp"
  expect_key "$lib\\$platform"
  run 0 "$cli" info "$comp"
  echo "$out" | grep -q $'^Registered\tYes$' || fail "info does not show Registered Yes ($bits-bit)"
  echo "$out" | grep -q "^Path: "$'\t'".*comp_typelib.dll ($comp)$" ||
    fail "info does not show the registered path and its Linux file ($bits-bit)"
  run 0 "$cli" unregister "$comp"
  expect_no_key "$lib\\$platform"
  run 0 "$cli" info "$comp"
  echo "$out" | grep -q $'^Registered\tNo$' || fail "info still shows the library registered ($bits-bit)"
done

# --- 3. an out-of-process server: started with /regserver inside the prefix ----------------------------
# A 32-bit program's class keys land in the 32-bit branch (Wow6432Node) of a
# 64-bit prefix, where Windows puts them. Wine's `reg` is the 32-bit reg.exe
# (Debian's wine): /reg:64 or /reg:32 names the view. korvane-cli reads the
# 64-bit view, as a 64-bit program on Windows does.
server='CLSID\{6A0E55D2-3B7C-4F1E-9C4D-2E8B5A71F0C3}\LocalServer32'
for bits in 64 32; do
  echo "== out-of-process server ($bits-bit)"
  key="HKCR\\$server"
  [ "$bits" = 32 ] && key="HKCR\\Wow6432Node\\$server"
  run 0 "$cli" register "$work/$bits/server.exe"
  echo "$out" | grep -qi 'server.exe /regserver$' || fail "register does not print the command line it started ($bits-bit)"
  wine reg query "HKCR\\$server" /ve "/reg:$bits" 2>/dev/null | tr -d '\r' | grep -qi 'server.exe' ||
    fail "Wine's reg query does not see the $bits-bit server's class in its own view"
  run 0 "$cli" reg query "$key" /ve
  echo "$out" | grep -qi 'REG_SZ.*server.exe' || fail "korvane-cli reg query does not see $key"
  run 0 "$cli" unregister "$work/$bits/server.exe"
  wine_has "HKCR\\$server" "/reg:$bits" && fail "the $bits-bit server's class is still registered"
done

# --- 4. a hanging entry point returns after the 10-second wait --------------------------------
echo "== hanging component"
t0=$(date +%s)
run 3 "$cli" register "$root/build/win32-x64/components/comp_slow.dll"
took=$(( $(date +%s) - t0 ))
echo "      returned after $took s"
[ "$took" -ge 10 ] && [ "$took" -lt 40 ] || fail "the hanging registration returned after $took s"
wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1

# --- 5. the first start in a prefix: the components go to the prefix's system folders -------------
# An installation of the desktop program with the Windows korvane-cli of each
# architecture where the package puts them, and two runtime components: a 32-bit one (to syswow64)
# and a 64-bit one (to system32).
echo "== first start: self-installation into the prefix"
app="$work/app"
mkdir -p "$app"
cp "$gui" "$app/korvane"
for b in win32-x86 win32-x64; do   # as the package installs them
  mkdir -p "$app/$b" && cp "$root/build/$b/bin/korvane-cli.exe" "$app/$b/"
done
cp "$root/build/win32-x86/components/comp_ok.dll" "$app/prjXTab.ocx"
cp "$work/64/comp_typelib.dll" "$app/TLBINF32.DLL"
setting='HKCU\Software\VB and VBA Program Settings\Korvane\General'
wine reg delete "$setting" /v SelfInstall /f >/dev/null 2>&1   # the earlier starts recorded it
wineserver -w
KORVANE_UNATTENDED=1 QT_QPA_PLATFORM=offscreen KORVANE_EXIT_AFTER_SHOW=1 run 0 "$app/korvane" --wineprefix "$WINEPREFIX"
system="$WINEPREFIX/drive_c/windows"
[ -f "$system/syswow64/prjXTab.ocx" ] || fail "the 32-bit component is not in the prefix's syswow64"
[ -f "$system/system32/TLBINF32.DLL" ] || fail "the 64-bit component is not in the prefix's system32"
[ -e "$system/system32/prjXTab.ocx" ] && fail "the 32-bit component was put in system32"
wine reg query "$testkey" /v Path 2>/dev/null | tr -d '\r' | grep -qi 'syswow64\\prjXTab.ocx' ||
  fail "Wine's registry does not show the 32-bit component registered from syswow64"
wine reg query "$lib\\win64" /ve 2>/dev/null | tr -d '\r' | grep -qi 'system32\\TLBINF32.DLL' ||
  fail "Wine's registry does not show the 64-bit component's library registered from system32"
wine reg query "$setting" /v SelfInstall 2>/dev/null | tr -d '\r' | grep -q true ||
  fail "the first start did not record SelfInstall in the prefix"
run 0 "$cli" unregister "$system/syswow64/prjXTab.ocx"
run 0 "$cli" unregister "$system/system32/TLBINF32.DLL"
expect_no_key "$testkey"
expect_no_key "$lib\\win64"

# --- 6. shell verbs ---------------------------------------------------------------------------------
echo "== shell verbs"
expect_no_key 'HKCR\.dll'   # a fresh prefix has no class key for .dll
KORVANE_UNATTENDED=1 QT_QPA_PLATFORM=offscreen run 0 "$gui" --wineprefix "$WINEPREFIX" -s
for class in dllfile ocxfile exefile; do
  command=$(wine reg query "HKCR\\$class\\shell\\Register\\command" /ve 2>/dev/null | tr -d '\r')
  echo "$command" | grep -qF -- "start.exe /unix \"$gui\" -r \"%1\"" ||
    fail "-s did not write the Register verb of $class: $command"
done
wine reg query 'HKCR\.ocx' /ve 2>/dev/null | tr -d '\r' | grep -q ocxfile || fail "-s did not map .ocx to ocxfile"
expect_no_key 'HKCR\Folder\shell\ActiveX Report'
run 0 "$cli" verbs status
[ "$out" = "enabled" ] || fail "verbs status after -s: $out"
run 0 "$cli" verbs disable
expect_no_key 'HKCR\dllfile\shell\Register'
run 0 "$cli" verbs status
[ "$out" = "disabled" ] || fail "verbs status after disable: $out"

# --- 7. reg add/delete/import write the prefix through Wine ---------------------------------------
echo "== reg"
run 0 "$cli" reg add 'HKCU\Software\KorvanePrefix' /v Name /t REG_SZ /d hello
wine reg query 'HKCU\Software\KorvanePrefix' /v Name 2>/dev/null | tr -d '\r' | grep -q hello ||
  fail "reg add did not reach the prefix"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\KorvanePrefix\\Sub]\r\n"D"=dword:00000005\r\n' >"$work/import.reg"
run 0 "$cli" reg import "$work/import.reg"
expect_key 'HKCU\Software\KorvanePrefix\Sub'
run 0 "$cli" reg delete 'HKCU\Software\KorvanePrefix' /f
expect_no_key 'HKCU\Software\KorvanePrefix'

# --- 8. refusals: a clear message, nothing written ------------------------------------------------------
echo "== refusals"
wineserver -w   # the files as the last change left them
cp "$WINEPREFIX/system.reg" "$work/system.before"
PATH=/nonexistent run 1 "$cli" register "$root/build/win32-x64/components/comp_ok.dll"
echo "$out" | grep -q "Wine is not installed" || fail "no message for a missing Wine"
run 2 "$cli" --wineprefix "$work/no-prefix" info "$root/build/win32-x64/components/comp_ok.dll"
echo "$out" | grep -q "does not exist" || fail "no message for a missing prefix"
mkdir -p "$work/broken"
printf 'WINE REGISTRY Version 2\n[Software]\n"A"=dword:zz\n' >"$work/broken/system.reg"
cp "$WINEPREFIX/user.reg" "$work/broken/"
run 2 "$cli" --wineprefix "$work/broken" register "$root/build/win32-x64/components/comp_ok.dll"
echo "$out" | grep -q "system.reg: line 3" || fail "no message naming the broken file's line"
# An ARM64 image: the machine field of a copy of a real DLL changed.
python3 - "$root/build/win32-x64/components/comp_ok.dll" "$work/arm64.dll" <<'EOF'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
pe = struct.unpack_from('<I', data, 0x3C)[0]
struct.pack_into('<H', data, pe + 4, 0xAA64)
open(sys.argv[2], 'wb').write(data)
EOF
run 1 "$cli" register "$work/arm64.dll"
echo "$out" | grep -q "ARM64, which Wine cannot run" || fail "no message for a machine Wine cannot run"
# What Wine cannot be handed as it is, refused before Wine runs.
mkfifo "$work/fifo.dll"
run 1 timeout 20 "$cli" register "$work/fifo.dll"
echo "$out" | grep -q "fifo.dll is not a regular file" || fail "no message for a FIFO"
cp "$root/build/win32-x64/components/comp_ok.dll" "$work/a\\b.dll"
run 1 "$cli" register "$work/a\\b.dll"
echo "$out" | grep -q "holds a backslash" || fail "no message for a name with a backslash"
run 1 "$cli" reg add $'HKCU\\Software\\KorvaneA\r\n[HKEY_CURRENT_USER\\Software\\KorvaneInjected]' /f
mv "$WINEPREFIX/dosdevices/z:" "$work/z-drive"
run 1 "$cli" register "$root/build/win32-x64/components/comp_ok.dll"
echo "$out" | grep -q "no drive of the Wine prefix" || fail "no message for a prefix without drive Z:"
mv "$work/z-drive" "$WINEPREFIX/dosdevices/z:"
KORVANE_REGISTRY="$work/store.db" run 2 "$cli" info "$root/build/win32-x64/components/comp_ok.dll"
echo "$out" | grep -q "cannot be used together" || fail "no message for a store and a prefix together"
wineserver -w
cmp -s "$WINEPREFIX/system.reg" "$work/system.before" || fail "a refused request changed system.reg"
expect_no_key "$testkey"
expect_no_key 'HKCU\Software\KorvaneInjected'   # Wine's reg changes the files: after the comparison

# --- figures: one registration against wine regsvr32 of the same file ------------------------------------
echo "== figures"
for b in win32-x64 win32-x86; do
  comp="$root/build/$b/components/comp_ok.dll"
  wineserver -w
  t0=$(date +%s.%N)
  "$cli" register "$comp" >/dev/null 2>&1
  t1=$(date +%s.%N)
  "$cli" unregister "$comp" >/dev/null 2>&1
  wineserver -w
  t2=$(date +%s.%N)
  wine regsvr32 /s "$(winpath "$comp")" >/dev/null 2>&1
  t3=$(date +%s.%N)
  wineserver -w
  t4=$(date +%s.%N)
  echo "      $b: korvane-cli register $(elapsed "$t0" "$t1") s (until the files are saved);" \
       "wine regsvr32 $(elapsed "$t2" "$t3") s, $(elapsed "$t2" "$t4") s until saved"
  expect_key "$testkey"
  wine regsvr32 /s /u "$(winpath "$comp")" >/dev/null 2>&1
done

# A server another Wine program keeps running (here: persistent) ends only
# later; the registration returns once the registry files are saved.
echo "== a registration while the prefix's server keeps running"
comp="$root/build/win32-x64/components/comp_ok.dll"
wineserver -w
wineserver -p
t0=$(date +%s.%N)
run 0 "$cli" register "$comp"
t1=$(date +%s.%N)
grep -q 'KorvaneTest\\\\comp_ok' "$WINEPREFIX/user.reg" || fail "register returned before the registry files were saved"
run 0 "$cli" unregister "$comp"
t2=$(date +%s.%N)
grep -q 'KorvaneTest\\\\comp_ok' "$WINEPREFIX/user.reg" && fail "unregister returned before the registry files were saved"
wineserver -k; wineserver -w
echo "      korvane-cli register $(elapsed "$t0" "$t1") s, unregister $(elapsed "$t1" "$t2") s" \
     "(the server saves every 30 s while it keeps running)"
awk -v a="$t0" -v b="$t1" 'BEGIN { exit !(b - a < 40) }' || fail "register waited for the server to end"

if [ ${#failures[@]} -gt 0 ]; then
  printf 'wine-prefix-tests: %d failure(s):\n' "${#failures[@]}" >&2
  printf '  %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "wine-prefix-tests: all passed"
