// Files that are not plain files where the router expects one: a named pipe
// (FIFO) or a symbolic link. Opening a pipe for reading waits for a writer
// that never comes, so each case runs in a child process that must finish;
// one still running after two minutes (far longer than any slow machine
// needs) hangs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "HardeningSupport.h"

namespace pellix::hardening {
namespace {

// Runs body in a child; true when the child ended with status 0.
::testing::AssertionResult FinishesInTime(const std::function<bool()>& body) {
    pid_t child = ::fork();
    if (child < 0) return ::testing::AssertionFailure() << "fork failed";
    if (child == 0) ::_exit(body() ? 0 : 1);
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return ::testing::AssertionFailure() << "the router hangs";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return ::testing::AssertionFailure() << "the router misbehaved (status " << status << ")";
    return ::testing::AssertionSuccess();
}

class SpecialFiles : public ::testing::Test {
  protected:
    TempFolder folder_;
};

TEST_F(SpecialFiles, PipeAsStartupConfigIsRefused) {
    ASSERT_EQ(::mkfifo(folder_.File("router1.cfg").c_str(), 0644), 0);
    EXPECT_TRUE(FinishesInTime([&] {
        Sim sim(folder_.Path());
        sim.Start();
        return sim.Lines()[11].starts_with("%Error") && sim.Slots()[slot::Hostname] == "Router";
    }));
}

TEST_F(SpecialFiles, PipeAsScoreFileGivesAnEmptyTable) {
    ASSERT_EQ(::mkfifo(folder_.File("user.dat").c_str(), 0644), 0);
    EXPECT_TRUE(FinishesInTime([&] {
        Sim sim(folder_.Path());
        sim.Start();
        for (const TaskEntry& entry : sim.Tasks())
            if (entry) return false;
        return true;
    }));
}

TEST_F(SpecialFiles, PipeAsDownloadFileChangesNoSlot) {
    ASSERT_EQ(::mkfifo(folder_.File("pipe").c_str(), 0644), 0);
    WriteFile(folder_.File("router1.cfg"), ServerInReach().Text());
    EXPECT_TRUE(FinishesInTime([&] {
        Sim sim(folder_.Path());
        sim.Start();
        TypeCommand(sim, "enable");
        ConfigSlotTable before = sim.Slots();
        Download(sim, "pipe");
        return sim.Lines()[19] == "Unable to open file: pipe" && sim.Slots() == before;
    }));
}

// A link named "router1.cfg" or "user.dat" that points outside the folder is
// read through, but a save replaces the link itself: the file outside is
// never written.
TEST_F(SpecialFiles, SavesReplaceLinksInsteadOfWritingThroughThem) {
    fs::path outside = folder_.Parent() / "outside";
    fs::create_directory(outside);
    std::string config = ConfigFile().Set(slot::Hostname, "Linked").Text();
    std::string score = ScoreFileText(Ones(50));
    WriteFile(outside / "router1.cfg", config);
    WriteFile(outside / "user.dat", score);
    fs::create_symlink(outside / "router1.cfg", folder_.File("router1.cfg"));
    fs::create_symlink(outside / "user.dat", folder_.File("user.dat"));

    Sim sim(folder_.Path());
    sim.Start();
    EXPECT_EQ(sim.Slots()[slot::Hostname], "Linked");
    EXPECT_EQ(EntryOf(sim.Tasks(), task::ConfigModeEntered), 1);
    TypeCommand(sim, "enable");
    TypeCommand(sim, "reset score");
    TypeCommand(sim, "disable");
    TypeCommand(sim, "enable");
    TypeCommand(sim, "copy running-config startup-config");
    EXPECT_EQ(sim.Lines()[19], "[OK]");

    EXPECT_EQ(ReadFile(outside / "router1.cfg"), config);
    EXPECT_EQ(ReadFile(outside / "user.dat"), score);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder_.File("router1.cfg"))));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder_.File("user.dat"))));
}

}  // namespace
}  // namespace pellix::hardening
