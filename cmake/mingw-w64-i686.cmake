# Cross build for 32-bit x86 Windows with Debian's MinGW-w64 (g++-mingw-w64-i686).
# The -posix compilers: GCC's win32 thread model has no std::mutex, which
# GoogleTest needs. Programs and tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_STRIP i686-w64-mingw32-strip)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(WINE_PROGRAM wine)
if(WINE_PROGRAM)
    # The wineserver of the same installation as this wine, and a Wine prefix
    # of the build's own rather than the user's ~/.wine.
    get_filename_component(wine_directory ${WINE_PROGRAM} DIRECTORY)
    find_program(WINESERVER_PROGRAM wineserver HINTS ${wine_directory} NO_DEFAULT_PATH)
    set(WINE_ENVIRONMENT WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINESERVER=${WINESERVER_PROGRAM}
        # Without its debugging notes on standard error, which the tests read.
        WINEDEBUG=-all)
    set(CMAKE_CROSSCOMPILING_EMULATOR env ${WINE_ENVIRONMENT} ${WINE_PROGRAM})
endif()
