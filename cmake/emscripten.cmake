# Builds for the web with Debian's emscripten. Libraries are looked for in
# EMBERDASH_LIBRARY_PREFIX, where scripts/libraries web installs the ones it builds, and in
# emscripten's own sysroot.
# Programs built here run under node: CTest runs the tests through it, and CMake's configure-time
# checks run their trial programs through it (mpg123 reads the width of off_t so). Node 20's own
# fetch would take the generated JavaScript's downloads of the .wasm away from the file system.
find_program(EMBERDASH_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${EMBERDASH_NODE} --no-experimental-fetch)
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES EMBERDASH_LIBRARY_PREFIX)
# Ahead of the sysroot, whose SDL2 package stands for emscripten's downloaded port.
list(PREPEND CMAKE_FIND_ROOT_PATH ${EMBERDASH_LIBRARY_PREFIX})
