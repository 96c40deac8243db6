#!/usr/bin/env bash
# Runs every libFuzzer harness built in BUILD/fuzz for SECONDS each, starting from
# its seed corpus in fuzz/corpus/<name> (copied, so the committed seeds stay as they are).
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-15}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
count=0
for fuzzer in "$build"/fuzz/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  work=$(mktemp -d)
  if [ -d "$root/fuzz/corpus/$name" ]; then cp -r "$root/fuzz/corpus/$name/." "$work/"; fi
  echo "fuzz: $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=262144 -print_final_stats=0 "$work" \
    > "$work.log" 2>&1 || { tail -50 "$work.log"; echo "fuzz: $name FAILED"; exit 1; }
  tail -1 "$work.log"
  rm -rf "$work" "$work.log"
  count=$((count + 1))
done
echo "fuzz: $count harnesses ran clean"
