# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# The test suite's GoogleTest, and how a test runs where the programs are
# built for another system.

# A cross compiler, or another C++ library, has no GoogleTest of its own.
option(TAX2008_GOOGLETEST_FROM_SOURCE "Build GoogleTest from its sources with the project's compiler and options"
    ${CMAKE_CROSSCOMPILING})
set(TAX2008_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")

# The suite is built where GoogleTest is at hand, unless BUILD_TESTING says.
if(NOT DEFINED BUILD_TESTING)
    if(NOT TAX2008_GOOGLETEST_FROM_SOURCE)
        find_package(GTest QUIET)
    endif()
    if(GTest_FOUND OR (TAX2008_GOOGLETEST_FROM_SOURCE AND EXISTS ${TAX2008_GOOGLETEST_SOURCE}/CMakeLists.txt))
        set(BUILD_TESTING ON CACHE BOOL "Build the test suite")
    else()
        message(STATUS "No GoogleTest: the test suite is not built (-DBUILD_TESTING=ON asks for it)")
        set(BUILD_TESTING OFF CACHE BOOL "Build the test suite")
    endif()
endif()
include(CTest)

# tax2008_add_test(NAME TIMEOUT COMMAND...): skipped, saying why, where the
# host cannot start it; failed, naming what to install, without its emulator.
function(tax2008_add_test name timeout)
    if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
        add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E echo "cannot run: no ${TAX2008_EMULATOR_NEEDED}")
        set_tests_properties(${name} PROPERTIES FAIL_REGULAR_EXPRESSION "^cannot run: ")
        return()
    endif()
    if(tax2008_tests_skipped_because)
        add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E echo "skipped: ${tax2008_tests_skipped_because}")
        set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION "^skipped: ")
        return()
    endif()
    add_test(NAME ${name} COMMAND ${ARGN})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout})
    if(tax2008_test_fixtures)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${tax2008_test_fixtures})
    endif()
endfunction()

# Each test of a GoogleTest program, a CTest test <name>.<Test>: each TEST of
# SOURCES, and each row of the table ROWS (its first column names the rows of
# the test PARAMETERISED).
function(tax2008_add_gtest name timeout)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "ROWS;PARAMETERISED" "SOURCES;COMMAND")
    if((CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR) OR tax2008_tests_skipped_because)
        tax2008_add_test(${name} ${timeout} ${arg_COMMAND}) # fails, or is skipped, saying why
        return()
    endif()
    set(tests)
    foreach(source IN LISTS arg_SOURCES)
        file(STRINGS ${source} lines REGEX "^TEST\\(")
        list(TRANSFORM lines REPLACE "^TEST\\(([A-Za-z0-9_]+), ([A-Za-z0-9_]+)\\).*" "\\1.\\2")
        list(APPEND tests ${lines})
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    endforeach()
    if(arg_ROWS)
        file(STRINGS ${arg_ROWS} rows REGEX "^[A-Za-z0-9_]+\t")
        list(TRANSFORM rows REPLACE "^([A-Za-z0-9_]+)\t.*" "${arg_PARAMETERISED}/\\1")
        list(APPEND tests ${rows})
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${arg_ROWS})
    endif()
    foreach(test IN LISTS tests)
        set(command ${arg_COMMAND})
        list(INSERT command 1 --gtest_filter=${test})
        string(REGEX REPLACE "^([A-Za-z0-9_]+)/([A-Za-z0-9_]+)" "\\2" test_name ${test})
        tax2008_add_test(${name}.${test_name} ${timeout} ${command})
        # (A test that GoogleTest does not find fails.)
        set_tests_properties(${name}.${test_name} PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
            FAIL_REGULAR_EXPRESSION "\\[==========\\] 0 tests from")
    endforeach()
    # And none is left unregistered.
    list(JOIN tests ":" registered)
    set(command ${arg_COMMAND})
    list(INSERT command 1 --gtest_filter=-${registered})
    tax2008_add_test(${name}.none_unregistered ${timeout} ${command})
    set_tests_properties(${name}.none_unregistered PROPERTIES FAIL_REGULAR_EXPRESSION "\\[ RUN      \\]")
endfunction()

if(NOT BUILD_TESTING)
    return()
endif()

if(TAX2008_GOOGLETEST_FROM_SOURCE)
    set(INSTALL_GTEST OFF)
    set(BUILD_GMOCK OFF)
    set(CMAKE_INTERPROCEDURAL_OPTIMIZATION OFF)
    if(WASI)
        # WASI has no threads, no dup() for capturing output, no exceptions.
        set(gtest_disable_pthreads ON)
    endif()
    add_subdirectory(${TAX2008_GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL SYSTEM)
    unset(CMAKE_INTERPROCEDURAL_OPTIMIZATION)
    if(WASI)
        target_compile_definitions(gtest PUBLIC GTEST_HAS_STREAM_REDIRECTION=0 GTEST_HAS_EXCEPTIONS=0)
        target_compile_options(gtest PRIVATE -fno-exceptions)
        target_compile_options(gtest_main PRIVATE -fno-exceptions)
    endif()
else()
    find_package(GTest REQUIRED)
endif()

if(WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR)
    # Some hosts cannot start 32-bit Wine, and without wine32 it starts no
    # 32-bit program: asked once, and the tests skipped with Wine's reason.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-probe ${CMAKE_CXX_COMPILER} ${CMAKE_CROSSCOMPILING_EMULATOR}
            RESULT_VARIABLE wine_status OUTPUT_VARIABLE wine_cause OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(wine_status EQUAL 1)
            set(tax2008_tests_skipped_because "Wine cannot start a 32-bit Windows program here: ${wine_cause}")
            message(STATUS "The tests are skipped: ${tax2008_tests_skipped_because}")
        elseif(NOT wine_status EQUAL 0)
            message(FATAL_ERROR "Wine could not be asked whether it starts a 32-bit Windows program: ${wine_cause}")
        endif()
    endif()
    if(NOT tax2008_tests_skipped_because)
        # One wineserver for the run, started apart from a test's pipes (its
        # helpers would hold them open).
        list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " wine)
        list(JOIN WINE_ENVIRONMENT " " wine_environment)
        add_test(NAME wine_server COMMAND sh -c
            "exec </dev/null >/dev/null 2>&1; env ${wine_environment} ${WINESERVER_PROGRAM} -p30; WINEDLLOVERRIDES=mscoree,mshtml= ${wine} cmd /c exit")
        set_tests_properties(wine_server PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)
        set(tax2008_test_fixtures wine)
    endif()
    tax2008_add_test(wine_probe 120 ${CMAKE_CURRENT_LIST_DIR}/wine_probe_test.sh ${CMAKE_CXX_COMPILER}
        ${CMAKE_CROSSCOMPILING_EMULATOR})
endif()

if(NOT CMAKE_CROSSCOMPILING)
    tax2008_add_test(install_dependencies 60 ${PROJECT_SOURCE_DIR}/scripts/install_dependencies_test.sh)
endif()
