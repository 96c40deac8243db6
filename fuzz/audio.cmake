# The wave reader: RIFF checks and libsndfile decoding of untrusted wave data.
if(TARGET velorina_sound)
  velorina_add_fuzzer(fuzz_wave_reader SOURCES audio/WaveReaderFuzzer.cpp LIBS velorina_sound)
endif()
