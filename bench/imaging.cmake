# Picture decoders against the plain library calls they build on.
velorina_add_bench(bench_pictures SOURCES ${CMAKE_CURRENT_LIST_DIR}/imaging/PictureBench.cpp
                   LIBS velorina_imaging ZLIB::ZLIB PkgConfig::JPEG)
