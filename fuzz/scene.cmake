# Scene streams.
velorina_add_fuzzer(fuzz_scene_stream SOURCES ${CMAKE_CURRENT_LIST_DIR}/scene/SceneStreamFuzzer.cpp LIBS velorina_records velorina_sceneobjects)
# Random scene documents through the stream writer and back through the reader.
velorina_add_fuzzer(fuzz_scene_round_trip SOURCES ${CMAKE_CURRENT_LIST_DIR}/scene/SceneRoundTripFuzzer.cpp LIBS velorina_records)
