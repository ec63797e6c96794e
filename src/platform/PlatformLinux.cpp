// The platform layer on Linux: the executable from /proc, and the window through Xlib, which
// freeglut and the GL driver draw with.
#include "platform/Platform.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <system_error>

namespace {

Display* watchedDisplay = nullptr;
Window watchedWindow = 0;
bool watching = false;
// The first error the window system reported, as the handler received it: it is described and
// acted on later, from the game's own loop, where no lock of Xlib's or the driver's is held.
bool errorSeen = false;
XErrorEvent firstError{};

// Xlib's default answer to an error is to end the process with status 1, from inside whatever
// call met it: often the GL driver, holding a lock that the exit hooks of freeglut and the driver
// then wait on for ever. Every error is noted instead, and the game decides once the call is
// over: a destroyed window ends it as a close would, anything else as a failure.
int onXError(Display*, XErrorEvent* error) {
    if (!errorSeen) {
        firstError = *error;
        errorSeen = true;
    }
    return 0;
}

// The window the GL context draws into is the game's: freeglut makes it current as it creates it.
void findGameWindow() {
    if (!watchedWindow) {
        watchedDisplay = glXGetCurrentDisplay();
        watchedWindow = glXGetCurrentDrawable();
    }
}

} // namespace

// freeglut waits for its new window to be shown before glutCreateWindow returns, and a window
// destroyed before it was shown never is: the wait would last for ever. This definition stands in
// front of Xlib's for the whole process, since the executable's symbols are found first, and
// hands every call on to Xlib's; while the game's window is being created, the wait also ends on
// the window's destruction, and the game finds the window lost once glutCreateWindow returns.
extern "C" int XPeekIfEvent(Display* display, XEvent* event,
                            Bool (*predicate)(Display*, XEvent*, XPointer), XPointer argument) {
    using Peek = int (*)(Display*, XEvent*, Bool(*)(Display*, XEvent*, XPointer), XPointer);
    static const auto peek = reinterpret_cast<Peek>(dlsym(RTLD_NEXT, "XPeekIfEvent"));
    if (!watching || watchedWindow) {
        return peek(display, event, predicate, argument);
    }
    struct Wait {
        Bool (*predicate)(Display*, XEvent*, XPointer);
        XPointer argument;
    } wait{predicate, argument};
    const auto shownOrDestroyed = [](Display* display, XEvent* event,
                                     XPointer waitPointer) -> Bool {
        const Wait& wait = *reinterpret_cast<const Wait*>(waitPointer);
        return wait.predicate(display, event, wait.argument) ||
               (event->type == DestroyNotify &&
                event->xdestroywindow.window == reinterpret_cast<Window>(wait.argument));
    };
    return peek(display, event, shownOrDestroyed, reinterpret_cast<XPointer>(&wait));
}

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
    if (!watching) {
        XSetErrorHandler(onXError);
        watching = true;
    }
}

bool gameWindowLost() {
    findGameWindow();
    // No drawable after the window was created: making it current failed, as it does when the
    // window went before the driver first reached it.
    if (!watchedDisplay || !watchedWindow) {
        return errorSeen;
    }
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    // A round trip: a destroyed window fails it, whatever the errors before said.
    return !XGetGeometry(watchedDisplay, watchedWindow, &root, &x, &y, &width, &height, &border,
                         &depth);
}

std::string windowSystemFailure() {
    if (!errorSeen) {
        return {};
    }
    char text[256];
    XGetErrorText(firstError.display, firstError.error_code, text, sizeof text);
    char description[512];
    std::snprintf(description, sizeof description,
                  "the window system reported an error: %s (request %d.%d, resource 0x%lx)", text,
                  firstError.request_code, firstError.minor_code, firstError.resourceid);
    return description;
}
