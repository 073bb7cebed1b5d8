# libFuzzer over ReadPackedDib and the scaling stages; the tests run it briefly from the seeds in
# fuzz_image_seeds (new inputs go to the build tree's corpus folder).
add_fuzzer(fuzz_image TEST wizard_fuzz_image
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_image.cpp ${CMAKE_SOURCE_DIR}/wizard/image.cpp
  DEPENDS ${CMAKE_SOURCE_DIR}/wizard/image.h
  SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_image_seeds
  ARGS -runs=50000 -max_total_time=60 -max_len=2048)
