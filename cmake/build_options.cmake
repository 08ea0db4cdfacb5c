# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# What every target of the project builds with, as the interface target
# tax2008_build_options: ISO C++17, strict warnings, and the runtime and
# sanitizers asked for.

set(TAX2008_SANITIZE "" CACHE STRING
    "Sanitizers to build everything with, as for -fsanitize= (for example address,undefined)")

option(TAX2008_STATIC_RUNTIME "Link the programs fully statically, for self-contained binaries" OFF)
if(WIN32)
    # A Windows build is always self-contained: no MinGW runtime DLLs beside it.
    set(TAX2008_STATIC_RUNTIME ON CACHE BOOL "Always on for Windows" FORCE)
elseif(WASI)
    # And a WebAssembly module always is, with no C library to link either way.
    set(TAX2008_STATIC_RUNTIME OFF CACHE BOOL "Always off for WebAssembly" FORCE)
endif()

set(CMAKE_CXX_EXTENSIONS OFF)

# Optimised unless another build type is asked for; with Ninja Multi-Config,
# a plain `cmake --build` builds Release too. (Visual Studio and Xcode build
# the configuration that --config names, Debug without it.)
get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
if(NOT multi_config AND NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE Release CACHE STRING "The build type: Release unless asked otherwise" FORCE)
elseif(CMAKE_GENERATOR STREQUAL "Ninja Multi-Config")
    set(CMAKE_DEFAULT_BUILD_TYPE Release CACHE STRING "The configuration a plain cmake --build builds")
endif()

# GCC, and every compiler of the Clang family that takes GCC's options
# (Clang, AppleClang, IntelLLVM, ...).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR CMAKE_CXX_COMPILER_FRONTEND_VARIANT STREQUAL "GNU")
    set(TAX2008_GCC_OPTIONS ON)
endif()

add_library(tax2008_build_options INTERFACE)
target_compile_features(tax2008_build_options INTERFACE cxx_std_17)
target_compile_options(tax2008_build_options INTERFACE
    $<$<BOOL:${TAX2008_GCC_OPTIONS}>:-Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion
        -Wshadow -Wdouble-promotion -Wold-style-cast -Wnon-virtual-dtor>)
# Hardened as Debian, Ubuntu and Fedora build their packages: a
# position-independent program, a stack protector, checked string and memory
# calls, stack clash and control-flow protection where the processor has them,
# and the relocations made read-only before the program starts. Each option
# is tried first, with the compiler and the linker at hand (Apple's linker has
# no -z options), and used where it builds. Windows programs have their own
# equivalents (ASLR, DEP) from the linker's defaults; a WebAssembly module
# has none of these to have, its memory kept apart from its code and stack by
# the runtime.
if(TAX2008_GCC_OPTIONS AND NOT WIN32 AND NOT WASI)
    include(CheckCXXCompilerFlag)
    include(CheckCXXSourceCompiles)
    include(CheckLinkerFlag)
    foreach(flag IN ITEMS -fstack-protector-strong -fstack-clash-protection -fcf-protection)
        string(MAKE_C_IDENTIFIER "TAX2008_HAS${flag}" supported)
        check_cxx_compiler_flag(${flag} ${supported})
        if(${supported})
            target_compile_options(tax2008_build_options INTERFACE ${flag})
        endif()
    endforeach()
    foreach(keyword IN ITEMS relro now)
        string(TOUPPER "TAX2008_LINKS_Z_${keyword}" supported)
        check_linker_flag(CXX LINKER:-z,${keyword} ${supported})
        if(${supported})
            target_link_options(tax2008_build_options INTERFACE LINKER:-z,${keyword})
        endif()
    endforeach()
    # Checked string and memory calls, at level 2 unless the builder's flags
    # or the compiler itself already ask for a level (a distribution's 3, say).
    # They need the optimiser, and the sanitizers check more.
    # (The check itself is quiet: either answer is as it should be.)
    set(CMAKE_REQUIRED_FLAGS -O2)
    set(CMAKE_REQUIRED_QUIET ON)
    check_cxx_source_compiles("#ifndef _FORTIFY_SOURCE
        #error not fortified
        #endif
        int main() { return 0; }" TAX2008_FORTIFIED_BY_THE_FLAGS)
    unset(CMAKE_REQUIRED_QUIET)
    unset(CMAKE_REQUIRED_FLAGS)
    if(TAX2008_SANITIZE)
        message(STATUS "_FORTIFY_SOURCE: left out, as the sanitizers check more")
    elseif(TAX2008_FORTIFIED_BY_THE_FLAGS)
        message(STATUS "_FORTIFY_SOURCE: at the level the compiler's flags ask for")
    else()
        message(STATUS "_FORTIFY_SOURCE: 2, added by this build")
        target_compile_options(tax2008_build_options INTERFACE $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
    endif()
    set_property(TARGET tax2008_build_options PROPERTY INTERFACE_POSITION_INDEPENDENT_CODE ON)
endif()

# The C and C++ runtimes linked in, and on Windows winpthread: a program that
# runs on any system of its kind, whatever its C library's version.
if(TAX2008_STATIC_RUNTIME AND MSVC)
    set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
elseif(TAX2008_STATIC_RUNTIME AND WIN32)
    target_link_options(tax2008_build_options INTERFACE -static)
elseif(TAX2008_STATIC_RUNTIME)
    # A static PIE where the C library can start one (Debian's glibc on x86
    # and 64-bit ARM): it starts no slower than a dynamically linked C
    # program. CMake's own -pie would make it dynamic, so it is left out.
    include(CheckCXXSourceCompiles)
    set(CMAKE_REQUIRED_FLAGS -fPIE)
    set(CMAKE_REQUIRED_LINK_OPTIONS -static-pie)
    check_cxx_source_compiles("int main() { return 0; }" TAX2008_HAS_STATIC_PIE)
    unset(CMAKE_REQUIRED_FLAGS)
    unset(CMAKE_REQUIRED_LINK_OPTIONS)
    if(TAX2008_HAS_STATIC_PIE)
        target_link_options(tax2008_build_options INTERFACE -static-pie)
    else()
        target_link_options(tax2008_build_options INTERFACE -static)
    endif()
elseif(NOT WASI)
    # The PIE link options for position-independent programs.
    include(CheckPIESupported)
    check_pie_supported()
endif()
if(TAX2008_SANITIZE)
    target_compile_options(tax2008_build_options INTERFACE
        -fsanitize=${TAX2008_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(tax2008_build_options INTERFACE -fsanitize=${TAX2008_SANITIZE})
endif()
