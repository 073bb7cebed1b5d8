# Version resources: maker, product and product version from cmake/product.cmake, and the
# program's own description and file version. setup.exe includes its configured script in
# resources/setup.rc; every other program gets one with add_version_resource.
set(VERSION_RC_TEMPLATE ${CMAKE_SOURCE_DIR}/resources/version.rc.in)

# configure_version_rc(out description file_name internal_name file_version): writes the
# resource script.
function(configure_version_rc out description file_name internal_name file_version)
  set(VERSION_DESCRIPTION "${description}")
  set(VERSION_FILE "${file_version}")
  version_commas(VERSION_FILE_COMMAS "${file_version}")
  set(VERSION_FILE_NAME "${file_name}")
  set(VERSION_INTERNAL_NAME "${internal_name}")
  configure_file(${VERSION_RC_TEMPLATE} ${out} @ONLY)
endfunction()

# add_version_resource(target "description" [FILE_VERSION a.b.c.d]): compiles a version resource
# into a Windows program. The file version defaults to the product version; the file name is the
# target's. Call it in the folder that defines the target.
function(add_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(ARG "" "FILE_VERSION" "" ${ARGN})
  if(NOT ARG_FILE_VERSION)
    set(ARG_FILE_VERSION "${PRODUCT_VERSION}")
  endif()
  set(base ${CMAKE_CURRENT_BINARY_DIR}/${target}_version)
  # The file name is only known at generation time (OUTPUT_NAME may change it).
  configure_version_rc(${base}.rc.in "${description}" "$<TARGET_FILE_NAME:${target}>"
                       "$<TARGET_FILE_BASE_NAME:${target}>" "${ARG_FILE_VERSION}")
  file(GENERATE OUTPUT ${base}.rc INPUT ${base}.rc.in)
  add_custom_command(OUTPUT ${base}.o
    COMMAND ${CMAKE_RC_COMPILER} -i ${base}.rc -o ${base}.o
    DEPENDS ${base}.rc ${VERSION_RC_TEMPLATE}
    COMMENT "Compiling the version resource of ${target}")
  set_source_files_properties(${base}.o PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  target_sources(${target} PRIVATE ${base}.o)
  # tests/release reads every program's resource back and compares it with these.
  set_property(GLOBAL PROPERTY VERSION_OF_${target} "${description}\t${ARG_FILE_VERSION}")
endfunction()
