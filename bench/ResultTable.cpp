// The table of results and targets.
#include "ResultTable.h"

#include <algorithm>
#include <optional>
#include <string>

namespace {

constexpr double kFreshUpdateTargetUs = 2.0;
constexpr double kWorstUpdateTargetUs = 20.0;
constexpr double kFrameRatioTarget = 1.4;
constexpr double kStartupRatioTarget = 2.0;
constexpr double kStillScreenShareTarget = 0.03;
constexpr double kMemoryTargetMiB = 64.0;
// A leak raises the game's own memory from each stretch of play to the next; a driver buffer
// that reaches a new high-water mark raises it once. A rise above this between both pairs of
// neighbouring stretches is taken for a leak.
constexpr double kSteadyRiseKiB = 128.0;

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string mebibytes(double kibibytes) {
    return format("%.1f MiB", kibibytes / 1024.0);
}

// Why a run gave no figure, or nothing when it did. Google Benchmark 1.8 turned a run's error
// into a skip, with other names: whichever fields this release has are read.
template <typename BenchmarkRun>
std::optional<std::string> failureOf(const BenchmarkRun& run) {
    if constexpr (requires { run.error_occurred; }) {
        if (run.error_occurred) {
            return run.error_message;
        }
    } else {
        if (run.skipped != decltype(run.skipped){}) {
            return run.skip_message;
        }
    }
    return std::nullopt;
}

} // namespace

bool ResultTable::ReportContext(const Context& context) {
    cpus_ = context.cpu_info.num_cpus;
    return true;
}

void ResultTable::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (const std::optional<std::string> failure = failureOf(run)) {
            std::fprintf(stderr, "%s: %s\n", run.benchmark_name().c_str(), failure->c_str());
            runFailed_ = true;
            continue;
        }
        runs_.insert_or_assign(run.run_name.function_name, run);
    }
}

const ResultTable::Run* ResultTable::find(const std::string& name) const {
    const auto found = runs_.find(name);
    return found == runs_.end() ? nullptr : &found->second;
}

double ResultTable::counter(const Run& run, const char* name) const {
    const auto found = run.counters.find(name);
    return found == run.counters.end() ? 0.0 : found->second.value;
}

void ResultTable::addRow(std::string measurement, std::string result, std::string target,
                         bool met) {
    allMet_ = allMet_ && met;
    rows_.push_back({std::move(measurement), std::move(result), std::move(target), met});
}

void ResultTable::addUpdateRows() {
    const struct {
        const char* name;
        const char* measurement;
        double targetUs;
    } updates[] = {
        {"update/fresh_floor", "update pass, fresh floor", kFreshUpdateTargetUs},
        {"update/last_tile_left", "update pass, one intact tile left", kWorstUpdateTargetUs},
    };
    for (const auto& update : updates) {
        if (const Run* run = find(update.name)) {
            const double us = 1e6 / counter(*run, "items_per_second");
            addRow(update.measurement, format("%.3f us", us), format("< %.0f us", update.targetUs),
                   us < update.targetUs);
        }
    }
}

void ResultTable::addFrameRows() {
    const Run* run = find("frame/playing_beside_baseline");
    if (!run) {
        return;
    }
    const double baselineMs = counter(*run, "baseline") * 1e3;
    const double playingMs = run->GetAdjustedRealTime();
    const double ratio = counter(*run, "ratio");
    addRow("baseline frame: clear, one textured square, swap", format("%.2f ms", baselineMs));
    addRow("playing frame: update, every draw, swap", format("%.2f ms", playingMs));
    addRow("playing frame / baseline frame", format("%.2f x", ratio),
           format("<= %.1f x", kFrameRatioTarget), ratio <= kFrameRatioTarget);
}

void ResultTable::addStartupRows() {
    const Run* run = find("startup/first_frame");
    if (!run) {
        return;
    }
    const struct {
        const char* counter;
        const char* measurement;
    } phases[] = {
        {"window", "start-up: window and GL context"},
        {"images", "start-up: images"},
        {"font", "start-up: font"},
        {"sounds", "start-up: sounds and music"},
        {"first_frame", "start-up: first frame"},
    };
    for (const auto& phase : phases) {
        addRow(phase.measurement, format("%.1f ms", counter(*run, phase.counter) * 1e3));
    }
    const auto spread = [&](const char* name) {
        const std::string prefix = name;
        return format("%.0f", counter(*run, (prefix + "_min").c_str())) + "-" +
               format("%.0f ms", counter(*run, (prefix + "_max").c_str()));
    };
    const double gameMs = counter(*run, "game_ms_median");
    const double bareMs = counter(*run, "bare_ms_median");
    addRow("start-up to first frame, from the spawn (median)", format("%.1f ms", gameMs));
    addRow("  spread", spread("game_ms"));
    addRow("bare window's start-up, alternating (median)", format("%.1f ms", bareMs));
    addRow("  spread", spread("bare_ms"));
    const double ratio = bareMs > 0 ? gameMs / bareMs : 0.0;
    addRow("start-up / bare window's", format("%.2f x", ratio),
           format("<= %.1f x", kStartupRatioTarget), ratio > 0 && ratio <= kStartupRatioTarget);
}

