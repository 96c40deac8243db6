# Scene objects whose geometry is generated: text and spheres.
velorina_add_bench(bench_sceneobjects SOURCES ${CMAKE_CURRENT_LIST_DIR}/sceneobjects/SceneObjectsBench.cpp
                   LIBS velorina_sceneobjects)
