// A child process for the benchmarks, started afresh for every reading so that nothing is warm:
//   emberdash-probe startup          the game's start-up, phase by phase, to its first frame
//   emberdash-probe cpu title|play SECONDS
//                                    the processor time the game's own main loop takes over
//                                    SECONDS after its first second, on the title screen left
//                                    alone or in play steered without rest
//   emberdash-probe memory FRAMES    resident memory after start-up, once every screen has been
//                                    drawn, and after FRAMES frames of play; then the game's own
//                                    memory every kSampleFrames frames from the warm reading on
//   emberdash-probe baseline-memory  resident memory of a window that draws the baseline frame
// It prints one line of numbers on standard output. Run it in the game's data folder.
#include "BenchSupport.h"

#include "render/PicturePreloader.h"
#include "render/ScoreBoard.h"
#include "render/SpriteList.h"
#include "shell/GameController.h"
#include "shell/GameState.h"
#include "shell/InputState.h"
#include "shell/MainLoop.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kBaselineFrames = 600;
// In the long run: frames of each screen outside play, frames of steering in each run, and a
// limit on a run that somehow does not end.
constexpr int kScreenFrames = 60;
constexpr int kSteeredFrames = 1200;
constexpr int kMaxRunFrames = 3600;
// The game's own memory is sampled this often once warm: every 4 s of play.
constexpr int kSampleFrames = 240;
// The processor is measured from the end of the first second, once start-up is over.
constexpr unsigned kSettleMs = 1000;
constexpr unsigned kSteerMs = 16;

bool firstFrameDrawn = false;

double microsecondsSince(long long& mark) {
    const long long now = monotonicNanoseconds();
    const double elapsed = double(now - mark) / 1000.0;
    mark = now;
    return elapsed;
}

// The real game's start-up: window, then the controller's steps, then its first frame drawn by
// the display callback. Prints the phases in microseconds, then the moment of the first frame.
int startup(int& argc, char** argv) {
    long long mark = monotonicNanoseconds();
    // As the game does: the pictures are decoded and the glyphs rendered while the window is
    // made.
    PicturePreloader::instance().start(GameController::picturePaths());
    ScoreBoard::prepareFont();
    openGameWindow(argc, argv);
    const double window = microsecondsSince(mark);
    GameController& game = GameController::instance();
    game.setUpGl();
    game.loadImages();
    const double images = microsecondsSince(mark);
    game.loadFont();
    const double font = microsecondsSince(mark);
    game.loadSounds();
    const double sounds = microsecondsSince(mark);
    glutDisplayFunc([] {
        GameController::instance().display();
        glFinish();
        firstFrameDrawn = true;
    });
    glutPostRedisplay();
    while (!firstFrameDrawn) {
        glutMainLoopEvent();
    }
    const double frame = microsecondsSince(mark);
    std::printf("%.0f %.0f %.0f %.0f %.0f %lld\n", window, images, font, sounds, frame, mark);
    return 0;
}

// Plays through every screen as a player would: a click on the title and on the instructions,
// then run after run, each steered for a while, then left to burn through, then shown on the
// game-over screen before the next begins.
class LongRun {
  public:
    void frame() {
        if (gameState != shown_) {
            shown_ = gameState;
            framesOnScreen_ = 0;
        }
        ++framesOnScreen_;
        if (gameState == GameState::Playing) {
            play();
        } else if (framesOnScreen_ > kScreenFrames) {
            if (gameState == GameState::GameOver) {
                player_.startRun();
            } else {
                InputState::instance().onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
                InputState::instance().onMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
            }
        }
        GameController::instance().display();
        glFinish();
    }
    int runs() const { return player_.runsStarted(); }

  private:
    void play() {
        if (framesOnScreen_ == 1 || framesOnScreen_ > kMaxRunFrames) {
            player_.startRun();
            framesOnScreen_ = 1;
        } else if (framesOnScreen_ < kSteeredFrames) {
            player_.step();
        } else if (framesOnScreen_ == kSteeredFrames) {
            player_.letGo();
        }
    }

    LoopingPlayer player_;
    GameState shown_ = GameState::Title;
    int framesOnScreen_ = 0;
};

