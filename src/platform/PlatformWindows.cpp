// The platform layer on Windows: the executable and the environment as wide strings, so that any
// folder name works; a message box for a player who double-clicked the game and has no terminal;
// the console of a command prompt for the command line's answers.
#include "platform/Platform.h"

#define WIN32_LEAN_AND_MEAN
#include <cstdio>
#include <cstdlib>
#include <string>
#include <windows.h>

namespace {

std::wstring wideFromUtf8(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
    }
    return wide;
}

bool connected(DWORD stream) {
    const HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

} // namespace

std::filesystem::path executablePath() {
    // The path is cut short, not failed, when the buffer is too small: grow it until it fits,
    // up to the longest path Windows has.
    std::wstring buffer;
    for (DWORD size = MAX_PATH; size <= 2 * 32768; size *= 2) {
        buffer.resize(size);
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            buffer.resize(length);
            return std::filesystem::path(buffer);
        }
    }
    return {};
}

std::filesystem::path environmentPath(const char* name) {
    const std::wstring wideName = wideFromUtf8(name);
    const wchar_t* value = _wgetenv(wideName.c_str());
    return value ? std::filesystem::path(value) : std::filesystem::path();
}

PlatformHelp platformHelp() {
    return {
        "",
        "  SDL_AUDIODRIVER  sound driver, such as wasapi or directsound; dummy plays silently\n"};
}

// A program built for the desktop starts with no console. Started from a command prompt, it
// writes to the prompt's console; with its output redirected to a file or a pipe, it writes there.
void connectToConsole() {
    const bool output = connected(STD_OUTPUT_HANDLE);
    const bool errors = connected(STD_ERROR_HANDLE);
    if ((output && errors) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    if (!output) {
        std::freopen("CONOUT$", "w", stdout);
    }
    if (!errors) {
        std::freopen("CONOUT$", "w", stderr);
    }
}

void reportStartUpFailure(const std::string& message) {
    std::fprintf(stderr, "emberdash: %s\n", message.c_str());
    std::fflush(stderr);
    MessageBoxW(nullptr, wideFromUtf8(message).c_str(), L"Emberdash", MB_OK | MB_ICONERROR);
}

// No other process may destroy the game's window on Windows; closing it is a close, which GLUT
// handles.
void watchGameWindow() {}

bool gameWindowLost() {
    return false;
}

// Window system errors reach the game as failed calls, not through a handler.
std::string windowSystemFailure() {
    return {};
}
