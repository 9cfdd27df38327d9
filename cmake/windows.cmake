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

# The build folders as Wine sees them (drive Z: is the Unix root).
string(REPLACE "/" "\\\\" VL_BIN_DIR_WIN "Z:${CMAKE_BINARY_DIR}/bin")
string(REPLACE "/" "\\\\" VL_SOURCE_DIR_WIN "Z:${CMAKE_SOURCE_DIR}")

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
endfunction()
