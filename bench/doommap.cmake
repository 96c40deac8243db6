# Freedoom 2's maps: importing all of them with their textures, the import's
# stages apart, and drawing MAP01 on the software device against its fill frame.
if(TARGET velorina_render)
  velorina_add_bench(bench_doommap
    SOURCES ${PROJECT_SOURCE_DIR}/bench/doommap/DoomMapBench.cpp ${PROJECT_SOURCE_DIR}/bench/render/RenderWorkloads.cpp
    LIBS velorina_scene velorina_shell velorina_render)
  target_include_directories(bench_doommap PRIVATE ${PROJECT_SOURCE_DIR}/bench)
endif()
