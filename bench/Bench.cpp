// The game's benchmarks: the update pass, a playing frame beside a baseline frame, start-up
// beside a bare window's, the processor the main loop takes on a still screen and in play, and
// resident memory. Run in the game's data folder under an X server; prints one table of what was
// measured against what the game aims for.
#include "BenchSupport.h"
#include "ResultTable.h"

#include "render/SpriteList.h"
#include "shell/GameController.h"
#include "shell/GameState.h"
#include "world/Fire.h"
#include "world/PickupManager.h"
#include "world/TileField.h"
#include "world/World.h"

#include <GL/freeglut.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr float kFrameSeconds = 1.0f / 60.0f;
// Update frames between two fresh set-ups: short enough that no run ends inside a batch.
constexpr int kFramesPerBatch = 50;
// The tile the fire stands on when every other tile has burnt through: one in the middle.
constexpr int kLastTileIndex = 6 * TileField::kRows + 6;
constexpr int kStartupRuns = 10;
constexpr int kLongRunFrames = 7200; // two minutes of play at 60 frames a second
constexpr int kProcessorSeconds = 5;

// Runs a program with the arguments and returns what it printed; the start is recorded on the
// monotonic clock that the program reports its moments on.
std::string runProgram(const char* path, std::vector<std::string> args, long long& startedNs) {
    args.insert(args.begin(), path);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    pid_t pid = 0;
    startedNs = monotonicNanoseconds();
    const int spawned = posix_spawn(&pid, path, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string output;
    char buffer[256];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        output.append(buffer, std::size_t(n));
    }
    close(pipeEnds[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return {};
    }
    return output;
}

std::string runProbe(std::vector<std::string> args, long long& startedNs) {
    return runProgram(EMBERDASH_PROBE, std::move(args), startedNs);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0.0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The spread of the readings, as counters: median, least and most.
void addSpread(benchmark::State& state, const char* name, const std::vector<double>& values) {
    state.counters[std::string(name) + "_median"] = median(values);
    state.counters[std::string(name) + "_min"] = *std::min_element(values.begin(), values.end());
    state.counters[std::string(name) + "_max"] = *std::max_element(values.begin(), values.end());
}

std::vector<double> numbersIn(const std::string& line) {
    std::istringstream in(line);
    std::vector<double> numbers;
    for (double n; in >> n;) {
        numbers.push_back(n);
    }
    return numbers;
}

// Every tile but one has burnt through; the fire stands on that last tile with the fuel beside
// it, so every update collects fuel and places its successors on the one tile left.
void lastTileLeft() {
    layOutFreshRun();
    for (std::size_t i = 0; i < tileField.tiles().size(); ++i) {
        if (int(i) != kLastTileIndex) {
            tileField.tiles()[i]->setState(TileState::Burnt);
            tileField.tiles()[i]->setHeat(0.0f);
        }
    }
    const Tile& last = *tileField.tiles()[kLastTileIndex];
    fire.setX(last.x());
    fire.setY(last.y());
    fire.setTargetX(last.x());
    fire.setTargetY(last.y());
    Entity& fuel = *pickupManager.pickups().front();
    fuel.setX(last.x());
    fuel.setY(last.y());
}

// The pointer's loop for the fresh floor, worked out before the clock starts.
struct TargetLoop {
    float x[kFramesPerLoop];
    float y[kFramesPerLoop];
    TargetLoop() {
        for (int i = 0; i < kFramesPerLoop; ++i) {
            const WorldPoint point = pointOnLoop(i);
            x[i] = float(point.x);
            y[i] = float(point.y);
        }
    }
};

void runUpdateBatches(benchmark::State& state, void (*setUp)(), bool steer) {
    static const TargetLoop loop;
    int frame = 0;
    for (auto _ : state) {
        state.PauseTiming();
        setUp();
        state.ResumeTiming();
        for (int i = 0; i < kFramesPerBatch; ++i, ++frame) {
            if (steer) {
                fire.setTargetX(loop.x[frame % kFramesPerLoop]);
                fire.setTargetY(loop.y[frame % kFramesPerLoop]);
            }
            updateWorld(kFrameSeconds);
        }
    }
    state.SetItemsProcessed(state.iterations() * kFramesPerBatch);
}

void updateFreshFloor(benchmark::State& state) {
    runUpdateBatches(state, layOutFreshRun, true);
}

void updateLastTileLeft(benchmark::State& state) {
    runUpdateBatches(state, lastTileLeft, false);
}

// Each iteration draws a baseline frame, then a playing frame; only the playing frame counts as
// the iteration's time, and the two totals give the ratio.
void playingFrameBesideBaseline(benchmark::State& state, unsigned backgroundTexture) {
    LoopingPlayer player;
    player.startRun();
    double baselineSeconds = 0.0;
    double playingSeconds = 0.0;
    for (auto _ : state) {
        const auto baselineStart = std::chrono::steady_clock::now();
        drawBaselineFrame(backgroundTexture);
        baselineSeconds += secondsSince(baselineStart);
        const auto playingStart = std::chrono::steady_clock::now();
        player.step();
        GameController::instance().display();
        glFinish();
        const double playing = secondsSince(playingStart);
        playingSeconds += playing;
        state.SetIterationTime(playing);
    }
    state.counters["baseline"] =
        benchmark::Counter(baselineSeconds, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = playingSeconds / baselineSeconds;
    state.counters["runs"] = player.runsStarted();
}

// A fresh process per iteration: from the spawn to its first frame on the screen, for the game
// and, right after it, for a bare window drawing one textured square.
void startupToFirstFrame(benchmark::State& state) {
    double phases[5] = {};
    std::vector<double> gameMs, bareMs;
    for (auto _ : state) {
        long long startedNs = 0;
        const std::vector<double> reading = numbersIn(runProbe({"startup"}, startedNs));
        long long bareStartedNs = 0;
        const std::vector<double> bare = numbersIn(runProgram(EMBERDASH_BARE, {}, bareStartedNs));
        if (reading.size() != 6 || bare.size() != 1) {
            state.SkipWithError("the start-up probe or the bare window failed");
            return;
        }
        for (int i = 0; i < 5; ++i) {
            phases[i] += reading[std::size_t(i)] / 1e6;
        }
        gameMs.push_back((reading[5] - double(startedNs)) / 1e6);
        bareMs.push_back((bare[0] - double(bareStartedNs)) / 1e6);
        state.SetIterationTime(gameMs.back() / 1e3);
    }
    const char* names[5] = {"window", "images", "font", "sounds", "first_frame"};
    for (int i = 0; i < 5; ++i) {
        state.counters[names[i]] =
            benchmark::Counter(phases[i], benchmark::Counter::kAvgIterations);
    }
    addSpread(state, "game_ms", gameMs);
    addSpread(state, "bare_ms", bareMs);
}

// The share of one core the game's main loop takes, after its first second.
void processorShare(benchmark::State& state, const char* screen) {
    for (auto _ : state) {
        long long startedNs = 0;
        const std::vector<double> share =
            numbersIn(runProbe({"cpu", screen, std::to_string(kProcessorSeconds)}, startedNs));
        if (share.size() != 1) {
            state.SkipWithError("the processor probe failed");
            return;
        }
        state.counters["share"] = share[0];
        state.counters["seconds"] = kProcessorSeconds;
        state.SetIterationTime(kProcessorSeconds);
    }
}

void residentMemoryOverLongRun(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        long long startedNs = 0;
        const std::vector<double> game =
            numbersIn(runProbe({"memory", std::to_string(kLongRunFrames)}, startedNs));
        const std::vector<double> baseline = numbersIn(runProbe({"baseline-memory"}, startedNs));
        if (game.size() < 13 || baseline.size() != 3) {
            state.SkipWithError("the memory probe failed");
            return;
        }
        const char* names[] = {"start_total", "start_anon", "start_file", "warm_total", "warm_anon",
                               "warm_file",   "end_total",  "end_anon",   "end_file",   "runs"};
        for (std::size_t i = 0; i < 10; ++i) {
            state.counters[names[i]] = game[i];
        }
        state.counters["baseline_total"] = baseline[0];
        state.counters["baseline_anon"] = baseline[1];
        state.counters["baseline_file"] = baseline[2];
        state.counters["frames"] = kLongRunFrames;
        // The samples of the game's own memory once warm, in three equal stretches of play: the
        // median of each.
        const std::vector<double> samples(game.begin() + 10, game.end());
        const std::size_t third = samples.size() / 3;
        for (int i = 0; i < 3; ++i) {
            const auto from = samples.begin() + std::ptrdiff_t(third) * i;
            const auto to = i == 2 ? samples.end() : from + std::ptrdiff_t(third);
            state.counters["third_" + std::to_string(i + 1)] = median({from, to});
        }
        state.counters["samples"] = double(samples.size());
        state.SetIterationTime(secondsSince(start));
    }
}

// When and on what the figures were measured: the date, the processor and its cores, and the GL
// renderer the game drew with.
std::string measuredOn(int cores) {
    char date[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d", std::gmtime(&now));
    std::string processor = "an unknown processor";
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("model name", 0) == 0 && line.find(':') != std::string::npos) {
            processor = line.substr(line.find(':') + 2);
            break;
        }
    }
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return "Measured on " + std::string(date) + " by `scripts/bench`: " + processor + ", " +
           std::to_string(cores) + " cores, drawn by " +
           (renderer ? renderer : "an unknown GL renderer") + ".";
}

} // namespace

