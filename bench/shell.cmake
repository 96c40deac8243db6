# The shipped player: its start-up to the first frame against its --version in the
# same run, and a frame of the shipped world at its display size against the
# software device's fill frame (bench/render) in the same run.
if(TARGET velorina_shell AND TARGET shipped-player)
  velorina_add_bench(bench_shipped
    SOURCES ${PROJECT_SOURCE_DIR}/bench/shell/ShippedBench.cpp ${PROJECT_SOURCE_DIR}/bench/render/RenderWorkloads.cpp
    LIBS velorina_shell)
  target_include_directories(bench_shipped PRIVATE ${PROJECT_SOURCE_DIR}/bench)
  target_compile_definitions(bench_shipped PRIVATE VELORINA_SHIPPED_PLAYER="${VELORINA_SHIPPED_PLAYER}")
  add_dependencies(bench_shipped shipped-player)
endif()
