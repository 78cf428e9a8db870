#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz: clang, address and undefined-
# behaviour sanitizers) and runs every one for a few seconds, starting from its
# seed corpus, so that a target that crashes or no longer builds shows at once.
# New inputs go to a scratch folder; the checked-in seeds are not changed.
#
# Environment: KORVANE_FUZZ_SECONDS (default 5) per target; KORVANE_FUZZ_JOBS
# the build's parallel jobs (default: the number of processors).
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${KORVANE_FUZZ_SECONDS:-5}
jobs=${KORVANE_FUZZ_JOBS:-$(nproc)}
started=$(date +%s)

cmake --preset fuzz >/dev/null || exit 1
cmake --build --preset fuzz -j"$jobs" --target fuzz_targets || exit 1
built=$(date +%s)

scratch=$(mktemp -d /tmp/korvane-fuzz.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

failed=()
count=0
for source in fuzz/fuzz_*.cpp; do
  name=$(basename "$source" .cpp)
  seeds=fuzz/corpus/${name#fuzz_}
  if [ ! -d "$seeds" ]; then
    echo "fuzz-smoke: $name has no seed folder $seeds" >&2
    failed+=("$name")
    continue
  fi
  count=$((count + 1))
  mkdir -p "$scratch/$name"
  log="$scratch/$name.log"
  # The first folder receives new inputs; the seeds are only read.
  if build/fuzz/bin/"$name" -max_total_time="$seconds" -runs=5000000 -timeout=20 \
       -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$scratch/$name-" \
       "$scratch/$name" "$seeds" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz-smoke: $name: ${runs:-?} runs, no crash"
  else
    echo "fuzz-smoke: FAILED: $name" >&2
    tail -n 40 "$log" >&2
    failed+=("$name")
  fi
done

ended=$(date +%s)
echo "fuzz-smoke: $count targets; build $((built - started)) s, runs $((ended - built)) s"
[ ${#failed[@]} -eq 0 ] || { echo "fuzz-smoke: failed: ${failed[*]}" >&2; exit 1; }
