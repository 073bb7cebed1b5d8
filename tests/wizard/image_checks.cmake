# The header picture and icons the native build makes (tools/art), checked by independent readers;
# the image stages built for the x87 unit; the benchmark of the pure stages.
set(ART_DIR ${CMAKE_BINARY_DIR}/art)
set_property(TEST wizard_image_test APPEND PROPERTY ENVIRONMENT HEADER_BMP=${ART_DIR}/header.bmp)

# A checker that is not installed fails its test, naming the package (scripts/setup-machine.sh
# installs it); the build itself goes on.
function(require_checker var program package)
  find_program(${var} ${program})
  if(NOT ${var})
    set(${var} "${program}-not-installed-see-package-${package}" PARENT_SCOPE)
  endif()
endfunction()

# ImageMagick decodes the RLE8 resource on its own; the pixels must be ours.
require_checker(IMAGEMAGICK_CONVERT convert imagemagick)
add_executable(wizard_image_magick_check image_magick_check.cpp)
target_link_libraries(wizard_image_magick_check PRIVATE setup_pure_san)
target_compile_options(wizard_image_magick_check PRIVATE -Wall -Wextra -Werror ${SANITIZE_FLAGS} -g)
target_link_options(wizard_image_magick_check PRIVATE ${SANITIZE_FLAGS})
add_test(NAME wizard_image_magick
  COMMAND sh -c "\"$1\" \"$2\" -depth 8 ppm:\"$3\" && \"$4\" \"$2\" \"$3\"" image_magick
          ${IMAGEMAGICK_CONVERT} ${ART_DIR}/header.bmp ${CMAKE_CURRENT_BINARY_DIR}/header_magick.ppm
          $<TARGET_FILE:wizard_image_magick_check>)
set_tests_properties(wizard_image_magick PROPERTIES LABELS native)

# icoutils reads each icon group: the sizes and 16 colours the wizard asks for.
require_checker(ICOTOOL icotool icoutils)
foreach(icon product:32,16 files:32 shortcuts:32)
  string(REPLACE ":" ";" parts ${icon})
  list(GET parts 0 name)
  list(GET parts 1 sizes)
  set(lines "")
  set(index 1)
  string(REPLACE "," ";" sizes ${sizes})
  foreach(s ${sizes})
    list(APPEND lines "--icon --index=${index} --width=${s} --height=${s} --bit-depth=4 --palette-size=16")
    math(EXPR index "${index} + 1")
  endforeach()
  string(JOIN "\n" expected ${lines})
  add_test(NAME wizard_image_icon_${name}
    COMMAND sh -c "test \"$(\"$1\" -l \"$2\")\" = \"$3\"" icon ${ICOTOOL} ${ART_DIR}/${name}.ico ${expected})
  set_tests_properties(wizard_image_icon_${name} PROPERTIES LABELS native)
endforeach()

# The 32-bit product does its floating point on the x87 unit. The same tests, with the stages
# compiled for it, must give the same bytes.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i.86")
  add_executable(wizard_image_x87_test image_test.cpp ${CMAKE_SOURCE_DIR}/wizard/image.cpp)
  target_include_directories(wizard_image_x87_test PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(wizard_image_x87_test PRIVATE -mfpmath=387 -Wall -Wextra -Werror
                         ${SANITIZE_FLAGS} -g)
  target_link_options(wizard_image_x87_test PRIVATE ${SANITIZE_FLAGS})
  target_link_libraries(wizard_image_x87_test PRIVATE GTest::gtest_main)
  add_test(NAME wizard_image_x87_test COMMAND wizard_image_x87_test)
  set_tests_properties(wizard_image_x87_test PROPERTIES LABELS native
                       ENVIRONMENT HEADER_BMP=${ART_DIR}/header.bmp)
endif()

if(benchmark_FOUND)
  add_executable(wizard_image_bench image_bench.cpp)
  target_link_libraries(wizard_image_bench PRIVATE setup_pure benchmark::benchmark)
  target_compile_definitions(wizard_image_bench PRIVATE HEADER_BMP="${ART_DIR}/header.bmp")
  target_compile_options(wizard_image_bench PRIVATE -Wall -Wextra -Werror)
endif()
