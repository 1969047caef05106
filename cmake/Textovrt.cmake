# Project-wide compile settings and the helpers every area uses.

# Warnings are on in every build; they fail it only where TEXTOVRT_WERROR is on (the Makefile's
# builds and CI), so that a packager's build on a newer compiler does not stop at a new warning.
option(TEXTOVRT_WERROR "Treat compiler warnings as errors" OFF)
set(TEXTOVRT_WARNINGS -Wall -Wextra -Wno-missing-field-initializers)
# g++ 12 takes the components' destroying operator delete for a mismatch with the global
# operator new (it is not: it frees with the global operator delete).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND TEXTOVRT_WARNINGS -Wno-mismatched-new-delete)
endif()
if(TEXTOVRT_WERROR)
  list(APPEND TEXTOVRT_WARNINGS -Werror)
endif()
set(TEXTOVRT_DEFINES)
if(TEXTOVRT_WINDOWS)
  list(APPEND TEXTOVRT_DEFINES UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00
       WINVER=0x0A00)
endif()

set(TEXTOVRT_SANITIZE_FLAGS)
if(TEXTOVRT_SANITIZE)
  set(TEXTOVRT_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
                              -fno-omit-frame-pointer)
endif()
option(TEXTOVRT_LIBFUZZER "Link fuzz targets with libFuzzer (needs clang)" OFF)
# The libraries under a fuzz target need coverage instrumentation too, or libFuzzer sees
# only the target's own few lines.
set(TEXTOVRT_FUZZ_COMPILE_FLAGS)
if(TEXTOVRT_LIBFUZZER)
  set(TEXTOVRT_FUZZ_COMPILE_FLAGS -fsanitize=fuzzer-no-link,address,undefined
                                  -fno-sanitize-recover=undefined)
endif()

# tv_target_defaults(target): the warnings, the platform defines, sanitizers.
function(tv_target_defaults target)
  target_compile_options(${target} PRIVATE ${TEXTOVRT_WARNINGS} ${TEXTOVRT_SANITIZE_FLAGS}
                                            ${TEXTOVRT_FUZZ_COMPILE_FLAGS})
  target_compile_definitions(${target} PRIVATE ${TEXTOVRT_DEFINES})
  target_link_options(${target} PRIVATE ${TEXTOVRT_SANITIZE_FLAGS})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
endfunction()

# tv_library(name SOURCES ... [LIBS ...]): a static library of the project.
function(tv_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  tv_target_defaults(${name})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# tv_test(name SOURCES ... [LIBS ...] [GUI]): a GoogleTest program run by CTest.
# GUI tests need a display; under Wine the test script provides Xvfb.
function(tv_test name)
  cmake_parse_arguments(ARG "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  tv_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  if(TEXTOVRT_WINDOWS AND ARG_GUI)
    target_link_options(${name} PRIVATE -mconsole)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ARG_GUI)
    set_tests_properties(${name} PROPERTIES LABELS gui RESOURCE_LOCK display)
  endif()
endfunction()

# tv_fuzz_target(name SOURCES ... [LIBS ...] CORPUS dir): a fuzz target defining
# LLVMFuzzerTestOneInput. With TEXTOVRT_LIBFUZZER it is a libFuzzer program (make fuzz);
# otherwise a replay program that feeds every file of the corpus once, which CTest runs.
function(tv_fuzz_target name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(TEXTOVRT_WINDOWS)
    return()
  endif()
  if(TEXTOVRT_LIBFUZZER)
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    add_executable(${name} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
    add_test(NAME ${name}_replay COMMAND ${name} ${ARG_CORPUS})
  endif()
  tv_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set_property(GLOBAL APPEND PROPERTY TEXTOVRT_FUZZ_TARGETS "${name}|${ARG_CORPUS}")
endfunction()

# tv_bench(name SOURCES ... [LIBS ...]): a benchmark program (native only); scripts/bench.sh
# runs every one. Benchmarks print ratios against a baseline timed in the same run.
function(tv_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(TEXTOVRT_WINDOWS OR TEXTOVRT_SANITIZE)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  tv_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# tv_program_file(target): a Windows program that users start keeps its debugging information
# in <file>.debug beside it, linked from the program by name (gdb finds it there). Under Wine
# the time to start a process grows with the size of its file: the program with its
# debugging information inside (50 MB) took about 100 ms longer to start than without it.
function(tv_program_file target)
  if(NOT TEXTOVRT_WINDOWS OR NOT CMAKE_OBJCOPY)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug
            $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()

# tv_delay_import(target dll): programs linking target load dll on their first call into it, not
# at start-up; for system libraries that only some actions need. cmake/delayimp/<dll>.def lists
# the functions called. Loading comdlg32 and shell32 cost a program about 25 ms of its start
# under Wine.
function(tv_delay_import target dll)
  if(NOT TEXTOVRT_WINDOWS)
    return()
  endif()
  set(def ${CMAKE_SOURCE_DIR}/cmake/delayimp/${dll}.def)
  set(lib ${CMAKE_BINARY_DIR}/delayimp/lib${dll}_delay.a)
  if(NOT TARGET tv_delayimp_${dll})
    # Run in its folder: the library's symbols are named after the output name given.
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delayimp)
    add_custom_command(OUTPUT ${lib}
      COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --output-delaylib lib${dll}_delay.a
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/delayimp
      DEPENDS ${def} VERBATIM)
    add_custom_target(tv_delayimp_${dll} DEPENDS ${lib})
  endif()
  add_dependencies(${target} tv_delayimp_${dll})
  target_link_libraries(${target} PUBLIC ${lib} delayimp)
endfunction()
