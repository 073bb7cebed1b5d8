# Release steps of the Windows builds: Authenticode signing of setup.exe right after it is linked,
# when a certificate and key are given, and the dist target of the 32-bit build.
if(NOT WIN32)
  return()
endif()

set(SIGN_CERT "" CACHE FILEPATH "Authenticode certificate for setup.exe (PEM or DER); empty: unsigned")
set(SIGN_KEY "" CACHE FILEPATH "Unencrypted private key of SIGN_CERT (PEM or DER)")
set(sign_cert "${SIGN_CERT}")
set(sign_key "${SIGN_KEY}")
if(NOT sign_cert AND NOT sign_key)
  # Read at every configure, not cached, so that unsetting them makes the next build unsigned.
  set(sign_cert "$ENV{SIGN_CERT}")
  set(sign_key "$ENV{SIGN_KEY}")
endif()
set(RELEASE_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/dist.sh)

# A change of the signing settings or of the files they name relinks setup.exe, so that the step
# below runs again.
set(sign_settings ${CMAKE_BINARY_DIR}/signing.txt)
set(text "certificate: ${sign_cert}\nkey: ${sign_key}\n")
set(old "")
if(EXISTS ${sign_settings})
  file(READ ${sign_settings} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${sign_settings} "${text}")
endif()
set_property(TARGET setup APPEND PROPERTY LINK_DEPENDS ${sign_settings})

if(sign_cert OR sign_key)
  if(NOT sign_cert OR NOT sign_key)
    message(FATAL_ERROR "Signing needs both SIGN_CERT and SIGN_KEY")
  endif()
  get_filename_component(sign_cert ${sign_cert} ABSOLUTE)
  get_filename_component(sign_key ${sign_key} ABSOLUTE)
  foreach(f ${sign_cert} ${sign_key})
    if(NOT EXISTS ${f})
      message(FATAL_ERROR "Signing: ${f} does not exist")
    endif()
  endforeach()
  find_program(OSSLSIGNCODE osslsigncode REQUIRED)
  set_property(TARGET setup APPEND PROPERTY LINK_DEPENDS ${sign_cert} ${sign_key})
  add_custom_command(TARGET setup POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E env SIGN_CERT=${sign_cert} SIGN_KEY=${sign_key}
            bash ${RELEASE_SCRIPT} sign $<TARGET_FILE:setup> $<TARGET_FILE:setup> ${SETUP_DESCRIPTION}
    VERBATIM)
  message(STATUS "setup.exe (${SETUP_ARCH}) will be signed with ${sign_cert}")
else()
  add_custom_command(TARGET setup POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E echo
            "setup.exe (${SETUP_ARCH}) is unsigned: give SIGN_CERT and SIGN_KEY to sign it"
    VERBATIM)
  message(STATUS "setup.exe (${SETUP_ARCH}) will be unsigned: no SIGN_CERT and SIGN_KEY")
endif()

# dist: both setup.exe builds side by side with their SHA-256 sums, made from the 32-bit build;
# the 64-bit build is brought up to date first (by default the win64 folder next to this one).
if(SETUP_ARCH STREQUAL "x86")
  get_filename_component(twin_default ${CMAKE_BINARY_DIR}/../win64 ABSOLUTE)
  set(DIST_TWIN_BUILD ${twin_default} CACHE PATH "The 64-bit build whose setup.exe dist takes")
  set(DIST_DIR ${CMAKE_BINARY_DIR}/dist CACHE PATH "Where dist puts the release files")
  add_custom_target(dist
    COMMAND ${CMAKE_COMMAND} --build ${DIST_TWIN_BUILD} --target setup
    COMMAND bash ${RELEASE_SCRIPT} collect ${DIST_DIR}
            setup.exe=$<TARGET_FILE:setup> setup-x64.exe=${DIST_TWIN_BUILD}/setup.exe
    DEPENDS setup
    COMMENT "Making ${DIST_DIR}"
    VERBATIM)
endif()
