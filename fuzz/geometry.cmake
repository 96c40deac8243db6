# Plane geometry: the triangulator over random contours.
velorina_add_fuzzer(fuzz_triangulator SOURCES ${CMAKE_CURRENT_LIST_DIR}/geometry/TriangulatorFuzzer.cpp
                    LIBS velorina_geometry)
