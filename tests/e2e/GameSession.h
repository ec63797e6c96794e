// Plays the real game as a person would: a private X server, the emberdash executable started in
// a data folder, real pointer and key events through XTest, and screenshots read back from the
// server.
#pragma once

#include "shell/Camera.h"

#include <X11/Xlib.h>
#include <chrono>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <thread>
#include <utility>
#include <vector>

// An Xvfb of its own, 24-bit and larger than the game's window, so that tests never share a
// screen or a pointer.
class PrivateXServer {
  public:
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    const std::string& name() const { return name_; } // such as ":3"

  private:
    pid_t pid_ = -1;
    std::string name_;
};

struct Rgb {
    int r, g, b;
};

// A capture of the game's 1024 by 768 window, row 0 at the top.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    // Pixels outside the capture (or of an empty one) read as (-1, -1, -1).
    const Rgb& at(int x, int y) const;
    // The pixel that shows world point (x, y).
    const Rgb& atWorld(double x, double y) const;
    // Mean absolute difference per channel against a picture of the same size (0 to 255).
    double difference(const std::vector<Rgb>& picture) const;
    void savePng(const std::string& path) const;
};

// A generated picture of the data folder, decoded as the game decodes it.
std::vector<Rgb> referencePicture(const std::string& name);

// Window pixel of a world point.
int pixelX(double worldX);
int pixelY(double worldY);

class GameSession {
  public:
    struct Options {
        std::filesystem::path dataDir = EMBERDASH_DATA_DIR; // where the game starts
        std::string audioDriver = "dummy";
        std::filesystem::path executable = EMBERDASH_EXECUTABLE; // or an installed one
        std::string dataVariable;         // EMBERDASH_DATA for the game; left unset when empty
        std::size_t memoryLimitBytes = 0; // address space the game may take; 0 for no limit
        // Runs the game as an ordinary user even when the test runs as root, for whom no file is
        // unreadable (as the user nobody; the game and its data must be readable by anyone).
        bool unprivileged = false;
        // A program that runs the executable, such as Wine for the Windows build; none when empty.
        std::filesystem::path launcher;
        // More variables for the game's environment, such as the disk audio driver's settings.
        std::vector<std::pair<std::string, std::string>> environment;
    };

    explicit GameSession(const Options& options);
    GameSession() : GameSession(Options{}) {}
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    // Waits for the game's window (or another of the game's windows, by its title) to be mapped;
    // false if it never came or the game exited.
    bool waitForWindow(int timeoutMs = 20000, const std::string& title = Camera::kWindowTitle);
    Window window() const { return window_; }
    std::string title() const;
    // Position on the screen and size.
    struct Geometry {
        int x, y, width, height;
    };
    Geometry geometry() const;
    void requestSize(int width, int height);

    Screenshot capture() const;

    // Pointer and keys, in window pixels.
    void moveTo(int x, int y);
    void press(int button = 1);
    void release(int button = 1);
    void click(int x, int y, int button = 1);
    void tapKey(const char* keyName);

    // Hides the game's window and shows it again, the way a player's desktop does: another
    // window mapped over it and taken away, or the game's own window unmapped and mapped. The
    // screenshot taken while hidden is returned, to show that something did hide it.
    Screenshot coverAndUncover();
    Screenshot unmapAndMap();
    // Tells the game its whole window was exposed, as the window system does when it must be
    // drawn again; a still screen answers with a frame.
    void expose();
    // Destroys the game's window from outside, as a crashed window manager or a remote tool may.
    void destroyWindow();
    // Destroys the game's window the given time after it first carries the game's title, which
    // it does while it is still being created; false if no such window came.
    bool destroyWindowOnceNamed(std::chrono::milliseconds delay);
    // Sends the game a signal, as a terminal's Ctrl-C, kill or a desktop session ending do.
    void sendSignal(int signal);

    // The game's resident memory, from the kernel's account of the process: in all, and the
    // anonymous part that the game and its driver allocate (the rest is shared library code,
    // which the kernel maps in and drops as it pleases).
    long residentKilobytes() const { return statusKilobytes("VmRSS:"); }
    long anonymousKilobytes() const { return statusKilobytes("RssAnon:"); }
    // The processor time the game has used, user and system, in clock ticks.
    long processorTicks() const;

    // The game's exit status once it has ended, or -1 while it runs; 128 plus the signal's number
    // when a signal ended it.
    int exitStatus();
    // What the game wrote to its standard error. A test that fails shows it as well.
    std::string errorOutput() const;

  private:
    long statusKilobytes(const char* field) const;
    PrivateXServer server_;
    Display* display_ = nullptr;
    pid_t pid_ = -1;
    int status_ = -1;
    Window window_ = 0;
    std::filesystem::path errorFile_;
};

// Polls the condition every 50 ms until it holds or the deadline passes.
template <typename Condition>
bool eventually(Condition condition, int timeoutMs = 20000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Copies the game's data folders into dir, so that a test may break one file.
void copyGameData(const std::filesystem::path& dir);
