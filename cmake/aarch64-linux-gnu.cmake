# Cross-builds for 64-bit ARM Linux (a Raspberry Pi 4 or 5 among others) with Debian's own cross
# compilers, against the :arm64 library packages that Debian's multiarch installs beside the
# machine's own. The data comes from a build for this machine (EMBERDASH_HOST_DATA_DIR).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# Libraries and headers of the arm64 packages only; programs are this machine's.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)

# Programs built here run under qemu's user-mode emulation, which finds the arm64 loader and
# libraries that multiarch installs at the root: CTest runs the tests through it.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /)
