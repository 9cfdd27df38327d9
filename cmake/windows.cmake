# Settings for the MinGW-w64 i686 cross build.

# Every program and library lands in one folder, so tests and the demo find them.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers
                    -Wno-cast-function-type)
add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501 WINVER=0x0501)
# Statically linked: the programs need nothing but the system's DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)

# Tests run under Wine in a private prefix inside the build tree.
set(VL_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${VL_WINE_PREFIX})

# The prefix is a sandbox (see scripts/wine-run.sh): the only host folder it
# sees is this build folder, as drive T:. The programs are T:\bin; the source
# folders the tests read data from (tests, demo, testkit) are copied to
# T:\source at every build, so VL_SOURCE_DIR_WIN names the copy. (Backslashes
# are doubled: the values become C string literals.)
set(VL_BIN_DIR_WIN "T:\\\\bin")
set(VL_SOURCE_DIR_WIN "T:\\\\source")
set(VL_SOURCE_COPY ${CMAKE_BINARY_DIR}/source)
add_custom_target(vl_source_copy ALL
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/tests ${VL_SOURCE_COPY}/tests
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/demo ${VL_SOURCE_COPY}/demo
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/testkit ${VL_SOURCE_COPY}/testkit
    VERBATIM)

# GoogleTest built from the Debian sources with the same cross compiler.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# vl_wine_test(NAME [SOURCES] files... [LIBS ...] [LOCK]) builds a GoogleTest program and
# registers each of its tests with CTest. LOCK serialises the tests that use the
# product's registry key, its named shared memory or the Service Control Manager:
# all tests of one build share one Wine prefix.
function(vl_wine_test name)
    cmake_parse_arguments(T "LOCK" "" "SOURCES;LIBS" ${ARGN})
    list(APPEND T_SOURCES ${T_UNPARSED_ARGUMENTS})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main gtest)
    target_compile_definitions(${name} PRIVATE
        VL_BIN_DIR="${VL_BIN_DIR_WIN}" VL_SOURCE_DIR="${VL_SOURCE_DIR_WIN}")
    gtest_add_tests(TARGET ${name} SOURCES ${T_SOURCES} TEST_LIST added)
    set_tests_properties(${added} PROPERTIES TIMEOUT 600)
    if(T_LOCK)
        set_tests_properties(${added} PROPERTIES RESOURCE_LOCK wineprefix)
    endif()
    vl_takes_a_core(${added})
endfunction()

# scripts/test.sh gives CTest one "cpu" slot per core (build/win/resources.json)
# and lets it start two tests more than there are cores. Every test takes a
# slot except the long interruption runs, which mostly wait for the program
# they test: they run beside the others instead of holding a core's place for
# minutes. (Without the resource file, as in a plain "ctest -j2", slots are
# not counted.)
function(vl_takes_a_core)
    set_tests_properties(${ARGN} PROPERTIES RESOURCE_GROUPS "cpu:1")
endfunction()
