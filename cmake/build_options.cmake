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
if(TAX2008_STATIC_RUNTIME)
    # The C and C++ runtimes and, on Windows, winpthread: a program that runs
    # on any system of its kind, whatever its C library's version.
    if(MSVC)
        set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    else()
        target_link_options(tax2008_build_options INTERFACE -static)
    endif()
endif()
if(TAX2008_SANITIZE)
    target_compile_options(tax2008_build_options INTERFACE
        -fsanitize=${TAX2008_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(tax2008_build_options INTERFACE -fsanitize=${TAX2008_SANITIZE})
endif()
