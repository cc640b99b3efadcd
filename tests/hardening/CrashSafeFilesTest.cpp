// A process that saves "router1.cfg" and "user.dat" over and over is killed
// with SIGKILL at random moments; after every kill both files must be whole:
// the content of one complete save, never torn, never missing. The process
// tells over a pipe when each save is done, and is killed only after it has
// saved again since the last kill, at a moment drawn within the time its
// last save took: so every kill lands in a run that is saving, however fast
// or slow the machine is.
//
// A kill between creating a save's temporary file and renaming it leaves
// that temporary file behind (".pellix-" and eight letters or digits). That
// is accepted: the router never reads such a file and the real file is
// whole. The test counts them and fails on any other leftover.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <iostream>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <utility>

#include "HardeningSupport.h"
#include "scoring/ScoreFile.h"
#include "state/ConfigFile.h"
#include "state/Files.h"

namespace pellix::hardening {
namespace {

constexpr int kKills = 300;

// Whether the saving commands earn the task: loading a TFTP copy, and
// saving.
bool EarnedBySaving(int task) {
    return task == Number(task::ConfigDownloaded) || task == Number(task::RunningConfigSaved);
}

// The text that save number g puts into slots 2 to 100: its number and a
// length that changes from save to save.
std::string GenerationText(long g) {
    return "g" + std::to_string(g) + std::string(static_cast<std::size_t>(g % 97), 'x');
}

// The slots are alike but for the host name and Ethernet0, which stays
// addressed and up so that the TFTP server is reached.
bool KeepsItsValue(int k) {
    return k == slot::Hostname || k == slot::Ethernet0Address || k == slot::Ethernet0Up;
}

// The configuration of save number g.
ConfigFile Generation(long g) {
    ConfigFile file;
    for (int k = kFirstSavedSlot; k <= kLastSlot; ++k) file.Set(k, GenerationText(g));
    file.Set(slot::Hostname, "Router");
    file.Set(slot::Ethernet0Address, "172.10.0.1");
    file.Set(slot::Ethernet0Up, "no");
    return file;
}

// The TFTP copies that the saving runs load their next configuration from.
bool IsGenerationFile(const std::string& name) {
    return name.starts_with("generation");
}

// The child: starts the router on the folder, enters privileged mode and
// saves the given number of times, changing every slot before each save by
// loading a TFTP copy of the next generation. Saves go through the console:
// "copy running-config startup-config" writes "router1.cfg", and the prompt
// after it writes "user.dat". With resetScore, the run zeroes the score
// first, so that its score files differ from those of a run that does not.
// With a report pipe, it writes one byte there after each save (and ends
// when nobody reads the pipe any more). Ends with status 0 when every load
// and save worked.
struct SavingRun {
    long firstGeneration;
    long saves = LONG_MAX;
    bool resetScore = false;
    std::string copy = "generation";  // the TFTP copy it loads from
    int report = -1;                  // the pipe's writing end, or -1
};

[[noreturn]] void SaveRepeatedly(const fs::path& folder, const SavingRun& run) {
    const std::string& copy = run.copy;
    Sim sim(folder);
    sim.Start();
    // The loaded slots hold an earlier save's texts, an enable password among
    // them.
    TypeCommand(sim, "reset passwords");
    if (run.resetScore) TypeCommand(sim, "reset score");
    TypeCommand(sim, "enable");
    if (sim.CurrentMode() != Mode::PrivilegedExec) ::_exit(3);
    for (long g = run.firstGeneration; g - run.firstGeneration < run.saves; ++g) {
        WriteFile(folder / copy, Generation(g).Text());
        Download(sim, copy);
        if (sim.Slots()[slot::EnableSecret] != GenerationText(g)) ::_exit(5);
        TypeCommand(sim, "copy running-config startup-config");
        if (sim.Lines()[19] != "[OK]") ::_exit(4);
        const char saved = 1;
        if (run.report >= 0 && ::write(run.report, &saved, 1) != 1) ::_exit(0);
    }
    ::_exit(0);
}

// The parent's end of a saving run's report pipe.
class SaveReports {
  public:
    SaveReports() {
        if (::pipe(ends_) != 0) ends_[0] = ends_[1] = -1;
    }
    ~SaveReports() {
        for (int end : ends_)
            if (end >= 0) ::close(end);
    }
    bool Open() const { return ends_[0] >= 0; }
    int WritingEnd() const { return ends_[1]; }
    // In the parent after the fork: only the child writes.
    void KeepReadingEnd() {
        ::close(ends_[1]);
        ends_[1] = -1;
    }
    // Waits for the next save to be done; false when the run ended without
    // one.
    bool NextSave() {
        char saved = 0;
        return ::read(ends_[0], &saved, 1) == 1;
    }

