# Scene streams.
velorina_add_fuzzer(fuzz_scene_stream SOURCES ${CMAKE_CURRENT_LIST_DIR}/scene/SceneStreamFuzzer.cpp LIBS velorina_records velorina_sceneobjects)
