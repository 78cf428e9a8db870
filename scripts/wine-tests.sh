#!/usr/bin/env bash
# Builds the two Windows cross builds (presets win32-x64 and win32-x86) and runs
# them under Wine, headless, in a fresh prefix that is removed afterwards:
#   1. every GoogleTest suite of both builds;
#   2. registration through korvane-cli.exe with the test DLLs, checked in
#      Wine's registry (`wine reg query`);
#   3. the reader cross-check on a tree of real PE files (make-pe-corpus),
#      type libraries compared whole against the system loader;
#   4. the load-failure diagnosis against the real loader (wine-diagnosis.sh);
#   5. korvane.exe, the desktop program: its windows under an Xvfb server
#      (test_win32ui), -r unattended against the Linux program's lines, and a
#      real message box answered by message;
#   and scripts/wine-prefix-tests.sh: the Linux programs on a Wine prefix.
# Exit status 0 only when everything passed. Needs wine, wine64 and wine32:i386.
#
# Environment: KORVANE_WINE_SKIP_BUILD=1 uses the existing build folders;
# KORVANE_WINE_JOBS sets the build's parallel jobs (default 2).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)

jobs=${KORVANE_WINE_JOBS:-2}
builds=(win32-x64 win32-x86)
failures=()

fail() {
  failures+=("$1")
  echo "wine-tests: FAILED: $1" >&2
}