  private:
    int ends_[2];
};

// Slot 2's text when "router1.cfg" is one complete save (100 lines in the
// router's layout, the slots of one generation), else nothing.
std::optional<std::string> WholeConfig(const std::string& text) {
    std::optional<SavedSlots> slots = ReadConfigText(text);
    if (!slots) return std::nullopt;
    ConfigSlotTable table{};
    StoreSavedSlots(table, std::move(*slots));
    static const ConfigSlotTable kKept = Generation(0).Slots();
    const std::string& generation = table[slot::EnablePassword];
    for (int k = kFirstSavedSlot; k <= kLastSlot; ++k) {
        const std::string& expected = KeepsItsValue(k) ? kKept[k] : generation;
        if (table[static_cast<std::size_t>(k)] != expected) return std::nullopt;
    }
    if (ConfigFile(table).Text() != text) return std::nullopt;
    return generation;
}

// The text when "user.dat" is one complete save (50 records ending in CR LF,
// every entry alike but those the saving commands earn), else nothing.
std::optional<std::string> WholeScore(const std::string& text) {
    std::size_t records = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        records += text[i] == '\r' && text[i + 1] == '\n';
    if (records != 50 || !text.ends_with("\r\n")) return std::nullopt;
    TaskTable tasks = ReadScoreText(text);
    for (int t = 2; t <= kTaskCount; ++t)
        if (!EarnedBySaving(t) && tasks[static_cast<std::size_t>(t)] != tasks[1])
            return std::nullopt;
    return text;
}

// Both files exist before the runs: one complete save each, the score's
// entries all 5 but for the task of the save.
void PlaceFirstSave(const TempFolder& folder) {
    WriteFile(folder.File("router1.cfg"), Generation(0).Text());
    TaskTable tasks;
    tasks.fill(std::int16_t{5});
    tasks[0].reset();
    EntryOf(tasks, task::RunningConfigSaved) = 1;
    WriteFile(folder.File("user.dat"), ScoreFileText(tasks));
}

TEST(CrashSafeFiles, SigkillDuringSavesLeavesWholeFiles) {
    using Clock = std::chrono::steady_clock;
    TempFolder folder;
    PlaceFirstSave(folder);

    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> savesBeforeKill(2, 3);
    std::uniform_real_distribution<double> intoTheNextSave(0.0, 1.0);
    std::set<std::string> configsSeen;
    std::set<std::string> scoresSeen;
    int staleTemps = 0;

    for (int kill = 0; kill < kKills; ++kill) {
        SaveReports reports;
        ASSERT_TRUE(reports.Open()) << "pipe failed";
        pid_t child = ::fork();
        ASSERT_GE(child, 0) << "fork failed";
        if (child == 0)
            SaveRepeatedly(folder.Path(),
                           {.firstGeneration = 1000L * kill, .report = reports.WritingEnd()});
        reports.KeepReadingEnd();
        // A few saves done, then the kill somewhere in the next one: a moment
        // drawn within the time the last save took.
        Clock::time_point lastSave = Clock::now();
        Clock::duration saveTime{};
        for (int saves = savesBeforeKill(random); saves > 0; --saves) {
            if (!reports.NextSave()) {
                int status = 0;
                ::waitpid(child, &status, 0);
                FAIL() << "the saving process ended (status " << status << ") before kill " << kill;
            }
            saveTime = Clock::now() - lastSave;
            lastSave = Clock::now();
        }
        std::this_thread::sleep_for(
            std::chrono::duration_cast<Clock::duration>(saveTime * intoTheNextSave(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the saving process ended by itself before kill " << kill << " (status " << status
            << ")";

        ASSERT_TRUE(fs::is_regular_file(folder.File("router1.cfg"))) << "kill " << kill;
        ASSERT_TRUE(fs::is_regular_file(folder.File("user.dat"))) << "kill " << kill;
        std::optional<std::string> config = WholeConfig(ReadFile(folder.File("router1.cfg")));
        ASSERT_TRUE(config) << "router1.cfg torn after kill " << kill;
        std::optional<std::string> score = WholeScore(ReadFile(folder.File("user.dat")));
        ASSERT_TRUE(score) << "user.dat torn after kill " << kill;
        configsSeen.insert(*config);
        scoresSeen.insert(*score);

        // Only the two files and the temporary files of interrupted saves.
        for (const fs::directory_entry& e : fs::directory_iterator(folder.Path())) {
            std::string name = e.path().filename().string();
            if (name == "router1.cfg" || name == "user.dat" || IsGenerationFile(name)) continue;
            ASSERT_TRUE(IsTemporaryName(name))
                << "unexpected file " << name << " after kill " << kill;
            ++staleTemps;
            fs::remove(e.path());
        }
        ASSERT_TRUE(folder.StrayOutside().empty());
    }
    // Every run saved before its kill: the files moved on between kills.
    EXPECT_GT(configsSeen.size(), 1u);
    EXPECT_GT(scoresSeen.size(), 1u);
    std::cout << kKills << " kills, " << configsSeen.size() << " distinct router1.cfg and "
              << scoresSeen.size() << " distinct user.dat seen, " << staleTemps
              << " stale temporary files left by the kills\n";
    ::testing::Test::RecordProperty("stale_temp_files", staleTemps);
}

// Two runs of the router on one folder saving at the same moments, one with
// its score zeroed: every save succeeds, and whoever reads the files
// meanwhile finds one complete save each time, never a mix of the two runs'
// saves; no temporary file is left.
TEST(CrashSafeFiles, TwoRoutersSavingAtOnceLeaveWholeFiles) {
    TempFolder folder;
    PlaceFirstSave(folder);
    constexpr long kSaves = 150;
    pid_t runs[2];
    for (int r = 0; r < 2; ++r) {
        runs[r] = ::fork();
        ASSERT_GE(runs[r], 0) << "fork failed";
        if (runs[r] == 0)
            SaveRepeatedly(folder.Path(), {.firstGeneration = 100000L * (r + 1),
                                           .saves = kSaves,
                                           .resetScore = r == 0,
                                           .copy = "generation" + std::to_string(r)});
    }
    int reads = 0;
    for (int running = 2; running > 0;) {
        for (const char* name : {"router1.cfg", "user.dat"}) {
            std::string text = ReadFile(folder.File(name));
            bool whole =
                name[0] == 'r' ? WholeConfig(text).has_value() : WholeScore(text).has_value();
            ASSERT_TRUE(whole) << name << " torn while two routers saved";
            ++reads;
        }
        running = 0;
        for (pid_t& run : runs) {
            int status = 0;
            if (run > 0 && ::waitpid(run, &status, WNOHANG) == run) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                    << "a save failed while the other router saved (status " << status << ")";
                run = 0;
            }
            running += run > 0;
        }
    }
    EXPECT_TRUE(WholeConfig(ReadFile(folder.File("router1.cfg"))));
    EXPECT_TRUE(WholeScore(ReadFile(folder.File("user.dat"))));
    for (const fs::directory_entry& e : fs::directory_iterator(folder.Path()))
        EXPECT_TRUE(e.path().filename() == "router1.cfg" || e.path().filename() == "user.dat" ||
                    IsGenerationFile(e.path().filename().string()))
            << "left: " << e.path().filename();
    std::cout << reads << " whole files read while two routers saved " << kSaves << " times each\n";
}

}  // namespace
}  // namespace pellix::hardening
