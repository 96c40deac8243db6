# The sound mixer against a plain copy of the same samples.
if(TARGET velorina_sound)
  velorina_add_bench(bench_mixer SOURCES audio/MixerBench.cpp LIBS velorina_sound)
endif()
