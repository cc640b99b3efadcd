// How long the router takes to answer, as ratios to a baseline measured in
// the same run: copying the 21 console lines, the least a front end does to
// draw after every key. Absolute times on shared machines are noise; the
// ratios are what to compare between runs.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "console/Sim.h"
#include "replay/Replay.h"
#include "scoring/ScoreFile.h"
#include "state/ConfigFile.h"
#include "state/DataFolder.h"
#include "support/TempFolder.h"
#include "support/Typing.h"

namespace {

// A learner's folder, removed however the benchmark ends.
const std::filesystem::path& BenchFolder() {
    static const pellix::support::TempFolder folder("pellix-bench");
    static const bool prepared = pellix::PrepareLearnerFolder(folder.Path()).empty();
    static_cast<void>(prepared);
    return folder.Path();
}

using pellix::support::TypeKeys;

void Baseline_CopyConsoleLines(benchmark::State& state) {
    pellix::Sim sim(BenchFolder());
    sim.Start();
    for (auto _ : state) {
        auto lines = sim.Lines();
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(Baseline_CopyConsoleLines);

void TypeOneCharacter(benchmark::State& state) {
    pellix::Sim sim(BenchFolder());
    sim.Start();
    for (auto _ : state) {
        sim.KeyPressed('x');
        sim.KeyPressed(pellix::key::Backspace);
    }
}
BENCHMARK(TypeOneCharacter);

// A whole command: dispatch, the display, the next prompt and the score file
// rewritten, as after every Enter.
void ShowRunningConfigCommand(benchmark::State& state) {
    pellix::Sim sim(BenchFolder());
    sim.Start();
    TypeKeys(sim, "enable\r");
    for (auto _ : state) TypeKeys(sim, "show running-config\r");
}
BENCHMARK(ShowRunningConfigCommand);

void StartUp(benchmark::State& state) {
    for (auto _ : state) {
        pellix::Sim sim(BenchFolder());
        sim.Start();
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

// ---- Pairs measured side by side ----
// Each iteration runs the yardstick once and the subject once, alternately,
// so that both see the same machine; the counters give their median times
// and the subject's ratio to the yardstick.

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

template <typename Yardstick, typename Subject>
void SideBySide(benchmark::State& state, Yardstick yardstick, Subject subject) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> base, measured;
    for (auto _ : state) {
        auto t0 = Clock::now();
        yardstick();
        auto t1 = Clock::now();
        subject();
        auto t2 = Clock::now();
        base.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        measured.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
    }
    double b = Median(base), m = Median(measured);
    state.counters["yardstick_us"] = b;
    state.counters["subject_us"] = m;
    state.counters["ratio"] = b > 0 ? m / b : 0;
}

// One command through the core, its score file rewrite included, against
// the least a durable save costs: the same 50 records written to a
// temporary file, synced and renamed over the file.
void Pair_CommandAgainstAtomicRewrite(benchmark::State& state) {
    pellix::Sim sim(BenchFolder());
    sim.Start();
    pellix::FillerSource fillers;
    std::string records = pellix::WriteScoreText(pellix::TaskTable{}, fillers);
    std::string target = (BenchFolder() / "yardstick.dat").string();
    std::string temporary = target + ".tmp";
    bool enabled = false;
    SideBySide(
        state,
        [&] {
            int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || ::write(fd, records.data(), records.size()) < 0 || ::fsync(fd) != 0)
                state.SkipWithError("cannot write the yardstick file");
            ::close(fd);
            std::rename(temporary.c_str(), target.c_str());
        },
        [&] {
            TypeKeys(sim, enabled ? "disable\r" : "enable\r");
            enabled = !enabled;
        });
}
BENCHMARK(Pair_CommandAgainstAtomicRewrite)->Iterations(200);

// Key events through the scripted driver, parsing included, against reading
// the same script's lines and nothing else.
std::string KeyScript(int events) {
    std::string script;
    for (int k = 0; k < events; ++k) script += k % 2 ? "bs\n" : "type a\n";
    return script;
}

void Pair_DriverAgainstLineReader(benchmark::State& state) {
    std::string script = KeyScript(static_cast<int>(state.range(0)));
    pellix::Sim sim(BenchFolder());
    sim.Start();
    std::ostringstream out, err;
    long lines = 0;
    SideBySide(
        state,
        [&] {
            FILE* in = fmemopen(script.data(), script.size(), "r");
            char* line = nullptr;
            std::size_t capacity = 0;
            while (getline(&line, &capacity, in) >= 0) ++lines;
            std::free(line);
            std::fclose(in);
        },
        [&] {
            std::istringstream in(script);
            pellix::RunScript(sim, in, out, err);
        });
    benchmark::DoNotOptimize(lines);
}
BENCHMARK(Pair_DriverAgainstLineReader)->Arg(100000)->Iterations(21);

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
    benchmark::Shutdown();
    return 0;
}