# --- the prefix: fresh, headless, always torn down ---------------------------
export WINEDEBUG=-all
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/korvane-wine.XXXXXX)
corpus=$(mktemp -d /tmp/korvane-pe-corpus.XXXXXX)
# No Mono or Gecko installers, no window system.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX" "$corpus"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A Unix path as Wine sees it (drive Z: is the Unix root).
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# --- build ---------------------------------------------------------------------
if [ "${KORVANE_WINE_SKIP_BUILD:-0}" != 1 ]; then
  for b in "${builds[@]}"; do
    echo "== building $b"
    if ! cmake --preset "$b" >/dev/null || ! cmake --build --preset "$b" -j"$jobs"; then
      fail "build $b"
    fi
  done
  [ ${#failures[@]} -eq 0 ] || exit 1
fi
build_done=$(date +%s)

echo "== creating the Wine prefix $WINEPREFIX"
wineboot -i >/dev/null 2>&1 || { fail "wineboot"; exit 1; }

# --- 1. test suites --------------------------------------------------------------
# Cases that cannot hold under Wine, by binary (each named with its reason):
#  - test_app: expectations written with Linux paths (/opt/..., /data/...,
#    "tree/sub/b.DLL" with '/'), which on Windows are relative or spelled with
#    '\', so the program folder is rightly put in front or the text differs;
#  - test_typelib: Wine's SLTG loader copies past its buffer (a length taken
#    from the file unchecked) on our generated SLTG fixture and kills the process.
declare -A skip=(
  [test_app]="ResolveCommandPathTest.OnlyRelativePathsGetTheProgramFolder:BasMainTest.PlainPathIsShownInTheInfoGridAndStartUpGoesOn:BasMainTest.RelativePlainPathGetsTheProgramFolder:BasMainTest.ReportSwitchWritesTheReportInTheCurrentFolderAndEnds:BasMainTest.ShellVerbSwitchWritesTheFileVerbsAsksNothingAndEnds"
  [test_typelib]="TypeLibFile.SltgStandAloneAndAsResource"
)

for b in "${builds[@]}"; do
  # The suites this configuration builds (a bin folder may hold older ones);
  # the windows' suite needs a display and runs in step 4.
  names=$(ctest --test-dir "build/$b" -N 2>/dev/null | sed -n 's/^ *Test *#[0-9]*: *\(test_[A-Za-z0-9_]*\)$/\1/p' |
          grep -v '^test_win32ui$')
  [ -n "$names" ] || fail "$b: no test suites registered"
  for name in $names; do
    exe="build/$b/bin/$name.exe"
    filter="*"
    [ -n "${skip[$name]:-}" ] && filter="-${skip[$name]}"
    t0=$(date +%s)
    if wine "$exe" --gtest_filter="$filter" --gtest_brief=1 >"/tmp/korvane-wine-$b-$name.log" 2>&1; then
      echo "ok    $b $name ($(( $(date +%s) - t0 )) s)"
    else
      echo "FAIL  $b $name (log below)"
      grep -E "Failure|FAILED|error" -A6 "/tmp/korvane-wine-$b-$name.log" | head -60
      fail "$b $name"
    fi
  done
done

# --- 2. registration for real ---------------------------------------------------------
cli_run() {  # cli_run BUILD EXPECTED_EXIT ARGS... ; prints the output
  local b=$1 expected=$2
  shift 2
  local out rc
  out=$(wine "build/$b/bin/korvane-cli.exe" "$@" 2>&1 | tr -d '\r')
  rc=${PIPESTATUS[0]}
  echo "      korvane-cli $* -> $rc: $out"
  if [ "$rc" != "$expected" ]; then
    fail "$b korvane-cli $* exited $rc, expected $expected"
    return 1
  fi
}

key_exists() { wine reg query 'HKCU\Software\KorvaneTest\comp_ok' /v Path >/dev/null 2>&1; }

for b in "${builds[@]}"; do
  comp="$root/build/$b/components"
  echo "== registration ($b)"
  wine reg delete 'HKCU\Software\KorvaneTest' /f >/dev/null 2>&1
  cli_run "$b" 0 register "$(winpath "$comp/comp_ok.dll")"
  key_exists || fail "$b: register did not write HKCU\\Software\\KorvaneTest\\comp_ok"
  cli_run "$b" 0 unregister "$(winpath "$comp/comp_ok.dll")"
  key_exists && fail "$b: unregister left HKCU\\Software\\KorvaneTest\\comp_ok"
  cli_run "$b" 3 register "$(winpath "$comp/comp_fail.dll")"
  cli_run "$b" 6 unregister "$(winpath "$comp/comp_fail.dll")"
  cli_run "$b" 0 register "$(winpath "$comp/comp_sfalse.dll")"
  cli_run "$b" 2 register "$(winpath "$comp/comp_plain.dll")"
  cli_run "$b" 1 register "$(winpath "$comp/no_such_component.dll")"
done

# A DLL of the other processor type does not load: outcome 1.
cli_run win32-x64 1 register "$(winpath "$root/build/win32-x86/components/comp_ok.dll")"
cli_run win32-x86 1 register "$(winpath "$root/build/win32-x64/components/comp_ok.dll")"

# An entry point that outlives the 10-second wait: outcome 3, and the program
# ends without waiting for it (its trace line comes only after 15 s).
for b in "${builds[@]}"; do
  trace=$(mktemp /tmp/korvane-wine-trace.XXXXXX)
  t0=$(date +%s)
  KORVANE_TEST_TRACE=$(winpath "$trace") cli_run "$b" 3 register "$(winpath "$root/build/$b/components/comp_slow.dll")"
  echo "      returned after $(( $(date +%s) - t0 )) s"
  [ -s "$trace" ] && fail "$b: korvane-cli waited for the hanging entry point"
  rm -f "$trace"
done
registration_done=$(date +%s)

# --- 2b. the Linux programs on a Wine prefix (their own fresh prefix) ------------------
echo "== the Linux programs on a Wine prefix"
( unset WINEPREFIX; bash scripts/wine-prefix-tests.sh ) || fail "wine-prefix-tests"

# --- 3. cross-checks on real PE files ---------------------------------------------------
echo "== cross-checks"
# The corpus tool lives in the shared folder beside the checkout.
corpus_tool=${KORVANE_PE_CORPUS_TOOL:-$root/../shared/tools/make-pe-corpus}
if [ -x "$corpus_tool" ]; then
  "$corpus_tool" "$corpus/tree" --pe-only --link --quiet || fail "make-pe-corpus"
else
  # Without the corpus tool: Wine's own PE files, both processor types.
  mkdir -p "$corpus/tree"
  ln -s /usr/lib/x86_64-linux-gnu/wine/x86_64-windows "$corpus/tree/x86_64-windows"
  ln -s /usr/lib/i386-linux-gnu/wine/i386-windows "$corpus/tree/i386-windows"
fi
for b in "${builds[@]}"; do
  log="/tmp/korvane-wine-$b-crosscheck.log"
  if wine "build/$b/bin/korvane-crosscheck.exe" "$(winpath "$corpus/tree")" >"$log" 2>&1; then
    echo "ok    $b $(grep SUMMARY "$log" | tr -d '\r')"
    echo "      $b type-library content: $(grep '^CONTENT' "$log" | tr -d '\r')"
  else
    echo "FAIL  $b $(grep SUMMARY "$log" | tr -d '\r')"
    grep DIFF "$log" | head -40
    fail "$b cross-check"
  fi
done

# Which of a file's version resources is read depends on the user's language
# (Wine's files carry dozens): the same comparison in a few other languages.
wine_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
for lang in de_DE.UTF-8 pt_BR.UTF-8 zh_TW.UTF-8; do
  log="/tmp/korvane-wine-crosscheck-$lang.log"
  if LANG=$lang LC_ALL=$lang wine build/win32-x64/bin/korvane-crosscheck.exe "$(winpath "$wine_dlls")" >"$log" 2>&1; then
    echo "ok    win32-x64 $lang $(grep SUMMARY "$log" | tr -d '\r')"
  else
    echo "FAIL  win32-x64 $lang $(grep SUMMARY "$log" | tr -d '\r')"
    grep DIFF "$log" | head -40
    fail "win32-x64 cross-check in $lang"
  fi
done

# The load-failure diagnosis against the real loader, on the same corpus.
echo "== load-failure diagnosis"
bash scripts/wine-diagnosis.sh "$corpus/tree" || fail "load-failure diagnosis"

# --- 5. korvane.exe ---------------------------------------------------------------------
echo "== korvane.exe"
# The lines the program prints unattended: the same as the Linux program's.
expected_ok=$'MSGBOX\tquestion\tKorvane - Registering ActiveX\tAre You Sure?\tyes\nMSGBOX\tinformation\tKorvane - Registering\tActiveX Component registration successful!\tok'
expected_fail=$'MSGBOX\tquestion\tKorvane - Registering ActiveX\tAre You Sure?\tyes\nMSGBOX\terror\tKorvane - Registering\tActiveX Component registration failed!\tok'
if [ -x build/dev/bin/korvane ]; then
  linux_store=$(mktemp /tmp/korvane-linux-store.XXXXXX)
  rm -f "$linux_store"
  # The Linux program on a store of its own (not on this Wine prefix).
  expected_ok=$(env -u WINEPREFIX KORVANE_REGISTRY=$linux_store KORVANE_UNATTENDED=1 QT_QPA_PLATFORM=offscreen \
                build/dev/bin/korvane -r "$root/build/dev/components/comp_ok.so" 2>/dev/null)
  expected_fail=$(env -u WINEPREFIX KORVANE_REGISTRY=$linux_store KORVANE_UNATTENDED=1 QT_QPA_PLATFORM=offscreen \
                  build/dev/bin/korvane -r "$root/build/dev/components/comp_fail.so" 2>/dev/null)
  rm -f "$linux_store"
fi
for b in "${builds[@]}"; do
  exe="build/$b/bin/korvane.exe"
  [ -f "$exe" ] || { fail "$b: no korvane.exe"; continue; }
  echo "      $b korvane.exe: $(stat -c %s "$exe") bytes; DLLs: $(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/.*DLL Name: //p' | tr '\n' ' ')"
  x86_64-w64-mingw32-objdump -p "$exe" | grep -qi 'DLL Name: .*\(libstdc\|libgcc\|libwinpthread\)' && fail "$b: korvane.exe needs a run-time DLL"
  for comp in ok fail; do
    want=expected_$comp
    got=$(KORVANE_UNATTENDED=1 wine "$exe" -r "$(winpath "$root/build/$b/components/comp_$comp.dll")" 2>/dev/null | tr -d '\r')
    if [ "$got" = "${!want}" ]; then
      echo "ok    $b korvane.exe -r comp_$comp.dll prints the Linux program's lines"
    else
      printf 'FAIL  %s korvane.exe -r comp_%s.dll printed:\n%s\nexpected:\n%s\n' "$b" "$comp" "$got" "${!want}"
      fail "$b korvane.exe -r comp_$comp unattended"
    fi
  done
done

# The windows need a display: an Xvfb server of our own for this step. The
# prefix's server, still running from the console steps, was started without a
# display, and a window program joining it gets no menus, progress window or
# message box: end it, so that this step's first program starts one with it.
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
# Xvfb picks a free display and writes its number to the file once it accepts
# clients (-displayfd), so the first window never races the server's start.
display_file=$(mktemp /tmp/korvane-xvfb.XXXXXX)
Xvfb -displayfd 3 -screen 0 1024x768x24 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 300); do
  [ -s "$display_file" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
display=":$(tr -d '[:space:]' <"$display_file")"
rm -f "$display_file"
if [ "$display" = ":" ]; then
  fail "Xvfb did not start (is the xvfb package installed?)"
  display=:0
fi
for b in "${builds[@]}"; do
  log="/tmp/korvane-wine-$b-test_win32ui.log"
  if DISPLAY=$display wine "build/$b/bin/test_win32ui.exe" --gtest_brief=1 >"$log" 2>&1; then
    echo "ok    $b test_win32ui (captures in build/screenshots/$b, beside build/screenshots/qt)"
  else
    echo "FAIL  $b test_win32ui (log below)"
    grep -E "Failure|FAILED|error" -A6 "$log" | head -60
    fail "$b test_win32ui"
  fi
  # Attended, the confirmation is a real message box: answered No by message,
  # the program registers nothing and ends.
  DISPLAY=$display wine "build/$b/bin/korvane.exe" -r "$(winpath "$root/build/$b/components/comp_ok.dll")" \
    >/dev/null 2>&1 &
  program=$!
  box=$(DISPLAY=$display wine "build/$b/bin/korvane-closebox.exe" "Korvane - Registering ActiveX" no 2>&1 | tr -d '\r')
  if wait "$program" && [ "$box" = "Are You Sure?" ]; then
    echo "ok    $b korvane.exe -r shows a real box ('$box'), answered No"
  else
    fail "$b korvane.exe -r attended: box '$box'"
  fi
done
kill "$xvfb_pid" 2>/dev/null

finished=$(date +%s)
echo "== Wine run: $(( finished - build_done )) s (registration checks done after" \
     "$(( registration_done - build_done )) s), build $(( build_done - started )) s"
if [ ${#failures[@]} -gt 0 ]; then
  printf 'wine-tests: %d failure(s):\n' "${#failures[@]}" >&2
  printf '  %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "wine-tests: all passed"
