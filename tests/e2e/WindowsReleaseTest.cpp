// End-to-end: the Windows release as a player gets it. The zip is unpacked into a folder with a
// non-ASCII name and the game is started under Wine from another folder, beside the Linux build
// on the same data: the same window and picture, the same music to the sample, the same play.
#include <gtest/gtest.h>

#include "e2e/GameSession.h"
#include "e2e/ScreenReading.h"
#include "support/AudioSession.h"
#include "support/ScratchDir.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::filesystem::path kZip = EMBERDASH_WINDOWS_ZIP;
const std::filesystem::path kWine = "/usr/lib/wine/wine64";
const std::filesystem::path kWineServer = "/usr/lib/wine/wineserver";
constexpr std::size_t kRate = 44100;
// A folder name beyond any narrow Windows code page (the source is UTF-8, and so are Linux paths).
constexpr const char* kPlayerFolder = "Jörg 日本";
// Wine's first start in a new prefix sets the prefix up, which takes half a minute.
constexpr int kWineStartMs = 180000;

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

// Wine keeps one server for a prefix while any of its programs runs and a moment after, and
// that server's desktop keeps the X display it first met: a message box fails at once after a
// start without a display. Every start of the game under Wine gets a server of its own.
void newWineServer() {
    const std::string server = quoted(kWineServer);
    EXPECT_EQ(std::system((server + " -k 2>/dev/null; " + server + " -w").c_str()), 0);
}

// Wine's settings for every test: a prefix in the build folder, quiet, and no offer to download
// the .NET and web runtimes the game does not use. Wine reads paths in the locale's encoding, and
// a fresh system has only the C locale, in which Wine 10 cannot even open a program whose path is
// not ASCII: the tests run in UTF-8. Wine 10 also wants the runtime folder of a desktop session.
void prepareWine() {
    setenv("WINEPREFIX", EMBERDASH_BUILD_DIR "/wine", 0);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=d", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    const std::filesystem::path runtime = EMBERDASH_BUILD_DIR "/wine-runtime";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
    newWineServer();
}

// Runs a shell command and returns its standard output.
std::string outputOf(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
            output.append(buffer, got);
        }
        pclose(pipe);
    }
    return output;
}

std::filesystem::path madeFolder(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    return folder;
}

// The zip unpacked into a folder; returns the game's own folder in it.
std::filesystem::path unpack(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    outputOf("cd " + quoted(folder) + " && " CMAKE_COMMAND " -E tar xf " + quoted(kZip));
    return folder / ("emberdash-" EMBERDASH_VERSION "-windows-x64");
}

// The Windows game under Wine, started in `startIn`, mixing into a file through SDL's disk
// driver, in real time.
GameSession::Options windowsGame(const std::filesystem::path& game,
                                 const std::filesystem::path& startIn,
                                 const std::filesystem::path& soundFile) {
    newWineServer();
    GameSession::Options options;
    options.launcher = kWine;
    options.executable = game / "emberdash.exe";
    options.dataDir = startIn;
    options.audioDriver = "disk";
    options.environment = {{"SDL_DISKAUDIOFILE", soundFile.string()}};
    return options;
}

// The disk driver's stereo float samples as a 16-bit device plays them, from the first that is
// not silent: the device writes silence until the music starts.
std::vector<std::int16_t> soundIn(const std::filesystem::path& file) {
    const std::vector<float> mixed = diskOutput(file.string());
    std::size_t first = 0;
    while (first + 1 < mixed.size() && mixed[first] == 0 && mixed[first + 1] == 0) {
        first += 2;
    }
    std::vector<std::int16_t> samples;
    // Whole frames only, as a device plays them.
    std::transform(mixed.begin() + long(first),
                   mixed.begin() + long(first + (mixed.size() - first) / 2 * 2),
                   std::back_inserter(samples), to16);
    return samples;
}

// Waits until the file holds `seconds` of sound and returns that much.
std::vector<std::int16_t> firstSeconds(const std::filesystem::path& file, double seconds) {
    const std::size_t wanted = std::size_t(seconds * kRate) * 2;
    std::vector<std::int16_t> samples;
    EXPECT_TRUE(eventually(
        [&] {
            samples = soundIn(file);
            return samples.size() >= wanted;
        },
        kWineStartMs))
        << samples.size() / 2 << " frames of " << wanted / 2;
    samples.resize(std::min(samples.size(), wanted));
    return samples;
}

// The samples of a 16-bit mono WAV file.
std::vector<std::int16_t> monoWavSamples(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<std::int16_t> samples;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        std::uint32_t size = 0;
        std::memcpy(&size, &bytes[at + 4], 4);
        if (bytes.compare(at, 4, "data") == 0) {
            samples.resize(std::min<std::size_t>(size, bytes.size() - at - 8) / 2);
            std::memcpy(samples.data(), &bytes[at + 8], samples.size() * 2);
            break;
        }
        at += 8 + size + (size & 1);
    }
    return samples;
}

