# The decoder's tests need the encoder of the host tools; the lzhuf tool is checked end to end.
target_link_libraries(extract_lzhuf_test PRIVATE lzhuf_encoder_san)

add_test(NAME extract_lzhuf_tool
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/lzhuf_tool.sh $<TARGET_FILE:lzhuf>
          ${CMAKE_SOURCE_DIR}/resources/LICENSE.txt ${CMAKE_CURRENT_BINARY_DIR}/lzhuf_tool)
set_tests_properties(extract_lzhuf_tool PROPERTIES LABELS native)

# Decoding speed over the payloads that a Windows build made (run by hand, see the source).
if(benchmark_FOUND)
  add_executable(extract_lzhuf_bench lzhuf_bench.cpp)
  target_link_libraries(extract_lzhuf_bench PRIVATE setup_pure benchmark::benchmark)
  target_compile_options(extract_lzhuf_bench PRIVATE -Wall -Wextra -Werror)
endif()

# libFuzzer over the decoding core (and the encoder's round trip), built with clang; the tests
# run it briefly.
find_program(CLANGXX clang++)
if(NOT CLANGXX)
  message(WARNING "clang++ not found: the LZHUF fuzzer is not built")
  return()
endif()
set(LZHUF_FUZZ ${CMAKE_CURRENT_BINARY_DIR}/lzhuf_fuzz)
set(LZHUF_FUZZ_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/lzhuf_fuzz.cpp ${CMAKE_SOURCE_DIR}/extract/lzhuf.cpp
    ${CMAKE_SOURCE_DIR}/tools/lzhuf/lzhuf_encode.cpp)
add_custom_command(OUTPUT ${LZHUF_FUZZ}
  COMMAND ${CLANGXX} -std=c++17 -g -O1 -Wall -Wextra -Werror
          -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I${CMAKE_SOURCE_DIR}
          ${LZHUF_FUZZ_SOURCES} -o ${LZHUF_FUZZ}
  DEPENDS ${LZHUF_FUZZ_SOURCES} ${CMAKE_SOURCE_DIR}/extract/lzhuf.h
          ${CMAKE_SOURCE_DIR}/tools/lzhuf/lzhuf_encode.h
  COMMENT "Building the LZHUF fuzzer")
add_custom_target(lzhuf_fuzz ALL DEPENDS ${LZHUF_FUZZ})

file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/lzhuf_fuzz_corpus)
add_test(NAME extract_lzhuf_fuzz
  COMMAND ${LZHUF_FUZZ} -seed=1 -runs=100000 -max_total_time=20 -max_len=4096 -rss_limit_mb=2048
          -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/lzhuf_fuzz_ ${CMAKE_CURRENT_BINARY_DIR}/lzhuf_fuzz_corpus)
set_tests_properties(extract_lzhuf_fuzz PROPERTIES LABELS "native;fuzz")
