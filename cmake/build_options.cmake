# What every target of the project builds with, as the interface target
# tax2008_build_options: ISO C++17, strict warnings, and the runtime and
# sanitizers asked for.

set(TAX2008_SANITIZE "" CACHE STRING
    "Sanitizers to build everything with, as for -fsanitize= (for example address,undefined)")

option(TAX2008_STATIC_RUNTIME "Link the programs fully statically, for self-contained binaries" OFF)
if(WIN32)
    # A Windows build is always self-contained: no MinGW runtime DLLs beside it.
    set(TAX2008_STATIC_RUNTIME ON CACHE BOOL "Always on for Windows" FORCE)
endif()

set(CMAKE_CXX_EXTENSIONS OFF)

# Optimised unless another build type is asked for.
get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
if(NOT multi_config AND NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE Release CACHE STRING "The build type: Release unless asked otherwise" FORCE)
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
# and the relocations made read-only before the program starts. Windows
# programs have their own equivalents (ASLR, DEP) from the linker's defaults.
if(TAX2008_GCC_OPTIONS AND NOT WIN32)
    include(CheckCXXCompilerFlag)
    target_compile_options(tax2008_build_options INTERFACE -fstack-protector-strong)
    foreach(flag IN ITEMS -fstack-clash-protection -fcf-protection)
        string(MAKE_C_IDENTIFIER "TAX2008_HAS${flag}" supported)
        check_cxx_compiler_flag(${flag} ${supported})
        if(${supported})
            target_compile_options(tax2008_build_options INTERFACE ${flag})
        endif()
    endforeach()
    if(NOT TAX2008_SANITIZE)
        # Fortified calls need the optimiser, and the sanitizers check more.
        target_compile_options(tax2008_build_options INTERFACE
            $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2>)
    endif()
    target_link_options(tax2008_build_options INTERFACE LINKER:-z,relro LINKER:-z,now)
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
else()
    # The PIE link options for position-independent programs.
    include(CheckPIESupported)
    check_pie_supported()
endif()
if(TAX2008_SANITIZE)
    target_compile_options(tax2008_build_options INTERFACE
        -fsanitize=${TAX2008_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(tax2008_build_options INTERFACE -fsanitize=${TAX2008_SANITIZE})
endif()
