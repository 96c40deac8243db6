#!/usr/bin/env bash
# Runs every benchmark built in BUILD/bench.
set -euo pipefail
build=${1:-build-bench}
shopt -s nullglob
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time=0.5
done
