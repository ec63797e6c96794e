// Collects the benchmark runs and prints them as one table: each measurement, its result, the
// game's target for it where it has one, and whether the target was met.
#pragma once

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class ResultTable : public benchmark::BenchmarkReporter {
  public:
    bool ReportContext(const Context& context) override;
    void ReportRuns(const std::vector<Run>& runs) override;

    void print(std::FILE* out);
    // The same table in Markdown, under a line that says when and on what it was measured.
    void printMarkdown(std::FILE* out, const std::string& measuredOn);
    bool allTargetsMet() const { return allMet_; }
    // The processor's cores, as Google Benchmark counted them.
    int cpus() const { return cpus_; }

  private:
    struct Row {
        std::string measurement;
        std::string result;
        std::string target; // empty for a figure given only for comparison
        bool met = true;
    };
    const Run* find(const std::string& name) const;
    double counter(const Run& run, const char* name) const;
    void addRow(std::string measurement, std::string result, std::string target = {},
                bool met = true);
    void addUpdateRows();
    void addFrameRows();
    void addStartupRows();
    void addProcessorRows();
    void addMemoryRows();
    void collectRows();

    std::map<std::string, Run> runs_;
    std::vector<Row> rows_;
    int cpus_ = 0;
    bool runFailed_ = false;
    bool allMet_ = true;
};
