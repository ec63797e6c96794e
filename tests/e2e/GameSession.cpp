// The real game under a private X server, driven through XTest.
// GoogleTest before Xlib, whose macros (None, Bool) its templates would otherwise meet.
#include <gtest/gtest.h>

#include "e2e/GameSession.h"

#include "render/PngImage.h"
#include "shell/Camera.h"
#include "support/TestPng.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
// The user and group that own nothing.
constexpr uid_t kNobody = 65534;

void stop(pid_t pid) {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

Window findByTitle(Display* display, Window parent, const std::string& title) {
    Window root = 0, parentOut = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &parentOut, &children, &count)) {
        return 0;
    }
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::string(name) == title) {
                found = children[i];
            }
            XFree(name);
        }
        if (!found) {
            found = findByTitle(display, children[i], title);
        }
    }
    if (children) {
        XFree(children);
    }
    return found;
}

// A child that must not outlive the test, whatever way the test ends.
void dieWithParent() {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}

// X errors (such as a capture racing a window that is still moving) are the test's to judge;
// Xlib's default handler would end the test process instead.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

int shift(unsigned long mask) {
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

// The X server and the game of the newest session, for the watchdog.
volatile sig_atomic_t watchedServer = -1;
volatile sig_atomic_t watchedGame = -1;
const char* volatile watchedTest = "";

void say(const char* text) {
    ssize_t written = write(2, text, std::strlen(text));
    (void)written;
}

// What the kernel says a process is waiting in: its state, the call it is blocked in and where.
// Only calls that are safe in a signal handler.
void sayWhereWaiting(const char* who, long pid) {
    char number[24];
    char* digits = number + sizeof number;
    *--digits = '\0';
    do {
        *--digits = char('0' + pid % 10);
        pid /= 10;
    } while (pid > 0);
    for (const char* file : {"/stat", "/wchan", "/syscall"}) {
        char path[64] = "/proc/";
        std::strcat(path, digits);
        std::strcat(path, file);
        say(who);
        say(file + 1);
        say(": ");
        const int fd = open(path, O_RDONLY);
        char text[512];
        const ssize_t length = fd < 0 ? -1 : read(fd, text, sizeof text - 1);
        if (fd >= 0) {
            close(fd);
        }
        text[length > 0 ? length : 0] = '\0';
        say(length > 0 ? text : "(unreadable)");
        say("\n");
    }
}

// ctest ends a test that runs past its time without a word of where it was. Shortly before,
// the watchdog says where the test, its X server and its game were waiting, then aborts the test.
void onStuck(int) {
    say("\nThe test ");
    say(watchedTest);
    say(" is about to run out of time. Where its processes wait:\n");
    sayWhereWaiting("test ", getpid());
    if (watchedServer > 0) {
        sayWhereWaiting("X server ", watchedServer);
    }
    if (watchedGame > 0) {
        sayWhereWaiting("game ", watchedGame);
    }
    signal(SIGABRT, SIG_DFL);
    abort();
}

class Watchdog : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& test) override {
        watchedTest = test.name();
        alarm(EMBERDASH_TEST_TIMEOUT_SECONDS - 20);
    }
    void OnTestEnd(const ::testing::TestInfo&) override { alarm(0); }
};

const bool watchdogInstalled = [] {
    signal(SIGALRM, onStuck);
    ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
    return true;
}();

} // namespace

