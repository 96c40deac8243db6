#!/usr/bin/env bash
# Runs the software device's benchmark, the llvmpipe reference (under Xvfb) and
# the OpenGL device (headless EGL), all with two llvmpipe threads, in one go and
# prints the speed ratios.
# Usage: bench/render/run-render-bench.sh BENCH_DIR [MIN_TIME_SECONDS]
#   BENCH_DIR: the folder holding bench_render and bench_render_llvmpipe (the
#   bench/ folder of a build configured with -DVELORINA_BENCH=ON).
set -euo pipefail
build=${1:?usage: run-render-bench.sh BENCH_DIR [MIN_TIME]}
min_time=${2:-3}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

"$build/bench_render" --benchmark_min_time="$min_time" --benchmark_format=json >"$out/ours.json"
LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe LP_NUM_THREADS=2 \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bench_render_llvmpipe" --benchmark_min_time="$min_time" --benchmark_format=json >"$out/llvmpipe.json"

LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe LP_NUM_THREADS=2 \
  "$build/bench_render_opengl" --benchmark_min_time="$min_time" --benchmark_format=json >"$out/opengl.json"

python3 - "$out/ours.json" "$out/llvmpipe.json" "$out/opengl.json" <<'PY'
import json, sys
def fps(path):
    return {b["name"].split("/")[0]: b.get("fps", 0.0) for b in json.load(open(path))["benchmarks"]}
ours, ref, gl = fps(sys.argv[1]), fps(sys.argv[2]), fps(sys.argv[3])
for w in ("Fill", "Tris"):
    o, r, g = ours["BM_Software" + w], ref["BM_Llvmpipe" + w], gl["BM_OpenGl" + w]
    print(f"{w.lower():5s} software {o:7.2f} fps   llvmpipe {r:7.2f} fps   ratio {o / r:5.2f}   "
          f"OpenGL device {g:7.2f} fps   device/raw time {r / g if g else float('nan'):5.2f}")
PY
