# Doom-family WAD files.
velorina_add_fuzzer(fuzz_wad_probe SOURCES ${CMAKE_CURRENT_LIST_DIR}/doommap/WadProbeFuzzer.cpp LIBS velorina_doommap)