PrivateXServer::PrivateXServer() {
    int fds[2];
    if (pipe(fds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ == 0) {
        dieWithParent();
        close(fds[0]);
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes its display number once it accepts connections.
    std::string number;
    pollfd ready{fds[0], POLLIN, 0};
    while (poll(&ready, 1, 20000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n') {
            break;
        }
        number.push_back(c);
    }
    close(fds[0]);
    if (number.empty()) {
        stop(pid_);
        throw std::runtime_error("Xvfb did not start");
    }
    name_ = ":" + number;
    watchedServer = pid_;
}

PrivateXServer::~PrivateXServer() {
    if (pid_ <= 0) {
        return;
    }
    // A server that does not end when asked is ended all the same: the test is over.
    kill(pid_, SIGTERM);
    const bool ended = eventually([&] { return waitpid(pid_, nullptr, WNOHANG) == pid_; }, 10000);
    if (!ended) {
        std::fprintf(stderr, "The X server %s did not end when asked; it is killed\n",
                     name_.c_str());
        stop(pid_);
    }
    watchedServer = -1;
}

int pixelX(double worldX) {
    return Camera::pixelOf(worldX, 0.0).x;
}
int pixelY(double worldY) {
    return Camera::pixelOf(0.0, worldY).y;
}

const Rgb& Screenshot::at(int x, int y) const {
    static const Rgb nothing{-1, -1, -1};
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return nothing;
    }
    return pixels[std::size_t(y) * width + x];
}

const Rgb& Screenshot::atWorld(double x, double y) const {
    return at(std::clamp(pixelX(x), 0, width - 1), std::clamp(pixelY(y), 0, height - 1));
}

double Screenshot::difference(const std::vector<Rgb>& picture) const {
    if (pixels.empty() || pixels.size() != picture.size()) {
        return 255.0;
    }
    double sum = 0;
    for (std::size_t i = 0; i < pixels.size() && i < picture.size(); ++i) {
        sum += std::abs(pixels[i].r - picture[i].r) + std::abs(pixels[i].g - picture[i].g) +
               std::abs(pixels[i].b - picture[i].b);
    }
    return sum / (3.0 * double(pixels.size()));
}

void Screenshot::savePng(const std::string& path) const {
    writePng(path, width, height,
             [this](int x, int y) {
                 const Rgb& p = at(x, y);
                 return Rgba{std::uint8_t(p.r), std::uint8_t(p.g), std::uint8_t(p.b), 255};
             },
             {PngKind::Rgb});
}

std::vector<Rgb> referencePicture(const std::string& name) {
    PngImage image;
    const std::string path = std::string(EMBERDASH_DATA_DIR) + "/images/" + name;
    if (!decodePngFile(path.c_str(), image)) {
        throw std::runtime_error("cannot read " + path);
    }
    std::vector<Rgb> pixels;
    for (int i = 0; i < image.width * image.height; ++i) {
        const std::uint8_t* p = &image.pixels[std::size_t(i) * image.channels];
        pixels.push_back({p[0], p[1], p[2]});
    }
    return pixels;
}

GameSession::GameSession(const Options& options) {
    display_ = XOpenDisplay(server_.name().c_str());
    if (!display_) {
        throw std::runtime_error("cannot open the private display");
    }
    errorFile_ = std::filesystem::temp_directory_path() /
                 ("emberdash-e2e-" + std::to_string(getpid()) + server_.name().substr(1) + ".err");
    XSetErrorHandler(ignoreXError);
    pid_ = fork();
    if (pid_ == 0) {
        dieWithParent();
        if (chdir(options.dataDir.c_str()) != 0) {
            _exit(126);
        }
        setenv("DISPLAY", server_.name().c_str(), 1);
        setenv("SDL_AUDIODRIVER", options.audioDriver.c_str(), 1);
        if (options.dataVariable.empty()) {
            unsetenv("EMBERDASH_DATA");
        } else {
            setenv("EMBERDASH_DATA", options.dataVariable.c_str(), 1);
        }
        if (options.memoryLimitBytes > 0) {
            const rlimit limit{options.memoryLimitBytes, options.memoryLimitBytes};
            setrlimit(RLIMIT_AS, &limit);
        }
        const int err = open(errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(err, 2);
        if (options.unprivileged && geteuid() == 0 &&
            (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            _exit(125);
        }
        for (const auto& [name, value] : options.environment) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        if (!options.launcher.empty()) {
            execl(options.launcher.c_str(), options.launcher.c_str(), options.executable.c_str(),
                  static_cast<char*>(nullptr));
        } else {
            execl(options.executable.c_str(), "emberdash", static_cast<char*>(nullptr));
        }
        _exit(127);
    }
    watchedGame = pid_;
}

GameSession::~GameSession() {
    if (status_ < 0) {
        stop(pid_);
    }
    watchedGame = -1;
    // A failed test reads better with the game's own account of what went wrong.
    if (::testing::Test::HasFailure()) {
        const std::string output = errorOutput();
        if (!output.empty()) {
            std::fprintf(stderr, "The game's standard error:\n%s\n", output.c_str());
        }
    }
    if (display_) {
        XCloseDisplay(display_);
    }
    std::error_code ignored;
    std::filesystem::remove(errorFile_, ignored);
}

bool GameSession::waitForWindow(int timeoutMs, const std::string& title) {
    return eventually(
               [&] {
                   if (exitStatus() >= 0) {
                       return true;
                   }
                   window_ = findByTitle(display_, DefaultRootWindow(display_), title);
                   if (!window_) {
                       return false;
                   }
                   XWindowAttributes attributes;
                   XGetWindowAttributes(display_, window_, &attributes);
                   return attributes.map_state == IsViewable;
               },
               timeoutMs) &&
           exitStatus() < 0;
}

std::string GameSession::title() const {
    char* name = nullptr;
    std::string title;
    if (XFetchName(display_, window_, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

GameSession::Geometry GameSession::geometry() const {
    XWindowAttributes attributes;
    XGetWindowAttributes(display_, window_, &attributes);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
}

void GameSession::requestSize(int width, int height) {
    XResizeWindow(display_, window_, unsigned(width), unsigned(height));
    XSync(display_, False);
}

Screenshot GameSession::capture() const {
    const Geometry where = geometry();
    Screenshot shot;
    const Screen* screen = DefaultScreenOfDisplay(display_);
    if (where.x < 0 || where.y < 0 || where.x + kWidth > screen->width ||
        where.y + kHeight > screen->height) {
        return shot; // not on the screen yet
    }
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), where.x, where.y, kWidth,
                              kHeight, AllPlanes, ZPixmap);
    if (!image) {
        return shot;
    }
    shot.width = kWidth;
    shot.height = kHeight;
    shot.pixels.resize(std::size_t(kWidth) * kHeight);
    const int rs = shift(image->red_mask), gs = shift(image->green_mask),
              bs = shift(image->blue_mask);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            shot.pixels[std::size_t(y) * kWidth + x] = {int((p & image->red_mask) >> rs),
                                                        int((p & image->green_mask) >> gs),
                                                        int((p & image->blue_mask) >> bs)};
        }
    }
    XDestroyImage(image);
    return shot;
}

void GameSession::moveTo(int x, int y) {
    const Geometry where = geometry();
    XTestFakeMotionEvent(display_, -1, where.x + x, where.y + y, CurrentTime);
    XSync(display_, False);
}

void GameSession::press(int button) {
    XTestFakeButtonEvent(display_, unsigned(button), True, CurrentTime);
    XSync(display_, False);
}

void GameSession::release(int button) {
    XTestFakeButtonEvent(display_, unsigned(button), False, CurrentTime);
    XSync(display_, False);
}

void GameSession::click(int x, int y, int button) {
    moveTo(x, y);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    press(button);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    release(button);
}

void GameSession::tapKey(const char* keyName) {
    const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keyName));
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    XSync(display_, False);
}

