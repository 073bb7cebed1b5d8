# Native build: pure logic under sanitizers, host tools, benchmarks.
enable_testing()
set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
find_package(GTest REQUIRED)
find_package(benchmark QUIET)

add_library(setup_pure STATIC)
target_include_directories(setup_pure PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(setup_pure PRIVATE -Wall -Wextra -Werror)

# The same pure sources with sanitizers, for the unit tests and fuzzers.
add_library(setup_pure_san STATIC)
target_include_directories(setup_pure_san PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(setup_pure_san PRIVATE -Wall -Wextra -Werror ${SANITIZE_FLAGS} -g)
target_link_options(setup_pure_san PUBLIC ${SANITIZE_FLAGS})

# add_pure_sources(files...): a subsystem's platform-free sources, built into both libraries.
function(add_pure_sources)
  foreach(f ${ARGN})
    target_sources(setup_pure PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${f})
    target_sources(setup_pure_san PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
endfunction()
function(add_win_sources)
endfunction()

# add_unit_test(name sources...): a GoogleTest program under the sanitizers.
function(add_unit_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE setup_pure_san GTest::gtest_main)
  target_compile_options(${name} PRIVATE ${SANITIZE_FLAGS} -g)
  target_link_options(${name} PRIVATE ${SANITIZE_FLAGS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS native ENVIRONMENT "SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

# add_fuzzer(target TEST name SOURCES files... [DEPENDS files...] [SEEDS folder] [ARGS options...]):
# a libFuzzer program built with clang under ASan and UBSan, and a short run of it as a test.
find_program(CLANGXX clang++)
function(add_fuzzer target)
  cmake_parse_arguments(F "" "TEST;SEEDS" "SOURCES;DEPENDS;ARGS" ${ARGN})
  if(NOT CLANGXX)
    message(WARNING "clang++ not found: the fuzzer ${target} is not built")
    return()
  endif()
  set(exe ${CMAKE_CURRENT_BINARY_DIR}/${target})
  add_custom_command(OUTPUT ${exe}
    COMMAND ${CLANGXX} -std=c++17 -g -O1 -Wall -Wextra -Werror
            -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I${CMAKE_SOURCE_DIR}
            ${F_SOURCES} -o ${exe}
    DEPENDS ${F_SOURCES} ${F_DEPENDS}
    COMMENT "Building the fuzzer ${target}")
  add_custom_target(${target} ALL DEPENDS ${exe})
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${target}_corpus)
  add_test(NAME ${F_TEST}
    COMMAND ${exe} -seed=1 -rss_limit_mb=2048 -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/${target}_
            ${F_ARGS} ${CMAKE_CURRENT_BINARY_DIR}/${target}_corpus ${F_SEEDS})
  set_tests_properties(${F_TEST} PROPERTIES LABELS "native;fuzz")
endfunction()

# add_test_folder(): every *_test.cpp of the calling folder is one GoogleTest program, named
# <folder>_<file>; its *.cmake fragments add fuzzers, benchmarks and checks.
function(add_test_folder)
  get_filename_component(sub ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    add_unit_test(${sub}_${name} ${src})
  endforeach()
endfunction()
