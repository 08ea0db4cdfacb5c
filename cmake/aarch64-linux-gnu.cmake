# Cross build for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu.
# Programs and tests run under qemu-user (Debian's qemu-user), which finds the
# ARM C library and loader under /usr/aarch64-linux-gnu.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(QEMU_AARCH64_PROGRAM qemu-aarch64)
if(QEMU_AARCH64_PROGRAM)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_AARCH64_PROGRAM} -L /usr/aarch64-linux-gnu)
endif()
