# For the web, every program of the build: the GL that emscripten emulates over WebGL, C++
# exceptions (the game catches some) and a heap that grows.
add_compile_options(-fexceptions)
add_link_options(-fexceptions -sLEGACY_GL_EMULATION=1 -sALLOW_MEMORY_GROWTH=1
    -sINITIAL_MEMORY=67108864)
# SDL's sound in a page resumes the browser's audio context through these library functions.
# Their names begin with $, which CMake would double in an option: they go in a response file.
file(WRITE ${PROJECT_BINARY_DIR}/web-library-functions.rsp
    "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=[\"$autoResumeAudioContext\",\"$dynCall\"]\n")
add_link_options(@${PROJECT_BINARY_DIR}/web-library-functions.rsp)
