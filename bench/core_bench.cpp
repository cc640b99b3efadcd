// How long the router takes to answer, as ratios to a baseline measured in
// the same run: copying the 21 console lines, the least a front end does to
// draw after every key. Absolute times on shared machines are noise; the
// ratios are what to compare between runs.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "console/Sim.h"
#include "scoring/ScoreFile.h"
#include "state/ConfigFile.h"
#include "state/DataFolder.h"

namespace {

std::filesystem::path BenchFolder() {
    static const std::filesystem::path folder = [] {
        auto dir =
            std::filesystem::temp_directory_path() / ("pellix-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        pellix::PrepareLearnerFolder(dir);
        return dir;
    }();
    return folder;
}

void Type(pellix::Sim& sim, std::string_view text) {
    for (char c : text) sim.Form_KeyPress(static_cast<unsigned char>(c));
}

void Baseline_CopyConsoleLines(benchmark::State& state) {
    pellix::Sim sim(BenchFolder());
    sim.Form_Load();
    for (auto _ : state) {
        auto lines = sim.Lines();
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(Baseline_CopyConsoleLines);

void TypeOneCharacter(benchmark::State& state) {
    pellix::Sim sim(BenchFolder());
    sim.Form_Load();
    for (auto _ : state) {
        sim.Form_KeyPress('x');
        sim.Form_KeyPress(8);
    }
}
BENCHMARK(TypeOneCharacter);

// A whole command: dispatch, the display, the next prompt and the score file
// rewritten, as after every Enter.
void ShowRunningConfigCommand(benchmark::State& state) {
    pellix::Sim sim(BenchFolder());
    sim.Form_Load();
    Type(sim, "enable\r");
    for (auto _ : state) Type(sim, "show running-config\r");
}
BENCHMARK(ShowRunningConfigCommand);

void StartUp(benchmark::State& state) {
    for (auto _ : state) {
        pellix::Sim sim(BenchFolder());
        sim.Form_Load();
        benchmark::DoNotOptimize(sim.Lines());
    }
}
BENCHMARK(StartUp);

void ReadStartupConfigText(benchmark::State& state) {
    std::string text = pellix::DeliveredStartupConfig();
    for (auto _ : state) benchmark::DoNotOptimize(pellix::ReadConfigText(text));
}
BENCHMARK(ReadStartupConfigText);

void ReadScoreText(benchmark::State& state) {
    pellix::TaskTable tasks{};
    pellix::FillerSource fillers;
    std::string text = pellix::WriteScoreText(tasks, fillers);
    for (auto _ : state) benchmark::DoNotOptimize(pellix::ReadScoreText(text));
}
BENCHMARK(ReadScoreText);

// Prints every benchmark's time as a multiple of the baseline's.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        auto base = times_.find("Baseline_CopyConsoleLines");
        if (base == times_.end() || base->second <= 0) return;
        std::printf("\nRatio to the baseline (copying the 21 console lines):\n");
        for (const auto& [name, time] : times_)
            std::printf("  %-32s %10.1f x\n", name.c_str(), time / base->second);
    }

  private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::filesystem::remove_all(BenchFolder());
    benchmark::Shutdown();
    return 0;
}
