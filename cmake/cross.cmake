# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# Cross build with one of Debian's cross compilers, chosen by its GNU triplet
# in TAX2008_TRIPLET: MinGW-w64 for Windows (i686-w64-mingw32 from
# g++-mingw-w64-i686-posix, x86_64-w64-mingw32 from g++-mingw-w64-x86-64-posix),
# Clang for WebAssembly (wasm32-wasi, with wasi-libc and libc++-14-dev-wasm32)
# or g++-<triplet> for Linux (aarch64-linux-gnu, ...). Programs and tests run
# under Wine, Node or qemu-user.
if(NOT TAX2008_TRIPLET)
    message(FATAL_ERROR "TAX2008_TRIPLET must name the cross compiler's triplet, such as aarch64-linux-gnu")
endif()
# CMake's checks of the compiler build test projects that read this file too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAX2008_TRIPLET)

string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR ${TAX2008_TRIPLET})
set(CMAKE_STRIP ${TAX2008_TRIPLET}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${TAX2008_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(TAX2008_TRIPLET MATCHES "-mingw32$")
    set(CMAKE_SYSTEM_NAME Windows)
    # The -posix compilers: GCC's win32 thread model has no std::mutex, which
    # GoogleTest needs.
    set(CMAKE_C_COMPILER ${TAX2008_TRIPLET}-gcc-posix)
    set(CMAKE_CXX_COMPILER ${TAX2008_TRIPLET}-g++-posix)
    set(CMAKE_RC_COMPILER ${TAX2008_TRIPLET}-windres)

    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
        # 64-bit Wine's own loader: Debian's `wine` starts the 32-bit one
        # whenever it is installed, and not every host can start that.
        find_program(WINE_PROGRAM wine64 PATHS /usr/lib/wine)
        set(wine_loader WINELOADER=${WINE_PROGRAM})
    else()
        find_program(WINE_PROGRAM wine)
    endif()
    set(TAX2008_EMULATOR_NEEDED "Wine (apt-get install wine wine64)")
    if(WINE_PROGRAM)
        # The wineserver of the same installation as this wine, and a Wine
        # prefix of the build's own rather than the user's ~/.wine.
        get_filename_component(wine_directory ${WINE_PROGRAM} DIRECTORY)
        find_program(WINESERVER_PROGRAM wineserver HINTS ${wine_directory} NO_DEFAULT_PATH)
        set(WINE_ENVIRONMENT WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINESERVER=${WINESERVER_PROGRAM} ${wine_loader}
            # Without its debugging notes on standard error, which the tests read.
            WINEDEBUG=-all)
        set(CMAKE_CROSSCOMPILING_EMULATOR env ${WINE_ENVIRONMENT} ${WINE_PROGRAM})
    endif()
elseif(TAX2008_TRIPLET STREQUAL "wasm32-wasi")
    # A WASI program: one WebAssembly module, run by any WASI runtime.
    set(CMAKE_SYSTEM_NAME WASI)
    list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}) # Platform/WASI.cmake
    set(CMAKE_C_COMPILER clang)
    set(CMAKE_CXX_COMPILER clang++)
    set(CMAKE_C_COMPILER_TARGET ${TAX2008_TRIPLET})
    set(CMAKE_CXX_COMPILER_TARGET ${TAX2008_TRIPLET})
    set(CMAKE_STRIP llvm-strip)
    # Debian's libc++ for wasm32 is built without exceptions, and so is
    # everything linked with it.
    set(CMAKE_CXX_FLAGS_INIT -fno-exceptions)
    set(TAX2008_EMULATOR_NEEDED "Node (apt-get install nodejs)")
    find_program(NODE_PROGRAM node)
    if(NODE_PROGRAM)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${NODE_PROGRAM} ${CMAKE_CURRENT_LIST_DIR}/wasi-run.cjs)
    endif()
else()
    set(CMAKE_SYSTEM_NAME Linux)
    set(CMAKE_C_COMPILER ${TAX2008_TRIPLET}-gcc)
    set(CMAKE_CXX_COMPILER ${TAX2008_TRIPLET}-g++)

    # qemu-user, under the name architectures.txt gives the processor, finds
    # the C library and the loader of the target under /usr/<triplet>.
    file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/architectures.txt architecture REGEX "^[^#]+ ${TAX2008_TRIPLET} ")
    if(NOT architecture)
        message(FATAL_ERROR "${TAX2008_TRIPLET} is not in cmake/architectures.txt")
    endif()
    string(REGEX REPLACE " +" ";" architecture "${architecture}")
    list(GET architecture 0 TAX2008_ARCHITECTURE) # Debian's name, and its presets'
    list(GET architecture 2 qemu_processor)
    set(TAX2008_EMULATOR_NEEDED "qemu-${qemu_processor} (apt-get install qemu-user)")
    find_program(QEMU_PROGRAM qemu-${qemu_processor})
    if(QEMU_PROGRAM)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_PROGRAM} -L /usr/${TAX2008_TRIPLET})
    endif()
endif()
