# Icons and the header picture, made at build time by the art tool from the sources in
# resources/art. Adds the files to RES_DEPENDS (and ART_OUTPUTS) and, in the Windows builds,
# writes ${RES_GEN}/art.rc. ART_TOOL may name the tool's target; by default it is the native
# build's host tool.
set(ART_SOURCE ${CMAKE_SOURCE_DIR}/resources/art)
if(NOT ART_TOOL)
  set(ART_TOOL ${HOST_TOOLS_DIR}/art/art)
endif()

set(ART_HEADER ${RES_GEN}/header.bmp)
set(ART_ICONS ${RES_GEN}/product.ico ${RES_GEN}/files.ico ${RES_GEN}/shortcuts.ico)
add_custom_command(OUTPUT ${ART_HEADER}
  COMMAND ${ART_TOOL} header ${ART_SOURCE}/header.scene ${ART_HEADER}
  DEPENDS ${ART_TOOL} ${ART_SOURCE}/header.scene ${ART_SOURCE}/font.strokes
  COMMENT "Rendering the header picture")
add_custom_command(OUTPUT ${ART_ICONS}
  COMMAND ${ART_TOOL} icons ${ART_SOURCE}/icons.txt ${RES_GEN}
  DEPENDS ${ART_TOOL} ${ART_SOURCE}/icons.txt
  COMMENT "Drawing the icons")
set(ART_OUTPUTS ${ART_HEADER} ${ART_ICONS})
list(APPEND RES_DEPENDS ${ART_OUTPUTS})

if(WIN32)
  file(WRITE ${RES_GEN}/art.rc
    "IDI_PRODUCT ICON \"${RES_GEN}/product.ico\"\n"
    "IDI_FILES ICON \"${RES_GEN}/files.ico\"\n"
    "IDI_SHORTCUTS ICON \"${RES_GEN}/shortcuts.ico\"\n"
    "IDB_HEADER BITMAP \"${ART_HEADER}\"\n")
endif()
