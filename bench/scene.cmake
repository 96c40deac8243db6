velorina_add_bench(bench_scene SOURCES ${CMAKE_CURRENT_LIST_DIR}/scene/SceneBench.cpp
                   LIBS velorina_scene velorina_shell velorina_imaging)
