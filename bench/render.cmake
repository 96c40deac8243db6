# The software render device on the fill and triangle workloads, and the same
# workloads through OpenGL (Mesa's llvmpipe under Xvfb) as the reference; see
# render/run-render-bench.sh, which runs both in one go and prints the ratios.
if(TARGET velorina_render)
  velorina_add_bench(bench_render
    SOURCES ${PROJECT_SOURCE_DIR}/bench/render/SoftwareDeviceBench.cpp ${PROJECT_SOURCE_DIR}/bench/render/RenderWorkloads.cpp
    LIBS velorina_render)
  target_include_directories(bench_render PRIVATE ${PROJECT_SOURCE_DIR}/bench)
endif()

# The OpenGL reference needs libGL; it is a benchmark-only program.
pkg_check_modules(VELORINA_GL IMPORTED_TARGET gl)
if(TARGET velorina_render AND VELORINA_GL_FOUND)
  velorina_add_bench(bench_render_llvmpipe
    SOURCES ${PROJECT_SOURCE_DIR}/bench/render/LlvmpipeReference.cpp ${PROJECT_SOURCE_DIR}/bench/render/RenderWorkloads.cpp
    LIBS PkgConfig::VELORINA_GL PkgConfig::SDL2)
  target_include_directories(bench_render_llvmpipe PRIVATE ${PROJECT_SOURCE_DIR}/bench)
endif()

# The OpenGL device on the same workloads (headless EGL), against the reference above.
if(TARGET velorina_render)
  velorina_add_bench(bench_render_opengl
    SOURCES ${PROJECT_SOURCE_DIR}/bench/render/OpenGlDeviceBench.cpp ${PROJECT_SOURCE_DIR}/bench/render/RenderWorkloads.cpp
    LIBS velorina_render)
  target_include_directories(bench_render_opengl PRIVATE ${PROJECT_SOURCE_DIR}/bench)
endif()

# Reading bilinear texel blocks by AVX2 gathers against 64-bit scalar loads, the
# choice the software device's span loops make.
velorina_add_bench(bench_render_texel_loads SOURCES ${PROJECT_SOURCE_DIR}/bench/render/TexelLoadBench.cpp)
