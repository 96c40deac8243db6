# One harness per picture decoder.
foreach(decoder bmp gif jpeg png ppm tga ico bmz wz pe metafile)
  velorina_add_fuzzer(fuzz_${decoder} SOURCES ${CMAKE_CURRENT_LIST_DIR}/imaging/fuzz_${decoder}.cpp LIBS velorina_imaging)
endforeach()
