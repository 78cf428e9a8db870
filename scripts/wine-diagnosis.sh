#!/usr/bin/env bash
# The load-failure diagnosis against the real loader, under Wine: every
# diagnosis fixture, every DLL of the corpus' system folders with one imported
# module hidden, and the same DLLs as they are (korvane-loadcheck).
# Both Windows builds; each compares files of its own processor width.
#
# usage: scripts/wine-diagnosis.sh CORPUS_TREE
#   CORPUS_TREE: a tree made by make-pe-corpus (Windows/System32, Windows/SysWOW64).
# Runs in $WINEPREFIX (wine-tests.sh provides a fresh one); the builds must exist.
# Exit status 0 only when no prediction differs from the loader's answer.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
tree=${1:?usage: wine-diagnosis.sh CORPUS_TREE}
export WINEDEBUG=${WINEDEBUG:--all}
status=0
work=$(mktemp -d /tmp/korvane-loadcheck.XXXXXX)
trap 'rm -rf "$work"' EXIT

winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# The fixtures' components, one per scenario folder, and a file that does not exist.
components=(ok/ok.dll missing_dll/needs_ghost.dll missing_func/needs_gone.dll chain/chain_a.dll
            cycle/cyc_a.dll forward/fwd_user.dll forward/fwd_broken_user.dll delay/delay_ghost.dll
            otherwidth/comp_other.dll apiset/uses_apiset.dll lookalike/lookalike.dll sysdep/uses_sys.dll
            wrongdep/needs_base.dll notpe/readme.dll case/needs_upper.dll no_such/component.dll)

run() {  # run BUILD LABEL ARGS...
  local b=$1 label=$2
  shift 2
  local log="/tmp/korvane-wine-$b-loadcheck-$label.log"
  local t0=$(date +%s)
  wine "$root/build/$b/bin/korvane-loadcheck.exe" "$@" >"$log" 2>&1
  local rc=$?
  local summary=$(grep SUMMARY "$log" | tr -d '\r')
  if [ $rc -eq 0 ]; then
    echo "ok    $b loadcheck $label ($(( $(date +%s) - t0 )) s) $summary"
  else
    echo "FAIL  $b loadcheck $label $summary"
    grep -E "^DIFF" "$log" | tr -d '\r' | head -20
    status=1
  fi
}

for b in win32-x64 win32-x86; do
  fixtures="$root/build/$b/tests/diagnosis/fixtures"
  # The registration message names the missing module, and why/deps run.
  out=$(wine "$root/build/$b/bin/korvane-cli.exe" register "$(winpath "$fixtures/chain/chain_a.dll")" | tr -d '\r')
  rc=${PIPESTATUS[0]}
  expected="chain_c.dll, which is not found (chain_a.dll -> chain_b.dll -> chain_c.dll)"
  if [ "$rc" = 1 ] && [[ "$out" == *"$expected"* ]]; then
    echo "ok    $b register names the reason: $(echo "$out" | tail -1)"
  else
    echo "FAIL  $b register exited $rc: $out"
    status=1
  fi
  for command in why deps; do
    if ! wine "$root/build/$b/bin/korvane-cli.exe" "$command" --json "$(winpath "$fixtures/ok/ok.dll")" >/dev/null; then
      echo "FAIL  $b korvane-cli $command"
      status=1
    fi
  done

  args=()
  for c in "${components[@]}"; do args+=("$(winpath "$fixtures/$c")"); done
  run "$b" fixtures "${args[@]}"
  system=System32
  [ "$b" = win32-x86 ] && system=SysWOW64
  mkdir -p "$work/$b-hide" "$work/$b-copy"
  run "$b" hidden --hide "$(winpath "$work/$b-hide")" "$(winpath "$tree/Windows/$system")"
  run "$b" as-is --copy "$(winpath "$work/$b-copy")" "$(winpath "$tree/Windows/$system")"
done
exit $status
