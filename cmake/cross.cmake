# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Cross build for the target TAX2008_TARGET, a row of cmake/targets.txt, its
# programs run under the row's runner.
if(NOT TAX2008_TARGET)
    message(FATAL_ERROR "TAX2008_TARGET must name a target of cmake/targets.txt, such as arm64")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAX2008_TARGET)
execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/targets --target ${TAX2008_TARGET} triplet runner
    OUTPUT_VARIABLE row OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE " " ";" row ${row})
list(POP_FRONT row triplet runner)

string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR ${triplet})
set(CMAKE_STRIP ${triplet}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(triplet MATCHES "-mingw32$")
    set(CMAKE_SYSTEM_NAME Windows)
    # (GoogleTest needs the -posix compilers' std::mutex.)
    set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
    set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
    set(CMAKE_RC_COMPILER ${triplet}-windres)

    # 64-bit Wine by its own loader, which not every host's `wine` starts.
    find_program(WINE_PROGRAM ${runner} PATHS /usr/lib/wine)
    if(runner STREQUAL "wine64")
        set(wine_loader WINELOADER=${WINE_PROGRAM})
    endif()
    set(TAX2008_EMULATOR_NEEDED "${runner} (apt-get install ${runner})")
    if(WINE_PROGRAM)
        # Its own wineserver and a prefix of the build's own, without notes
        # on standard error, which the tests read.
        get_filename_component(wine_directory ${WINE_PROGRAM} DIRECTORY)
        find_program(WINESERVER_PROGRAM wineserver HINTS ${wine_directory} NO_DEFAULT_PATH)
        set(WINE_ENVIRONMENT WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINESERVER=${WINESERVER_PROGRAM} ${wine_loader}
            WINEDEBUG=-all)
        set(CMAKE_CROSSCOMPILING_EMULATOR env ${WINE_ENVIRONMENT} ${WINE_PROGRAM})
    endif()
elseif(triplet STREQUAL "wasm32-wasi")
    set(CMAKE_SYSTEM_NAME WASI)
    list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}) # Platform/WASI.cmake
    set(CMAKE_C_COMPILER clang)
    set(CMAKE_CXX_COMPILER clang++)
    set(CMAKE_C_COMPILER_TARGET ${triplet})
    set(CMAKE_CXX_COMPILER_TARGET ${triplet})
    set(CMAKE_STRIP llvm-strip)
    # (Debian's libc++ for wasm32 is built without exceptions.)
    set(CMAKE_CXX_FLAGS_INIT -fno-exceptions)
    set(TAX2008_EMULATOR_NEEDED "Node (apt-get install nodejs)")
    find_program(NODE_PROGRAM ${runner})
    if(NODE_PROGRAM)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${NODE_PROGRAM} ${CMAKE_CURRENT_LIST_DIR}/wasi-run.cjs)
    endif()
else()
    set(CMAKE_SYSTEM_NAME Linux)
    set(CMAKE_C_COMPILER ${triplet}-gcc)
    set(CMAKE_CXX_COMPILER ${triplet}-g++)

    set(TAX2008_EMULATOR_NEEDED "${runner} (apt-get install qemu-user)")
    find_program(QEMU_PROGRAM ${runner})
    if(QEMU_PROGRAM)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_PROGRAM} -L /usr/${triplet})
    endif()
endif()
