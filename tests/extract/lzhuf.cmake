# The decoder's tests need the encoder of the host tools; the lzhuf tool is checked end to end.
target_link_libraries(extract_lzhuf_test PRIVATE lzhuf_encoder_san)

add_test(NAME extract_lzhuf_tool
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/lzhuf_tool.sh $<TARGET_FILE:lzhuf>
          ${CMAKE_SOURCE_DIR}/resources/LICENSE.txt ${CMAKE_CURRENT_BINARY_DIR}/lzhuf_tool)
set_tests_properties(extract_lzhuf_tool PROPERTIES LABELS native)