void printMemory(const ResidentMemory& memory) {
    std::printf("%ld %ld %ld ", memory.totalKiB, memory.anonymousKiB, memory.fileKiB);
}

// Readings after start-up, once every screen has been drawn (the first run over and the next
// begun), and at the end; then the samples taken from the warm reading on.
int memory(int& argc, char** argv, int frames) {
    openGameWindow(argc, argv);
    GameController& game = GameController::instance();
    game.init();
    game.display();
    glFinish();
    const ResidentMemory started = residentMemory();
    LongRun run;
    ResidentMemory warm;
    std::vector<long> samples;
    for (int i = 0, sinceWarm = 0; i < frames; ++i) {
        run.frame();
        if (run.runs() == 2 && warm.totalKiB == 0) {
            warm = residentMemory();
        }
        if (warm.totalKiB != 0 && sinceWarm++ % kSampleFrames == 0) {
            samples.push_back(residentMemory().anonymousKiB);
        }
    }
    const ResidentMemory ended = residentMemory();
    printMemory(started);
    printMemory(warm);
    printMemory(ended);
    std::printf("%d", run.runs());
    for (long sample : samples) {
        std::printf(" %ld", sample);
    }
    std::printf("\n");
    return 0;
}

// Processor time of this process so far, in clock ticks: user and system, all threads.
long processorTicks() {
    std::ifstream file("/proc/self/stat");
    const std::string stat((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    // The fields after the command name, which ends at the last parenthesis: state is the 3rd
    // field, user time the 14th, system time the 15th.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long user = 0, system = 0;
    for (int number = 3; fields >> field && number <= 15; ++number) {
        if (number == 14) {
            user = std::stol(field);
        } else if (number == 15) {
            system = std::stol(field);
        }
    }
    return user + system;
}

LoopingPlayer player;
long ticksAtStart = 0;
int measuredSeconds = 0;

void steer(int) {
    player.step();
    // A run that ended left the final screen standing: the restart must be drawn.
    wakeFrames();
    glutTimerFunc(kSteerMs, steer, 0);
}

// The game's real main loop, measured from its first second on for the given seconds.
int processor(int& argc, char** argv, bool play, int seconds) {
    openGameWindow(argc, argv);
    registerCallbacks();
    GameController::instance().init();
    if (play) {
        player.startRun();
        glutTimerFunc(kSteerMs, steer, 0);
    }
    measuredSeconds = seconds;
    glutTimerFunc(
        kSettleMs, [](int) { ticksAtStart = processorTicks(); }, 0);
    glutTimerFunc(
        kSettleMs + unsigned(seconds) * 1000,
        [](int) {
            const double used =
                double(processorTicks() - ticksAtStart) / double(sysconf(_SC_CLK_TCK));
            std::printf("%.4f\n", used / measuredSeconds);
            std::fflush(stdout);
            std::_Exit(0);
        },
        0);
    glutMainLoop();
    return 1;
}

int baselineMemory(int& argc, char** argv) {
    openGameWindow(argc, argv);
    const unsigned texture = loadPngTexture("./images/background.png");
    for (int i = 0; i < kBaselineFrames; ++i) {
        drawBaselineFrame(texture);
    }
    const ResidentMemory used = residentMemory();
    std::printf("%ld %ld %ld\n", used.totalKiB, used.anonymousKiB, used.fileKiB);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    try {
        if (std::strcmp(mode, "startup") == 0) {
            return startup(argc, argv);
        }
        if (std::strcmp(mode, "cpu") == 0 && argc > 3) {
            return processor(argc, argv, std::strcmp(argv[2], "play") == 0, std::atoi(argv[3]));
        }
        if (std::strcmp(mode, "memory") == 0 && argc > 2) {
            return memory(argc, argv, std::atoi(argv[2]));
        }
        if (std::strcmp(mode, "baseline-memory") == 0) {
            return baselineMemory(argc, argv);
        }
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "emberdash-probe: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: emberdash-probe startup | cpu title|play SECONDS | "
                         "memory FRAMES | baseline-memory\n");
    return 2;
}
