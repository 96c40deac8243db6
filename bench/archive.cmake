velorina_add_bench(bench_archive SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive/ArchiveBench.cpp
                   LIBS velorina_archive ZLIB::ZLIB PkgConfig::DEFLATE)