// The music's length in samples: where its second second comes round again.
std::size_t loopLength(const std::vector<std::int16_t>& music) {
    const std::size_t mark = kRate * 2, window = 8192;
    for (std::size_t at = mark + 10 * kRate * 2; at + window <= music.size(); at += 2) {
        if (std::equal(music.begin() + long(mark), music.begin() + long(mark + window),
                       music.begin() + long(at))) {
            return at - mark;
        }
    }
    return 0;
}

// Every test starts from the zip unpacked into a folder with a non-ASCII name, with another
// folder, holding no data, to start the game from.
class E2eWindows : public ::testing::Test {
  protected:
    E2eWindows() { prepareWine(); }

    ScratchDir scratch;
    const std::filesystem::path game = unpack(scratch.path() / "Spiele" / kPlayerFolder);
    const std::filesystem::path elsewhere = madeFolder(scratch.path() / "elsewhere");
};

} // namespace

TEST_F(E2eWindows, ADesktopProgramOfSystemDllsWhoseCommandLineAnswersAndThatShowsMissingData) {

    // Built for the desktop, so that no console window opens beside the game, and needing no
    // DLL that Windows does not bring.
    std::istringstream headers(
        outputOf("x86_64-w64-mingw32-objdump -p " + quoted(game / "emberdash.exe")));
    const std::set<std::string> systemDlls = {
        "advapi32.dll", "cfgmgr32.dll", "gdi32.dll",    "glu32.dll",
        "imm32.dll",    "kernel32.dll", "msvcrt.dll",   "ole32.dll",
        "oleaut32.dll", "opengl32.dll", "setupapi.dll", "shell32.dll",
        "shlwapi.dll",  "user32.dll",   "version.dll",  "winmm.dll"};
    std::string line, subsystem;
    int dlls = 0;
    while (std::getline(headers, line)) {
        if (line.rfind("Subsystem", 0) == 0) {
            subsystem = line;
        }
        const std::size_t name = line.find("DLL Name: ");
        if (name != std::string::npos) {
            std::string dll = line.substr(name + 10);
            std::transform(dll.begin(), dll.end(), dll.begin(),
                           [](unsigned char c) { return char(std::tolower(c)); });
            EXPECT_TRUE(systemDlls.count(dll)) << dll << " does not come with Windows";
            ++dlls;
        }
    }
    EXPECT_NE(subsystem.find("(Windows GUI)"), std::string::npos) << subsystem;
    EXPECT_GT(dlls, 0);
    // Written in text mode, the Windows way: the line ends in a carriage return and a line feed.
    EXPECT_EQ(outputOf(quoted(kWine) + " " + quoted(game / "emberdash.exe") + " --version"),
              "emberdash " EMBERDASH_VERSION "\r\n");

    // The executable alone, started from a folder without data: the message names every folder
    // tried, non-ASCII names and all, and stays on the screen until the player dismisses it.
    const std::filesystem::path alone = scratch.path() / kPlayerFolder / "alone";
    std::filesystem::create_directories(alone);
    std::filesystem::copy_file(game / "emberdash.exe", alone / "emberdash.exe");
    GameSession::Options options = windowsGame(alone, scratch.path() / "images", "unused.raw");
    GameSession missing(options);
    ASSERT_TRUE(missing.waitForWindow(kWineStartMs, "Emberdash")) << missing.errorOutput();
    EXPECT_EQ(missing.exitStatus(), -1) << "the message box went away by itself";
    const std::string message = missing.errorOutput();
    EXPECT_NE(message.find("emberdash: cannot find ./fonts/rabiohead.ttf in "), std::string::npos)
        << message;
    EXPECT_NE(message.find(kPlayerFolder), std::string::npos) << message;
    missing.tapKey("Return");
    EXPECT_TRUE(eventually([&] { return missing.exitStatus() >= 0; }));
    EXPECT_EQ(missing.exitStatus(), 1);
}

