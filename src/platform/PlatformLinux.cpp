// The platform layer on Linux: the executable from /proc, and the window through Xlib, which
// freeglut and the GL driver draw with.
#include "platform/Platform.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace {

Display* watchedDisplay = nullptr;
Window watchedWindow = 0;
bool windowLost = false;
XErrorHandler previousHandler = nullptr;

// Xlib's default answer to an error is to end the process with status 1. An error about the
// game's own window means it was destroyed under the game: that is noted, and the main loop ends
// the game as a close would. Every other error goes on to the handler that was there before.
int onXError(Display* display, XErrorEvent* error) {
    const bool aboutWindow = error->error_code == BadWindow || error->error_code == BadDrawable;
    if (aboutWindow && error->resourceid == watchedWindow) {
        windowLost = true;
        return 0;
    }
    return previousHandler ? previousHandler(display, error) : 0;
}

} // namespace

std::filesystem::path executablePath() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

std::filesystem::path environmentPath(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::filesystem::path(value) : std::filesystem::path();
}

PlatformHelp platformHelp() {
    return {" [X options such as -display NAME]",
            "  SDL_AUDIODRIVER  sound driver, such as pulseaudio or alsa; dummy plays silently\n"
            "  DISPLAY          the X display to open the window on\n"};
}

// A program started from the desktop has its output kept in the session's log.
void connectToConsole() {}

void reportStartUpFailure(const std::string& message) {
    std::fprintf(stderr, "emberdash: %s\n", message.c_str());
}

void watchGameWindow() {
    watchedDisplay = glXGetCurrentDisplay();
    watchedWindow = glXGetCurrentDrawable();
    windowLost = false;
    if (watchedDisplay && watchedWindow && !previousHandler) {
        previousHandler = XSetErrorHandler(onXError);
    }
}

bool gameWindowLost() {
    if (watchedDisplay && watchedWindow && !windowLost) {
        Window root = 0;
        int x = 0, y = 0;
        unsigned width = 0, height = 0, border = 0, depth = 0;
        // A destroyed window fails the request, and the error reaches onXError before it returns.
        XGetGeometry(watchedDisplay, watchedWindow, &root, &x, &y, &width, &height, &border,
                     &depth);
    }
    return windowLost;
}
