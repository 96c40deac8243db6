# Archives, compressed blocks and world packages.
velorina_add_fuzzer(fuzz_wad SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive/WadFuzzer.cpp LIBS velorina_archive)
velorina_add_fuzzer(fuzz_compressed_block SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive/CompressedBlockFuzzer.cpp
                    LIBS velorina_archive)
velorina_add_fuzzer(fuzz_world_package SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive/WorldPackageFuzzer.cpp
                    LIBS velorina_shell)
