# Windows builds (setup.exe and its 64-bit twin): small, static, warnings are errors.
enable_testing()
find_program(PYTHON3 python3 REQUIRED)

# The C runtime's own formatter (msvcrt), not MinGW's locale-aware one with its extra imports.
set(WIN_COMPILE_FLAGS
  -D__USE_MINGW_ANSI_STDIO=0 -Wall -Wextra -Werror -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
  -ffunction-sections -fdata-sections -fno-ident
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
set(WIN_LINK_FLAGS
  -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections -Wl,--no-insert-timestamp
  -Wl,--build-id=none -mwindows)
if(SETUP_ARCH STREQUAL "x86")
  # Windows 95 refuses images that ask for a newer subsystem or OS version than 4.0.
  list(APPEND WIN_LINK_FLAGS -Wl,--subsystem,windows:4.0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
endif()
set(WIN_SYSTEM_LIBS comctl32 shell32 ole32 advapi32 gdi32 user32 kernel32)

add_library(setup_pure STATIC)
target_include_directories(setup_pure PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
target_compile_options(setup_pure PRIVATE ${WIN_COMPILE_FLAGS})

# Everything of setup.exe but its entry point, so that Wine test programs can link the real code.
add_library(setup_win STATIC)
target_include_directories(setup_win PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
target_compile_options(setup_win PRIVATE ${WIN_COMPILE_FLAGS})
target_link_libraries(setup_win PUBLIC setup_pure ${WIN_SYSTEM_LIBS})

function(add_pure_sources)
  foreach(f ${ARGN})
    target_sources(setup_pure PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
endfunction()
function(add_win_sources)
  foreach(f ${ARGN})
    target_sources(setup_win PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
endfunction()
function(add_unit_test)
endfunction()

# add_win_program(name sources...): a GUI program built with the product's flags.
function(add_win_program name)
  add_executable(${name} ${ARGN})
  target_compile_options(${name} PRIVATE ${WIN_COMPILE_FLAGS})
  target_link_options(${name} PRIVATE ${WIN_LINK_FLAGS})
endfunction()
