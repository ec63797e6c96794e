// The platform layer in a web page: the data is packed into the page's file system at its root,
// frames come from the browser's animation frames, and there is one thread.
#include "platform/Platform.h"

#include <cstdio>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

namespace {

void (*frameTurn)() = nullptr;
bool looping = false;

EM_BOOL onAnimationFrame(double, void*) {
    if (!frameTurn) {
        looping = false;
        return EM_FALSE;
    }
    frameTurn();
    return EM_TRUE;
}

} // namespace

// The data lies in the page's file system, in the folder the game starts in.
std::filesystem::path executablePath() {
    return {};
}

std::filesystem::path environmentPath(const char*) {
    return {};
}

void connectToConsole() {}

PlatformHelp platformHelp() {
    return {"", ""};
}

// The page shows the message in place of the game.
void reportStartUpFailure(const std::string& message) {
    std::fprintf(stderr, "emberdash: %s\n", message.c_str());
    EM_ASM(
        {
            if (Module.showFailure) {
                Module.showFailure(UTF8ToString($0));
            }
        },
        message.c_str());
}

// A page's canvas cannot be taken from it by another program; closing the tab ends the game.
void watchGameWindow() {}

bool gameWindowLost() {
    return false;
}

std::string windowSystemFailure() {
    return {};
}

void startFrames(void (*turn)()) {
    frameTurn = turn;
    if (!looping) {
        looping = true;
        emscripten_request_animation_frame_loop(onAnimationFrame, nullptr);
    }
}

void stopFrames() {
    frameTurn = nullptr;
}

bool nextFrameDue() {
    return true;
}

// GLUT's motion callbacks are given the place before the move; the place after it is the one
// the page's Browser object has just worked out from the event, in the canvas's own pixels.
void pointerNow(int& x, int& y) {
    x = EM_ASM_INT({ return Browser.mouseX; });
    y = EM_ASM_INT({ return Browser.mouseY; });
}

bool startUpThreadsAvailable() {
    return false;
}
