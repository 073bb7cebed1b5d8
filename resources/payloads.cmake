# The product's payloads: makes ${RES_GEN}/payloads.rc and the resources it names, one per row of
# the file table. The programs are built for this build's own architecture; payload-fit pads
# every payload to its row's Size and PackedSize and checks every stream by decoding it back.

# payload_program(target file source definitions...): one program of the product.
function(payload_program target file source)
  add_win_program(${target} payloads/${source} payloads/payload_window.cpp)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${file}
                        RUNTIME_OUTPUT_DIRECTORY ${RES_GEN}/programs/${target})
  target_compile_definitions(${target} PRIVATE
    "PAYLOAD_PRODUCT=\"${PRODUCT_MAKER} ${PRODUCT_NAME} ${PRODUCT_VERSION}\"" ${ARGN})
  target_link_libraries(${target} PRIVATE user32 kernel32)
  set_property(GLOBAL APPEND PROPERTY SHIPPED_PES ${target})
endfunction()

payload_program(qlremove QLRemove qlremove.cpp)
payload_program(quillith_98 Quillith quillith.cpp QUILLITH_BUILD="98")
payload_program(quillith_xp Quillith quillith.cpp QUILLITH_BUILD="XP")
payload_program(qlupdate QLUpdate qlupdate.cpp)
add_version_resource(qlremove "${PRODUCT_NAME} Remover")
add_version_resource(quillith_98 "${PRODUCT_NAME}, the writing pad (98 build)")
add_version_resource(quillith_xp "${PRODUCT_NAME}, the writing pad (XP build)")
add_version_resource(qlupdate "${PRODUCT_NAME} Updater")

# RESOURCE=KIND:CONTENT for every row (kinds: see tools/payload-fit).
set(PAYLOAD_DIR ${CMAKE_CURRENT_SOURCE_DIR}/payloads)
set(PAYLOADS
  CLEANUP=binary:$<TARGET_FILE:qlremove>
  PROGRAM_98=binary:$<TARGET_FILE:quillith_98>
  PROGRAM_XP=binary:$<TARGET_FILE:quillith_xp>
  PROGRAMHLP=html:${PAYLOAD_DIR}/help.html
  UPDATER=binary:$<TARGET_FILE:qlupdate>
  WEBLINK=text:${PAYLOAD_DIR}/weblink.url
  ORDER=text:${PAYLOAD_DIR}/order.txt
  REGINFO=text:${PAYLOAD_DIR}/reginfo.txt)

set(PAYLOAD_FIT ${HOST_TOOLS_DIR}/payload-fit/payload-fit)
set(payload_outputs ${RES_GEN}/payloads.rc)
set(payload_depends ${PAYLOAD_FIT} qlremove quillith_98 quillith_xp qlupdate)
foreach(p ${PAYLOADS})
  string(REGEX MATCH "^[A-Z0-9_]+" name "${p}")
  list(APPEND payload_outputs ${RES_GEN}/payloads/${name}.bin ${RES_GEN}/payloads/${name}.file)
  if(p MATCHES ":(/.*)$")
    list(APPEND payload_depends ${CMAKE_MATCH_1})
  endif()
endforeach()
file(MAKE_DIRECTORY ${RES_GEN}/payloads)
add_custom_command(OUTPUT ${payload_outputs}
  COMMAND ${PAYLOAD_FIT} ${RES_GEN} ${PAYLOADS}
  DEPENDS ${payload_depends}
  WORKING_DIRECTORY ${RES_GEN}
  COMMENT "Fitting the payloads to the file table")
list(APPEND RES_DEPENDS ${payload_outputs})
