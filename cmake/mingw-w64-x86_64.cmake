# Cross-builds for 64-bit Windows with Debian's MinGW-w64 compilers. The posix flavour is the one
# whose C++ library has std::thread. Libraries are looked for in EMBERDASH_LIBRARY_PREFIX, where
# scripts/libraries windows installs the ones it builds, and in the compilers' own sysroot.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Carried into CMake's own trial builds, which read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES EMBERDASH_LIBRARY_PREFIX)
set(CMAKE_FIND_ROOT_PATH ${EMBERDASH_LIBRARY_PREFIX} /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run under Wine: CTest runs the tests through it.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)

# Everything links statically, the compiler's own runtime too, so that a program needs no DLL
# beyond the system's.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
