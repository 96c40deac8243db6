# Scene descriptions: the JSON reader of `velorina-tool scene build`.
velorina_add_fuzzer(fuzz_scene_description SOURCES ${CMAKE_CURRENT_LIST_DIR}/tools/SceneDescriptionFuzzer.cpp
                    LIBS velorina_scenejson)
