#!/usr/bin/env bash
# Memory and time of reading a Wine prefix's registry, against the size of its
# system.reg: a generated file of keys 512 names deep (the reader's depth
# limit), no two alike, so that nothing is shared between keys.
#
#   bench/wineprefix_memory.sh [MB] [OTHER_CLI]     (default 20 MB)
#
# Builds korvane-cli (Release) unless KORVANE_CLI names one. OTHER_CLI, a
# korvane-cli of another version (say, one built from main), is measured in
# the same run on the same files, for a before/after. Each program runs as
# its own process; its peak resident memory comes from the kernel (wait4).
# Per program: `reg query` of the deepest key (the registry is read), the same
# on a prefix of a few keys (the process's own floor), and `version` with the
# big prefix chosen (a command that never reads the registry).
set -euo pipefail
cd "$(dirname "$0")/.."
megabytes="${1:-20}"
other="${2:-}"

cli="${KORVANE_CLI:-}"
if [[ -z "$cli" ]]; then
  build=build/bench-wineprefix
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_BUILD_TESTS=OFF \
        -DKORVANE_BUILD_UI=OFF -DKORVANE_BUILD_FUZZ=OFF >/dev/null
  cmake --build "$build" --target korvane-cli -j2 >/dev/null
  cli="$build/bin/korvane-cli"
fi

work="$(mktemp -d /tmp/korvane-wineprefix-memory.XXXXXX)"
trap 'rm -rf "$work"' EXIT

# system.reg: keys k<i>\b\c\...(511 one-letter names), each with one value,
# until the file reaches the size asked for: the most keys a byte of the file
# can name, every key different from its first name on.
write_prefix() {
  local dir="$1" bytes="$2"
  mkdir -p "$dir"
  awk -v limit="$bytes" 'BEGIN {
    print "WINE REGISTRY Version 2"
    print ";; All keys relative to REGISTRY\\\\Machine"
    print ""
    print "#arch=win64"
    written = 60
    for (i = 0; written < limit; ++i) {
      path = "k" i
      for (j = 1; j < 512; ++j) path = path "\\\\" substr("abcdefghijklmnopqrstuvwxyz", j % 26 + 1, 1)
      line = "[" path "] 1700000000\n\"Depth\"=dword:00000200\n"
      printf "%s", line
      written += length(line)
    }
  }' >"$dir/system.reg"
  printf 'WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n\n[Environment] 1\n"TEMP"="C:\\\\temp"\n' \
    >"$dir/user.reg"
}

write_prefix "$work/deep" $((megabytes * 1024 * 1024))
write_prefix "$work/small" 1
deepest="HKLM\\$(awk 'NR == 5 { sub(/^\[/, ""); sub(/\] [0-9]+$/, ""); gsub(/\\\\/, "\\"); print; exit }' "$work/deep/system.reg")"

python3 - "$work" "$deepest" "$cli" ${other:+"$other"} <<'PY'
import os, sys, time

work, deepest, programs = sys.argv[1], sys.argv[2], sys.argv[3:]
size = os.path.getsize(os.path.join(work, "deep", "system.reg"))
mib = 1024 * 1024

def peak(cli, prefix, args):
    # The child's own peak, from the kernel when it is reaped.
    env = dict(os.environ, WINEPREFIX=os.path.join(work, prefix), KORVANE_REGISTRY="")
    start = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        devnull = os.open(os.devnull, os.O_WRONLY)
        out = os.open(os.path.join(work, "out.txt"), os.O_WRONLY | os.O_CREAT | os.O_TRUNC)
        os.dup2(out, 1)
        os.dup2(devnull, 2)
        os.execve(cli, [cli] + args, env)
    _, status, usage = os.wait4(pid, 0)
    elapsed = time.perf_counter() - start
    with open(os.path.join(work, "out.txt"), "rb") as f:
        output = f.read()
    return os.waitstatus_to_exitcode(status), output, elapsed, usage.ru_maxrss * 1024

print(f"system.reg: {size / mib:.1f} MiB, keys 512 names deep, no two alike")
rows = []
for cli in programs:
    code, out, seconds, rss = peak(cli, "deep", ["reg", "query", deepest])
    _, _, _, floor = peak(cli, "small", ["reg", "query", "HKCU\\Environment"])
    _, _, vseconds, vrss = peak(cli, "deep", ["version", cli])
    found = code == 0 and b"Depth" in out
    registry = rss - floor
    rows.append((cli, seconds, rss, floor, registry, vrss, vseconds, found))
    print(f"\n{cli}")
    print(f"  reg query of the deepest key: {seconds:.2f} s, peak {rss / mib:.0f} MiB"
          f" ({'found' if found else 'NOT FOUND, exit ' + str(code)})")
    print(f"  the same on a prefix of two keys: peak {floor / mib:.0f} MiB")
    print(f"  registry's share: {registry / mib:.0f} MiB = {registry / size:.2f} x the file")
    print(f"  version with the prefix chosen: {vseconds:.2f} s, peak {vrss / mib:.0f} MiB")
if len(rows) == 2:
    new, old = rows
    print(f"\nthis / other: memory {new[4] / old[4]:.3f}, reading time {new[1] / old[1]:.3f},"
          f" version's peak {new[5] / old[5]:.3f}")
PY
