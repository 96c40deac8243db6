# Doom-family WAD files.
velorina_add_fuzzer(fuzz_wad_probe SOURCES ${CMAKE_CURRENT_LIST_DIR}/doommap/WadProbeFuzzer.cpp LIBS velorina_doommap)
velorina_add_fuzzer(fuzz_doom_map_lumps SOURCES ${CMAKE_CURRENT_LIST_DIR}/doommap/MapLumpsFuzzer.cpp LIBS velorina_doommap)
velorina_add_fuzzer(fuzz_doom_textures SOURCES ${CMAKE_CURRENT_LIST_DIR}/doommap/TextureFuzzer.cpp LIBS velorina_doommap)
velorina_add_fuzzer(fuzz_doom_import SOURCES ${CMAKE_CURRENT_LIST_DIR}/doommap/MapImportFuzzer.cpp LIBS velorina_doommap)
