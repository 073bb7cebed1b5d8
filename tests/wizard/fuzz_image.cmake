# libFuzzer over ReadPackedDib and the scaling stages, built with clang; the tests run it briefly
# from the seeds in fuzz_image_seeds (new inputs go to the build tree's corpus folder).
find_program(CLANGXX clang++)
if(NOT CLANGXX)
  message(WARNING "clang++ not found: the image fuzzer is not built")
  return()
endif()
set(FUZZ_IMAGE ${CMAKE_CURRENT_BINARY_DIR}/fuzz_image)
add_custom_command(OUTPUT ${FUZZ_IMAGE}
  COMMAND ${CLANGXX} -std=c++17 -g -O1 -Wall -Wextra -Werror
          -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I${CMAKE_SOURCE_DIR}
          ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_image.cpp ${CMAKE_SOURCE_DIR}/wizard/image.cpp
          -o ${FUZZ_IMAGE}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_image.cpp ${CMAKE_SOURCE_DIR}/wizard/image.cpp
          ${CMAKE_SOURCE_DIR}/wizard/image.h
  COMMENT "Building the image fuzzer")
add_custom_target(fuzz_image ALL DEPENDS ${FUZZ_IMAGE})

file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/fuzz_image_corpus)
add_test(NAME wizard_fuzz_image
  COMMAND ${FUZZ_IMAGE} -seed=1 -runs=50000 -max_total_time=60 -max_len=2048 -rss_limit_mb=2048
          -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/fuzz_image_
          ${CMAKE_CURRENT_BINARY_DIR}/fuzz_image_corpus ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_image_seeds)
set_tests_properties(wizard_fuzz_image PROPERTIES LABELS "native;fuzz")