TEST_F(E2eWindows, TheTitleScreenLooksAndSoundsAsOnLinuxAndTheMusicLoopsWithoutAGap) {
    // The Linux build mixes seventy seconds, two loops of the music and more, far faster than it
    // plays: it rests only a millisecond between buffers. The Windows build mixes in real time
    // past its first loop: SDL's getenv on Windows holds one variable's value at a time, and
    // its disk driver reads the delay's over the file name's.
    const double linuxSeconds = 70, windowsSeconds = 38;

    Screenshot linuxTitle;
    std::vector<std::int16_t> linuxMusic;
    {
        GameSession::Options options;
        options.dataDir = game;
        options.audioDriver = "disk";
        options.environment = {{"SDL_DISKAUDIOFILE", (scratch.path() / "linux.raw").string()},
                               {"SDL_DISKAUDIODELAY", "1"}};
        GameSession linux(options);
        ASSERT_TRUE(linux.waitForWindow()) << linux.errorOutput();
        ASSERT_TRUE(eventually([&] { return shows(linux, "titlescreen.png"); }));
        linuxTitle = linux.capture();
        linuxMusic = firstSeconds(scratch.path() / "linux.raw", linuxSeconds);
    }
    const std::size_t loop = loopLength(linuxMusic);
    ASSERT_GT(loop, 0u) << "the Linux build's music never came round again";

    GameSession windows(windowsGame(game, elsewhere, scratch.path() / "windows.raw"));
    ASSERT_TRUE(windows.waitForWindow(kWineStartMs)) << windows.errorOutput();
    EXPECT_EQ(windows.title(), Camera::kWindowTitle);
    EXPECT_EQ(windows.geometry().width, Camera::kWindowWidth);
    EXPECT_EQ(windows.geometry().height, Camera::kWindowHeight);
    double difference = 255;
    EXPECT_TRUE(eventually([&] {
        difference = windows.capture().difference(linuxTitle.pixels);
        return difference == 0;
    })) << "mean difference "
        << difference;

    const std::vector<std::int16_t> windowsMusic =
        firstSeconds(scratch.path() / "windows.raw", windowsSeconds);
    ASSERT_GT(windowsMusic.size(), loop);
    ASSERT_LE(windowsMusic.size(), linuxMusic.size());
    const auto [windowsAt, linuxAt] =
        std::mismatch(windowsMusic.begin(), windowsMusic.end(), linuxMusic.begin());
    const std::size_t firstDifference = std::size_t(windowsAt - windowsMusic.begin());
    EXPECT_EQ(firstDifference, windowsMusic.size())
        << "the mixes part " << double(firstDifference % loop) / 2 / kRate << " s into loop "
        << firstDifference / loop + 1 << " of " << double(loop) / 2 / kRate << " s";
}

TEST_F(E2eWindows, TwoClicksStartPlayADragSteersAndAParkedFireEndsTheRunWithItsSounds) {
    const std::filesystem::path sound = scratch.path() / "play.raw";

    GameSession windows(windowsGame(game, elsewhere, sound));
    ASSERT_TRUE(windows.waitForWindow(kWineStartMs)) << windows.errorOutput();
    startPlaying(windows);
    // On the title screen only the music played.
    const std::vector<std::int16_t> title = soundIn(sound);
    ASSERT_FALSE(title.empty()) << "nothing was mixed on the title screen";

    windows.press(1);
    for (double x = 0; x >= -30; x -= 3) {
        windows.moveTo(pixelX(x), pixelY(4.5));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::optional<WorldPoint> fire;
    EXPECT_TRUE(eventually([&] {
        fire = flameNear(windows.capture(), {-20, 4.5}, 15);
        return fire && fire->x < -25.0;
    })) << (fire ? fire->x : 999);
    windows.release(1);

    const std::vector<Rgb> picture = referencePicture("gameover.png");
    ASSERT_TRUE(eventually([&] {
        return windows.capture().difference(picture) < 3 * kSamePicture;
    })) << "the run never ended";
    EXPECT_GT(inkWidth(windows.capture(), -27, 14, 50, 24), 300) << "no final score";

    // The run's end stops the music and sounds the blowout; then the output falls silent. The
    // last sound before the silence is the blowout's own end, sample for sample, on both sides:
    // its 1.8 s outlast every other effect (a second at most), and none starts after the run.
    const std::size_t second = kRate * 2;
    std::vector<std::int16_t> mixed;
    EXPECT_TRUE(eventually([&] {
        mixed = soundIn(sound);
        return mixed.size() > title.size() + second &&
               std::all_of(mixed.end() - long(second), mixed.end(),
                           [](std::int16_t s) { return s == 0; });
    })) << "the output never fell silent after the run";
    const std::vector<std::int16_t> blowout = monoWavSamples(game / "audio" / "blowout.wav");
    const auto soundEnd = [](const auto& samples) {
        return std::size_t(
            std::find_if(samples.rbegin(), samples.rend(), [](std::int16_t s) { return s != 0; })
                .base() -
            samples.begin());
    };
    const std::size_t mixedEnd = soundEnd(mixed), blowoutEnd = soundEnd(blowout);
    const std::size_t tail = std::min<std::size_t>(blowoutEnd, kRate / 2);
    ASSERT_GT(tail, 0u);
    ASSERT_GT(mixedEnd, 2 * tail);
    // The mixed end is on the right channel's sample, which the left one precedes.
    const std::size_t mixedFrames = (mixedEnd + 1) / 2;
    for (std::size_t i = 1; i <= tail; ++i) {
        const std::int16_t expected = blowout[blowoutEnd - i];
        ASSERT_EQ(mixed[2 * (mixedFrames - i)], expected) << i << " samples before the end";
        ASSERT_EQ(mixed[2 * (mixedFrames - i) + 1], expected) << i << " samples before the end";
    }
}
