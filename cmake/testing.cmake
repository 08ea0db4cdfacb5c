# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# The test suite's GoogleTest, and what a test needs to run where the
# programs are built for another system: an emulator, a server beside it, or
# a host that can start them at all.

# A cross compiler, or another C++ library than the system's, has no
# GoogleTest of its own: it is built from source, as it is, without link-time
# optimisation (its code is not ours to keep free of warnings there).
option(TAX2008_GOOGLETEST_FROM_SOURCE "Build GoogleTest from its sources with the project's compiler and options"
    ${CMAKE_CROSSCOMPILING})
set(TAX2008_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")

# Unless BUILD_TESTING says otherwise, the suite is built where GoogleTest is
# at hand, so that a plain `cmake -S . -B build` works without it; asked for,
# it needs GoogleTest.
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

# Runs the test `name`, the command that follows (a test program's target, or
# the path of one built for this machine, and its arguments), with whatever
# the platform needs up first, failing it after `timeout` seconds; or reports
# it skipped, and why, where the host cannot start it; or fails it, naming
# what to install, where the emulator that would run it is missing.
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

# Runs each test of a GoogleTest program, `COMMAND` (the program, then its
# arguments), as a CTest test of its own, named <name>.<Suite>.<Test>, so that
# CTest counts and reports each, a skipped one as skipped: the tests named by
# TEST in `SOURCES`, and a row of `ROWS` (a table whose first column names
# the rows of its parameterised test, `PARAMETERISED`) each.
function(tax2008_add_gtest name timeout)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "ROWS;PARAMETERISED" "SOURCES;COMMAND")
    if((CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR) OR tax2008_tests_skipped_because)
        tax2008_add_test(${name} ${timeout} ${arg_COMMAND}) # fails, or is skipped, saying why
        return()
    endif()
    set(tests)
    foreach(source IN LISTS arg_SOURCES)
        file(STRINGS ${source} lines REGEX "^TEST\\(")
        foreach(line IN LISTS lines)
            string(REGEX REPLACE "^TEST\\(([A-Za-z0-9_]+), ([A-Za-z0-9_]+)\\).*" "\\1.\\2" test "${line}")
            list(APPEND tests ${test})
        endforeach()
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    endforeach()
    if(arg_ROWS)
        file(STRINGS ${arg_ROWS} rows REGEX "^[A-Za-z0-9_]+\t")
        foreach(row IN LISTS rows)
            string(REGEX REPLACE "\t.*" "" row "${row}")
            list(APPEND tests ${arg_PARAMETERISED}/${row})
        endforeach()
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${arg_ROWS})
    endif()
    foreach(test IN LISTS tests)
        set(command ${arg_COMMAND})
        list(INSERT command 1 --gtest_filter=${test})
        string(REGEX REPLACE "^([A-Za-z0-9_]+)/([A-Za-z0-9_]+)" "\\2" test_name ${test})
        tax2008_add_test(${name}.${test_name} ${timeout} ${command})
        # A test that GoogleTest does not find fails, rather than passing
        # with nothing run.
        set_tests_properties(${name}.${test_name} PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
            FAIL_REGULAR_EXPRESSION "\\[==========\\] 0 tests from")
    endforeach()
    # And no test of the program goes unregistered: none is left to run.
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
        # WASI has neither threads nor the dup() that capturing output needs.
        set(gtest_disable_pthreads ON)
    endif()
    add_subdirectory(${TAX2008_GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL SYSTEM)
    unset(CMAKE_INTERPROCEDURAL_OPTIMIZATION)
    if(WASI)
        # Nor exceptions, which GoogleTest's build asks for all the same.
        target_compile_definitions(gtest PUBLIC GTEST_HAS_STREAM_REDIRECTION=0 GTEST_HAS_EXCEPTIONS=0)
        target_compile_options(gtest PRIVATE -fno-exceptions)
        target_compile_options(gtest_main PRIVATE -fno-exceptions)
    endif()
else()
    find_package(GTest REQUIRED)
endif()

if(WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR)
    # 32-bit Wine is a 32-bit x86 Linux program, which many containers and
    # virtual machines cannot start, and without Debian's wine32 Wine starts
    # no 32-bit Windows program. Asked once, here, by starting one (the probe
    # that the release check asks too): where Wine cannot, the tests are
    # reported as skipped, with Wine's reason, neither failed nor passed.
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
        # One wineserver serves the whole test run: started, and its prefix
        # made, by a first run whose streams are not a test's pipes (its
        # helper processes would inherit them, and the test would wait on them).
        list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " wine)
        list(JOIN WINE_ENVIRONMENT " " wine_environment)
        add_test(NAME wine_server COMMAND sh -c
            "exec </dev/null >/dev/null 2>&1; env ${wine_environment} ${WINESERVER_PROGRAM} -p30; WINEDLLOVERRIDES=mscoree,mshtml= ${wine} cmd /c exit")
        # Making the prefix takes Wine 10 to 20 seconds.
        set_tests_properties(wine_server PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)
        set(tax2008_test_fixtures wine)
    endif()
    # The probe itself: yes where Wine starts this build's programs, no where
    # it cannot, as Wine says.
    tax2008_add_test(wine_probe 120 ${CMAKE_CURRENT_LIST_DIR}/wine_probe_test.sh ${CMAKE_CXX_COMPILER}
        ${CMAKE_CROSSCOMPILING_EMULATOR})
endif()

# The install script, against stand-ins for apt, in the builds for this
# machine.
if(NOT CMAKE_CROSSCOMPILING)
    tax2008_add_test(install_dependencies 60 ${PROJECT_SOURCE_DIR}/scripts/install_dependencies_test.sh)
endif()