void ResultTable::addProcessorRows() {
    const struct {
        const char* name;
        const char* measurement;
        double target;
    } screens[] = {
        {"processor/title", "processor on the title screen, of one core", kStillScreenShareTarget},
        {"processor/play", "processor in play, of one core", 0.0},
    };
    for (const auto& screen : screens) {
        if (const Run* run = find(screen.name)) {
            const double share = counter(*run, "share");
            if (screen.target > 0) {
                addRow(screen.measurement, format("%.1f %%", share * 100),
                       format("< %.0f %%", screen.target * 100), share < screen.target);
            } else {
                addRow(screen.measurement, format("%.1f %%", share * 100));
            }
        }
    }
}

void ResultTable::addMemoryRows() {
    const Run* run = find("memory/long_run");
    if (!run) {
        return;
    }
    // The game's own memory is what it allocates: heap, textures and the driver's buffers. The
    // file-backed rest is the shared libraries' code, which the baseline window maps as well.
    const auto addOwnRow = [&](const char* measurement, const char* reading) {
        const double own = counter(*run, reading);
        addRow(measurement, mebibytes(own), format("< %.0f MiB", kMemoryTargetMiB),
               own / 1024.0 < kMemoryTargetMiB);
    };
    addRow("resident after start-up, in all", mebibytes(counter(*run, "start_total")));
    addRow("  of which shared library code", mebibytes(counter(*run, "start_file")));
    addOwnRow("  of which the game's own", "start_anon");
    addOwnRow("resident once every screen was drawn, own", "warm_anon");
    addRow(format("resident after %.0f frames, in all", counter(*run, "frames")),
           mebibytes(counter(*run, "end_total")));
    addOwnRow("  of which the game's own", "end_anon");
    // Judged once warm: the first run compiles the driver's shaders for every kind of draw,
    // which is paid once. A leak shows as a steady rise through the stretches of play.
    const double growth = (counter(*run, "end_anon") - counter(*run, "warm_anon")) / 1024.0;
    addRow(format("  growth since warm, over %.0f runs", counter(*run, "runs") - 1),
           format("%+.2f MiB", growth));
    const double firstRise = counter(*run, "third_2") - counter(*run, "third_1");
    const double secondRise = counter(*run, "third_3") - counter(*run, "third_2");
    const bool steady = firstRise > kSteadyRiseKiB && secondRise > kSteadyRiseKiB;
    addRow(format("  rise over each third of %.0f samples", counter(*run, "samples")),
           format("%+.0f, ", firstRise) + format("%+.0f KiB", secondRise),
           format("no both > %.0f KiB", kSteadyRiseKiB), !steady);
    addRow("baseline window, in all", mebibytes(counter(*run, "baseline_total")));
    addRow("  of which its own", mebibytes(counter(*run, "baseline_anon")));
}

void ResultTable::collectRows() {
    rows_.clear();
    allMet_ = !runFailed_;
    addUpdateRows();
    addFrameRows();
    addStartupRows();
    addProcessorRows();
    addMemoryRows();
}

void ResultTable::printMarkdown(std::FILE* out, const std::string& measuredOn) {
    collectRows();
    std::fprintf(out, "%s\n\n", measuredOn.c_str());
    std::fprintf(out, "| measurement | result | target | |\n|---|---|---|---|\n");
    for (const Row& row : rows_) {
        // Markdown drops leading spaces: a row that belongs to the one above says so.
        std::string measurement = row.measurement;
        const std::size_t indent = measurement.find_first_not_of(' ');
        if (indent != 0 && indent != std::string::npos) {
            measurement = "&emsp;" + measurement.substr(indent);
        }
        std::fprintf(out, "| %s | %s | %s | %s |\n", measurement.c_str(), row.result.c_str(),
                     row.target.c_str(),
                     row.target.empty() ? ""
                     : row.met          ? "met"
                                        : "**missed**");
    }
}

void ResultTable::print(std::FILE* out) {
    collectRows();
    std::size_t width = 0;
    for (const Row& row : rows_) {
        width = std::max(width, row.measurement.size());
    }
    std::fprintf(out, "Emberdash benchmarks, %d CPUs\n", cpus_);
    std::fprintf(out, "%-*s  %12s  %10s\n", int(width), "measurement", "result", "target");
    for (const Row& row : rows_) {
        std::fprintf(out, "%-*s  %12s  %10s  %s\n", int(width), row.measurement.c_str(),
                     row.result.c_str(), row.target.c_str(),
                     row.target.empty() ? ""
                     : row.met          ? "met"
                                        : "MISSED");
    }
}
