// What differs from one operating system to the next, behind plain functions: where the
// executable is, and whether the game's window still exists. One implementation per platform is
// chosen by the build; nothing else in the game asks which platform it runs on.
#pragma once

#include <filesystem>

// The running executable's own path, or an empty path when the system cannot tell.
std::filesystem::path executablePath();

// Starts watching the game's window for being destroyed from outside (not closed through the
// window manager, which GLUT handles). Call once, after the window is created, on the main thread.
void watchGameWindow();
// Whether the window has been destroyed: asks the window system, a round trip, or answers from
// an error it already reported about the window. The main loop asks once a frame, and once a
// tick while a still screen stands.
bool gameWindowLost();
