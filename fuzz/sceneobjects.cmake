# Scene object records read into live objects.
velorina_add_fuzzer(fuzz_polygon SOURCES ${CMAKE_CURRENT_LIST_DIR}/sceneobjects/PolygonFuzzer.cpp LIBS velorina_sceneobjects)
# The glyph table of a font checked against its payload.
velorina_add_fuzzer(fuzz_glyph_font SOURCES ${CMAKE_CURRENT_LIST_DIR}/sceneobjects/GlyphFontFuzzer.cpp LIBS velorina_sceneobjects)
