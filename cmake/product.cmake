# The product's fixed numbers, in one place. The version resources, the manifest and the file
# names of the release all take them from here.
set(PRODUCT_NAME "Quillith")
set(PRODUCT_MAKER "YLTERA")
set(PRODUCT_VERSION "5.00")
set(SETUP_FILE_VERSION "2.0.0.7")
set(SETUP_DESCRIPTION "${PRODUCT_MAKER} Setup Wizard for ${PRODUCT_NAME}")

# The binary fields of a version resource hold four 16-bit numbers: "2.0.0.7" -> "2,0,0,7" and
# "5.00" -> "5,0,0,0" (missing parts are 0, leading zeros do not count).
function(version_commas out text)
  string(REPLACE "." ";" parts "${text}")
  list(LENGTH parts n)
  if(n LESS 1 OR n GREATER 4)
    message(FATAL_ERROR "version ${text} does not have one to four parts")
  endif()
  set(numbers)
  foreach(p ${parts})
    if(NOT p MATCHES "^[0-9]+$" OR p GREATER 65535)
      message(FATAL_ERROR "version ${text}: ${p} is not a number from 0 to 65535")
    endif()
    math(EXPR p "${p}")
    list(APPEND numbers ${p})
  endforeach()
  while(n LESS 4)
    list(APPEND numbers 0)
    math(EXPR n "${n} + 1")
  endwhile()
  string(REPLACE ";" "," numbers "${numbers}")
  set(${out} "${numbers}" PARENT_SCOPE)
endfunction()

version_commas(SETUP_FILE_VERSION_COMMAS "${SETUP_FILE_VERSION}")
version_commas(PRODUCT_VERSION_COMMAS "${PRODUCT_VERSION}")
