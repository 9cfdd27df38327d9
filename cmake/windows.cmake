# Settings for the MinGW-w64 cross builds: i686 (shipped) and x86_64 (tests
# on hosts without 32-bit support, and faults only a 64-bit address shows).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(VL_ARCH x86_64)
    set(VL_MINGW x86_64-w64-mingw32)
else()
    set(VL_ARCH i686)
    set(VL_MINGW i686-w64-mingw32)
endif()

# Every program and library lands in one folder, so tests and the demo find them.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers
                    -Wno-cast-function-type)
if(VL_ARCH STREQUAL x86_64)
    # A pointer or handle kept in a 32-bit integer loses its upper half here:
    # every warning about it stops the build.
    # (In C++ a cast of a pointer to a smaller integer is an error anyway.)
    add_compile_options(-Werror=int-to-pointer-cast -Werror=narrowing
                        $<$<COMPILE_LANGUAGE:C>:-Werror=pointer-to-int-cast>
                        $<$<COMPILE_LANGUAGE:C>:-Werror=int-conversion>)
endif()
add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501 WINVER=0x0501)
# Statically linked: the programs need nothing but the system's DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)

# vl_def_file(VAR DEF): the module-definition file to link with. On i686 the
# names keep their stdcall decoration (Name@N, which --kill-at or an alias
# takes off); x86_64 has one calling convention and no decoration, so a
# copy without it is written into the build tree. Ordinals (" @11") stay.
function(vl_def_file var def)
    get_filename_component(def ${def} ABSOLUTE)
    if(VL_ARCH STREQUAL x86_64)
        file(READ ${def} text)
        string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" text "${text}")
        file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${def})
        string(REPLACE "/" "_" rel ${rel})
        set(out ${CMAKE_BINARY_DIR}/deffiles/${rel})
        file(WRITE ${out}.tmp "${text}")
        configure_file(${out}.tmp ${out} COPYONLY)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
        set(${var} ${out} PARENT_SCOPE)
    else()
        set(${var} ${def} PARENT_SCOPE)
    endif()
endfunction()

# Tests run under Wine in a private prefix inside the build tree.
set(VL_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
# Which Wine loader runs this build's programs (scripts/wine-run.sh reads it
# for every prefix in this folder).
file(WRITE ${CMAKE_BINARY_DIR}/wine-arch "${VL_ARCH}\n")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${VL_WINE_PREFIX})

# The prefix is a sandbox (see scripts/wine-run.sh): the only host folder it
# sees is this build folder, as drive T:. The programs are T:\bin; the source
# folders the tests read data from (tests, demo, testkit, and the receipt's
# schema of docs) are copied to
# T:\source at every build, so VL_SOURCE_DIR_WIN names the copy. (Backslashes
# are doubled: the values become C string literals.)
set(VL_BIN_DIR_WIN "T:\\\\bin")
set(VL_SOURCE_DIR_WIN "T:\\\\source")
set(VL_SOURCE_COPY ${CMAKE_BINARY_DIR}/source)
add_custom_target(vl_source_copy ALL
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/tests ${VL_SOURCE_COPY}/tests
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/demo ${VL_SOURCE_COPY}/demo
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/testkit ${VL_SOURCE_COPY}/testkit
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VL_SOURCE_COPY}/docs
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/docs/receipt.schema.json ${VL_SOURCE_COPY}/docs
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
    # A GoogleTest skip (GTEST_SKIP, with its reason) counts as a skip, not a pass.
    set_tests_properties(${added} PROPERTIES TIMEOUT 600 SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
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