Screenshot GameSession::coverAndUncover() {
    const Geometry where = geometry();
    XSetWindowAttributes attributes;
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display_, DefaultScreen(display_));
    const Window cover =
        XCreateWindow(display_, DefaultRootWindow(display_), where.x, where.y,
                      unsigned(where.width), unsigned(where.height), 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display_, cover);
    XSync(display_, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const Screenshot hidden = capture();
    XDestroyWindow(display_, cover);
    XSync(display_, False);
    return hidden;
}

void GameSession::expose() {
    XClearArea(display_, window_, 0, 0, 0, 0, True);
    XFlush(display_);
}

void GameSession::destroyWindow() {
    XDestroyWindow(display_, window_);
    XSync(display_, False);
}

bool GameSession::destroyWindowOnceNamed(std::chrono::milliseconds delay) {
    // Asked as often as the server answers: the title is set moments before the window is
    // shown, and the earliest destroys are the ones that matter.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!(window_ = findByTitle(display_, DefaultRootWindow(display_), Camera::kWindowTitle))) {
        if (exitStatus() >= 0 || std::chrono::steady_clock::now() > deadline) {
            return false;
        }
    }
    std::this_thread::sleep_for(delay);
    destroyWindow();
    return true;
}

void GameSession::sendSignal(int signal) {
    kill(pid_, signal);
}

Screenshot GameSession::unmapAndMap() {
    XUnmapWindow(display_, window_);
    XSync(display_, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const Screenshot hidden = capture();
    XMapWindow(display_, window_);
    XSync(display_, False);
    return hidden;
}

long GameSession::processorTicks() const {
    std::ifstream file("/proc/" + std::to_string(pid_) + "/stat");
    const std::string stat{std::istreambuf_iterator<char>(file), {}};
    // After the command name, which ends at the last parenthesis: user time is the 14th field
    // of the line and system time the 15th.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        ticks += number >= 14 ? std::stol(field) : 0;
    }
    return ticks;
}

long GameSession::statusKilobytes(const char* field) const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    const std::string name = field;
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(name, 0) == 0) {
            return std::stol(line.substr(name.size()));
        }
    }
    return -1;
}

int GameSession::exitStatus() {
    if (status_ >= 0 || pid_ <= 0) {
        return status_;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return status_;
}

std::string GameSession::errorOutput() const {
    std::string text;
    if (FILE* file = std::fopen(errorFile_.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
            text.append(buffer, n);
        }
        std::fclose(file);
    }
    return text;
}

void copyGameData(const std::filesystem::path& dir) {
    for (const char* folder : {"images", "fonts", "audio"}) {
        std::filesystem::copy(std::filesystem::path(EMBERDASH_DATA_DIR) / folder, dir / folder,
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    }
}
