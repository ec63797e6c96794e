// What differs from one system to the next (Linux, Windows, a web page), behind plain functions:
// where the executable is, how a path comes from the environment, what --help says of the system,
// where the command line's answers and a failed start-up's message go, whether the game's window
// still exists, what paces the frames, where the pointer is and whether start-up may use threads.
// One implementation per platform is chosen by the build; nothing else in the game asks which
// platform it runs on.
#pragma once

#include <filesystem>
#include <string>

// The running executable's own path, or an empty path when the system cannot tell.
std::filesystem::path executablePath();

// The path an environment variable holds, or an empty path when it is unset. Paths keep every
// character the system allows in them.
std::filesystem::path environmentPath(const char* name);

// Makes standard output and standard error reach the terminal the game was started from, when
// the system does not connect them by itself. Call first thing.
void connectToConsole();

// What --help says that differs by platform: the window system's options on the usage line
// (empty, or starting with a space), and the environment's lines on the sound and the display.
struct PlatformHelp {
    const char* options;
    const char* environment;
};
PlatformHelp platformHelp();

// Tells the player why the game cannot start (message in UTF-8): on standard error, and where
// the system gives a player who started the game from the desktop no terminal, on the screen too.
void reportStartUpFailure(const std::string& message);

// Starts watching the game's window for being destroyed from outside (not closed through the
// window manager, which GLUT handles), and the window system for errors, which no longer end the
// process from inside the call that met them. Call once, on the main thread, before the window is
// created: it may be destroyed while it is being created.
void watchGameWindow();
// Whether the window has been destroyed: asks the window system, a round trip. The main loop asks
// once a frame, and once a tick while a still screen stands; start-up asks once the window is
// created.
bool gameWindowLost();
// What the window system reported going wrong other than the window's loss, in a sentence; empty
// when nothing did. The game cannot go on after it.
std::string windowSystemFailure();

// Calls turn over and over while frames are wanted, until stopFrames: on the desktop at GLUT's
// idle turns; in a page, at each of the browser's animation frames. turn may call stopFrames.
void startFrames(void (*turn)());
void stopFrames();
// Asked by each turn: whether the next frame is due now. On the desktop frames are spaced 1/60 s
// apart, and a turn that comes early gives the processor back for a moment before it answers
// no; in a page every animation frame is due.
bool nextFrameDue();

// Where the pointer is, in window pixels, when GLUT reports a motion at (x, y). The desktop's GLUT
// reports where it is now; the page's reports where it was at the motion before, so a fire aimed
// there would stop one motion short of the pointer. The page's own record of it is taken instead.
void pointerNow(int& x, int& y);

// Whether start-up may hand work to threads of its own. A page has one thread only (threads
// there need special headers from its server): the same work then runs on that one.
bool startUpThreadsAvailable();