int main(int argc, char** argv) {
    // A mixer that opens loads every sound, as on a machine with a sound card.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    openGameWindow(argc, argv);
    benchmark::Initialize(&argc, argv);
    // --markdown=FILE: the table written there too, for the docs.
    std::string markdownFile;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--markdown=", 11) == 0) {
            markdownFile = argv[i] + 11;
        }
    }
    GameController::instance().init();
    const unsigned background = loadPngTexture("./images/background.png");

    using benchmark::RegisterBenchmark;
    RegisterBenchmark("update/fresh_floor", updateFreshFloor)->Unit(benchmark::kMicrosecond);
    RegisterBenchmark("update/last_tile_left", updateLastTileLeft)->Unit(benchmark::kMicrosecond);
    RegisterBenchmark(
        "frame/playing_beside_baseline",
        [background](benchmark::State& state) { playingFrameBesideBaseline(state, background); })
        ->UseManualTime()
        ->MinTime(3.0)
        ->Unit(benchmark::kMillisecond);
    RegisterBenchmark("startup/first_frame", startupToFirstFrame)
        ->UseManualTime()
        ->Iterations(kStartupRuns)
        ->Unit(benchmark::kMillisecond);
    for (const char* screen : {"title", "play"}) {
        RegisterBenchmark((std::string("processor/") + screen).c_str(),
                          [screen](benchmark::State& state) { processorShare(state, screen); })
            ->UseManualTime()
            ->Iterations(1)
            ->Unit(benchmark::kSecond);
    }
    RegisterBenchmark("memory/long_run", residentMemoryOverLongRun)->UseManualTime()->Iterations(1);

    ResultTable table;
    benchmark::RunSpecifiedBenchmarks(&table);
    table.print(stdout);
    if (!markdownFile.empty()) {
        if (std::FILE* out = std::fopen(markdownFile.c_str(), "w")) {
            table.printMarkdown(out, measuredOn(table.cpus()));
            std::fclose(out);
        } else {
            std::perror(markdownFile.c_str());
            return 1;
        }
    }
    benchmark::Shutdown();
    return table.allTargetsMet() ? 0 : 1;
}
