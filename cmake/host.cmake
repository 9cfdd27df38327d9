# Settings for the host-native build of the platform-neutral code.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The host build needs clang (scripts/build.sh passes it): libFuzzer is part of clang.")
endif()
set(VL_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(-Wall -Wextra -g ${VL_SANITIZE})
add_link_options(${VL_SANITIZE})
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# vl_host_test(NAME SOURCES...) : a GoogleTest program of host unit tests.
function(vl_host_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE gtest_main gtest)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    gtest_add_tests(TARGET ${name} SOURCES ${ARGN} TEST_LIST added)
    # A GoogleTest skip (GTEST_SKIP, with its reason) counts as a skip, not a pass.
    set_tests_properties(${added} PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
endfunction()

# vl_fuzz_target(NAME SOURCES...) : a libFuzzer target. CTest runs it briefly
# on its seed folder (tests/host/<area>/corpus/<NAME>, if present) so the
# suite catches regressions; run it by hand for longer fuzzing.
function(vl_fuzz_target name)
    add_executable(${name} ${ARGN})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
    set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}.work)
    file(MAKE_DIRECTORY ${work})
    if(EXISTS ${corpus})
        add_test(NAME fuzz.${name} COMMAND ${name} -max_total_time=15 -timeout=10 ${work} ${corpus})
    else()
        add_test(NAME fuzz.${name} COMMAND ${name} -max_total_time=15 -timeout=10 ${work})
    endif()
endfunction()
