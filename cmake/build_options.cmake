# SPDX-FileCopyrightText: 2026 The tax2008 authors
# SPDX-License-Identifier: MIT

# What every target builds with, the interface target tax2008_build_options:
# ISO C++17, strict warnings, hardening, and the runtime and sanitizers asked for.

set(TAX2008_SANITIZE "" CACHE STRING
    "Sanitizers to build everything with, as for -fsanitize= (for example address,undefined)")

option(TAX2008_STATIC_RUNTIME "Link the programs fully statically, for self-contained binaries" OFF)
if(WIN32) # no MinGW runtime DLLs beside the program
    set(TAX2008_STATIC_RUNTIME ON CACHE BOOL "Always on for Windows" FORCE)
elseif(WASI) # a module is self-contained either way
    set(TAX2008_STATIC_RUNTIME OFF CACHE BOOL "Always off for WebAssembly" FORCE)
endif()

set(CMAKE_CXX_EXTENSIONS OFF)

# Release unless asked otherwise, a plain build under Ninja Multi-Config too.
get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
if(NOT multi_config AND NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE Release CACHE STRING "The build type: Release unless asked otherwise" FORCE)
elseif(CMAKE_GENERATOR STREQUAL "Ninja Multi-Config")
    set(CMAKE_DEFAULT_BUILD_TYPE Release CACHE STRING "The configuration a plain cmake --build builds")
endif()

# GCC, and the Clang family where it takes GCC's options.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR CMAKE_CXX_COMPILER_FRONTEND_VARIANT STREQUAL "GNU")
    set(TAX2008_GCC_OPTIONS ON)
endif()

add_library(tax2008_build_options INTERFACE)
target_compile_features(tax2008_build_options INTERFACE cxx_std_17)
target_compile_options(tax2008_build_options INTERFACE
    $<$<BOOL:${TAX2008_GCC_OPTIONS}>:-Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion
        -Wshadow -Wdouble-promotion -Wold-style-cast -Wnon-virtual-dtor>)
# Hardened as Debian, Ubuntu and Fedora build their packages, each option
# used where the compiler and linker at hand take it (Apple's linker has no
# -z). Windows has ASLR and DEP by the linker's defaults; a WebAssembly
# module's runtime keeps its memory apart from its code.
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
    # _FORTIFY_SOURCE=2 unless the flags or the compiler already ask for a
    # level (a distribution's 3, say); the sanitizers check more. (The check
    # is quiet: either answer is as it should be.)
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

# The runtimes linked in: a program that runs on any system of its kind.
if(TAX2008_STATIC_RUNTIME AND MSVC)
    set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
elseif(TAX2008_STATIC_RUNTIME AND WIN32)
    target_link_options(tax2008_build_options INTERFACE -static)
elseif(TAX2008_STATIC_RUNTIME)
    # A static PIE where the C library can start one (CMake's own -pie would
    # make it dynamic).
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
    include(CheckPIESupported)
    check_pie_supported()
endif()
if(TAX2008_SANITIZE)
    target_compile_options(tax2008_build_options INTERFACE
        -fsanitize=${TAX2008_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(tax2008_build_options INTERFACE -fsanitize=${TAX2008_SANITIZE})
endif()
