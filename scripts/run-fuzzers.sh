#!/usr/bin/env bash
# Runs every libFuzzer harness built in BUILD/fuzz for SECONDS each, starting from
# its seed corpus in fuzz/corpus/<name> (copied, so the committed seeds stay as they are).
# JOBS harnesses run at once (default: the number of cores); the first failure is
# shown and ends the run with status 1.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-15}
jobs=${3:-$(nproc)}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob

# One harness: its log stays in $work.log; the exit status says whether it ran clean.
run_one() {
  local fuzzer=$1 name work status=0
  name=$(basename "$fuzzer")
  work=$(mktemp -d)
  if [ -d "$root/fuzz/corpus/$name" ]; then cp -r "$root/fuzz/corpus/$name/." "$work/"; fi
  "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=262144 -print_final_stats=0 "$work" \
    > "$work.log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    tail -50 "$work.log"
    echo "fuzz: $name FAILED"
  else
    echo "fuzz: $name for ${seconds}s: $(tail -1 "$work.log")"
  fi
  rm -rf "$work" "$work.log"
  return "$status"
}

fuzzers=()
for fuzzer in "$build"/fuzz/fuzz_*; do
  [ -x "$fuzzer" ] && fuzzers+=("$fuzzer")
done

failed=0
running=0
for fuzzer in "${fuzzers[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  [ "$failed" -eq 0 ] || break
  run_one "$fuzzer" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
if [ "$failed" -ne 0 ]; then
  echo "fuzz: a harness failed"
  exit 1
fi
echo "fuzz: ${#fuzzers[@]} harnesses ran clean"
