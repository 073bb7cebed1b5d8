# The product's payloads: makes ${RES_GEN}/payloads.rc and the resources it names, one per row of
# the file table. The programs are built for this build's own architecture; payload-fit pads
# every payload to its row's Size and PackedSize and checks every stream by decoding it back.

# The programs and the help file of the product. Every program is built with setup's flags;
# QLRemove and QLUpdate link setup's own descriptor (setup_pure), so that they know the file table
# that setup installs from.
set(PAYLOAD_DIR ${CMAKE_CURRENT_SOURCE_DIR}/payloads)
set(PROGRAMS_GEN ${RES_GEN}/programs)
file(MAKE_DIRECTORY ${PROGRAMS_GEN})
find_program(CHMCMD chmcmd REQUIRED)

# The XP build's manifest names the product version in four parts ("5.00" -> "5.0.0.0").
string(REPLACE "," "." PRODUCT_VERSION_DOTS "${PRODUCT_VERSION_COMMAS}")
configure_file(${PAYLOAD_DIR}/quillith_xp.manifest.in ${PROGRAMS_GEN}/quillith_xp.manifest @ONLY)

# payload_program(target FILE name SOURCES files... [RC script] [DEFINES definitions...]
#                 [LIBS libraries...]): one program of the product, sources below payloads/.
function(payload_program target)
  cmake_parse_arguments(ARG "" "FILE;RC" "SOURCES;DEFINES;LIBS" ${ARGN})
  set(sources)
  foreach(s ${ARG_SOURCES})
    list(APPEND sources ${PAYLOAD_DIR}/${s})
  endforeach()
  if(ARG_RC)
    set(obj ${PROGRAMS_GEN}/${target}_res.o)
    set(rc_defs)
    foreach(d ${ARG_DEFINES})
      list(APPEND rc_defs -D${d})
    endforeach()
    add_custom_command(OUTPUT ${obj}
      COMMAND ${CMAKE_RC_COMPILER} -I${PAYLOAD_DIR} -I${PROGRAMS_GEN} ${rc_defs}
              -i ${PAYLOAD_DIR}/${ARG_RC} -o ${obj}
      DEPENDS ${PAYLOAD_DIR}/${ARG_RC} ${PAYLOAD_DIR}/product_ids.h ${PROGRAMS_GEN}/quillith_xp.manifest
      COMMENT "Compiling the resources of ${ARG_FILE}.exe (${target})")
    set_source_files_properties(${obj} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
    list(APPEND sources ${obj})
  endif()
  add_win_program(${target} ${sources})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${ARG_FILE}
                        RUNTIME_OUTPUT_DIRECTORY ${PROGRAMS_GEN}/${target})
  target_compile_definitions(${target} PRIVATE
    "PAYLOAD_PRODUCT=\"${PRODUCT_MAKER} ${PRODUCT_NAME} ${PRODUCT_VERSION}\"" ${ARG_DEFINES})
  target_link_libraries(${target} PRIVATE setup_pure ${ARG_LIBS} user32 kernel32)
  set_property(GLOBAL APPEND PROPERTY SHIPPED_PES ${target})
endfunction()

payload_program(qlremove FILE QLRemove SOURCES qlremove.cpp remove_rules.cpp product_reg.cpp
                LIBS shell32 ole32 uuid advapi32)
payload_program(quillith_98 FILE Quillith SOURCES quillith.cpp pad_text.cpp RC quillith.rc
                LIBS shell32 gdi32)
payload_program(quillith_xp FILE Quillith SOURCES quillith.cpp pad_text.cpp RC quillith.rc
                DEFINES QUILLITH_XP LIBS comctl32 shell32 gdi32)
payload_program(qlupdate FILE QLUpdate SOURCES qlupdate.cpp product_reg.cpp RC qlupdate.rc
                LIBS shell32 advapi32)

# Quillith.chm, compiled from the help pages.
set(HELP_SOURCES quillith.hhp contents.hhc index.html files.html editing.html keys.html program.html)
list(TRANSFORM HELP_SOURCES PREPEND ${PAYLOAD_DIR}/help/)
add_custom_command(OUTPUT ${PROGRAMS_GEN}/Quillith.chm
  COMMAND ${PYTHON3} ${PAYLOAD_DIR}/help/build_chm.py ${CHMCMD} ${PAYLOAD_DIR}/help ${PROGRAMS_GEN}/help
          ${PROGRAMS_GEN}/Quillith.chm
  DEPENDS ${HELP_SOURCES} ${PAYLOAD_DIR}/help/build_chm.py
  COMMENT "Compiling the help file Quillith.chm")

add_version_resource(qlremove "${PRODUCT_NAME} Remover")
add_version_resource(quillith_98 "${PRODUCT_NAME}, the writing pad (98 build)")
add_version_resource(quillith_xp "${PRODUCT_NAME}, the writing pad (XP build)")
add_version_resource(qlupdate "${PRODUCT_NAME} Updater")

# RESOURCE=KIND:CONTENT for every row (kinds: see tools/payload-fit).
set(PAYLOADS
  CLEANUP=binary:$<TARGET_FILE:qlremove>
  PROGRAM_98=binary:$<TARGET_FILE:quillith_98>
  PROGRAM_XP=binary:$<TARGET_FILE:quillith_xp>
  PROGRAMHLP=binary:${PROGRAMS_GEN}/Quillith.chm
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
