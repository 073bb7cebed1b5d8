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

# libFuzzer over the decoding core (and the encoder's round trip); the tests run it briefly.
add_fuzzer(lzhuf_fuzz TEST extract_lzhuf_fuzz
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/lzhuf_fuzz.cpp ${CMAKE_SOURCE_DIR}/extract/lzhuf.cpp
          ${CMAKE_SOURCE_DIR}/tools/lzhuf/lzhuf_encode.cpp
  DEPENDS ${CMAKE_SOURCE_DIR}/extract/lzhuf.h ${CMAKE_SOURCE_DIR}/tools/lzhuf/lzhuf_encode.h
  ARGS -runs=100000 -max_total_time=20 -max_len=4096)
