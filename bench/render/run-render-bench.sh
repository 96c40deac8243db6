#!/usr/bin/env bash
# Runs the software device's benchmark, the llvmpipe reference (under Xvfb) and
# the OpenGL device (headless EGL), all with two llvmpipe threads, and prints
# the speed ratios. The three run one after the other in each of ROUNDS rounds,
# so on a shared machine each ratio compares runs made moments apart; the last
# lines give the median over the rounds.
# Usage: bench/render/run-render-bench.sh BENCH_DIR [MIN_TIME_SECONDS] [ROUNDS]
#   BENCH_DIR: the folder holding bench_render, bench_render_llvmpipe and
#   bench_render_opengl (the bench/ folder of a build configured with -DVELORINA_BENCH=ON).
set -euo pipefail
build=${1:?usage: run-render-bench.sh BENCH_DIR [MIN_TIME] [ROUNDS]}
min_time=${2:-3}
rounds=${3:-1}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

for ((r = 1; r <= rounds; ++r)); do
  "$build/bench_render" --benchmark_min_time="$min_time" --benchmark_format=json >"$out/ours.$r.json"
  LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe LP_NUM_THREADS=2 \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/bench_render_llvmpipe" --benchmark_min_time="$min_time" --benchmark_format=json >"$out/llvmpipe.$r.json"
  LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe LP_NUM_THREADS=2 \
    "$build/bench_render_opengl" --benchmark_min_time="$min_time" --benchmark_format=json >"$out/opengl.$r.json"
done

python3 - "$out" "$rounds" <<'PY'
import json, statistics, sys
folder, rounds = sys.argv[1], int(sys.argv[2])
def fps(path):
    return {b["name"].split("/")[0]: b.get("fps", 0.0) for b in json.load(open(path))["benchmarks"]}
ratios = {"Fill": ([], []), "Tris": ([], [])}
for r in range(1, rounds + 1):
    ours, ref, gl = (fps(f"{folder}/{name}.{r}.json") for name in ("ours", "llvmpipe", "opengl"))
    for w in ("Fill", "Tris"):
        o, p, g = ours["BM_Software" + w], ref["BM_Llvmpipe" + w], gl["BM_OpenGl" + w]
        device = p / g if g else float("nan")
        ratios[w][0].append(o / p)
        ratios[w][1].append(device)
        print(f"{w.lower():5s} software {o:7.2f} fps   llvmpipe {p:7.2f} fps   ratio {o / p:5.2f}   "
              f"OpenGL device {g:7.2f} fps   device/raw time {device:5.2f}")
if rounds > 1:
    for w in ("Fill", "Tris"):
        print(f"{w.lower():5s} median over {rounds} rounds: software/llvmpipe speed {statistics.median(ratios[w][0]):5.2f}   "
              f"OpenGL device/raw time {statistics.median(ratios[w][1]):5.2f}")
PY
