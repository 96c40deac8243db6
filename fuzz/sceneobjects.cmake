# Scene object records read into live objects.
velorina_add_fuzzer(fuzz_polygon SOURCES ${CMAKE_CURRENT_LIST_DIR}/sceneobjects/PolygonFuzzer.cpp LIBS velorina_sceneobjects)
