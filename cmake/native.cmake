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
