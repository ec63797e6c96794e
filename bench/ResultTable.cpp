// The table of results and targets.
#include "ResultTable.h"

#include <algorithm>

namespace {

constexpr double kFreshUpdateTargetUs = 2.0;
constexpr double kWorstUpdateTargetUs = 20.0;
constexpr double kFrameRatioTarget = 3.0;
constexpr double kStartupTargetMs = 250.0;
constexpr double kMemoryTargetMiB = 64.0;
// Growth over the long run that still counts as flat: a few pages of allocator slack.
constexpr double kFlatGrowthMiB = 1.0;

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string mebibytes(double kibibytes) {
    return format("%.1f MiB", kibibytes / 1024.0);
}

} // namespace

bool ResultTable::ReportContext(const Context& context) {
    cpus_ = context.cpu_info.num_cpus;
    return true;
}

void ResultTable::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred) {
            std::fprintf(stderr, "%s: %s\n", run.benchmark_name().c_str(),
                         run.error_message.c_str());
            allMet_ = false;
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
           format("< %.0f x", kFrameRatioTarget), ratio < kFrameRatioTarget);
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
    const double totalMs = run->GetAdjustedRealTime();
    addRow("start-up to first frame, from the spawn", format("%.1f ms", totalMs),
           format("< %.0f ms", kStartupTargetMs), totalMs < kStartupTargetMs);
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
    // Flat means no growth once warm: the first run compiles the driver's shaders for every
    // kind of draw, which is paid once.
    const double growth = (counter(*run, "end_anon") - counter(*run, "warm_anon")) / 1024.0;
    addRow(format("  growth since warm, over %.0f runs", counter(*run, "runs") - 1),
           format("%+.2f MiB", growth), format("< %.0f MiB", kFlatGrowthMiB),
           growth < kFlatGrowthMiB);
    addRow("baseline window, in all", mebibytes(counter(*run, "baseline_total")));
    addRow("  of which its own", mebibytes(counter(*run, "baseline_anon")));
}

void ResultTable::print(std::FILE* out) {
    rows_.clear();
    addUpdateRows();
    addFrameRows();
    addStartupRows();
    addMemoryRows();
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
