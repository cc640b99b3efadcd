// Tests and fuzzers leave no folder behind, however they end: normally,
// without running destructors, on a trap, or killed at their time limit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "HardeningSupport.h"
#include "support/Cases.h"

namespace pellix::hardening {
namespace {

using support::CaseName;
using support::PrintTo;

// Whether the condition comes true: polled until it does, or until a
// deadline far above what a slow machine needs, which only a fault reaches.
template <typename Condition>
bool Eventually(Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Whether the folder goes (the watcher needs a moment after its owner has
// gone).
bool Gone(const fs::path& folder) {
    return Eventually([&] { return !fs::exists(folder); });
}

enum class End { Normal, WithoutDestructors, Trap, Killed, KilledWithItsGroup };

struct EndCase {
    const char* name;
    End end;
};

class TempFolders : public ::testing::TestWithParam<EndCase> {};

TEST_P(TempFolders, AreRemovedHoweverTheOwnerEnds) {
    const End end = GetParam().end;
    TempFolder base;
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setpgid(0, 0);
        ::close(report[0]);
        {
            TempFolder folder("pellix-temp-test", base.Path());
            fs::create_directories(folder.Path() / "deeper");
            fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec);
            char ready = 1;
            if (::write(report[1], &ready, 1) != 1) ::_exit(1);
            switch (end) {
                case End::Normal:
                    break;
                case End::WithoutDestructors:
                    ::_exit(0);
                case End::Trap:
                    __builtin_trap();
                case End::Killed:
                case End::KilledWithItsGroup:
                    ::pause();
            }
        }
        ::_exit(0);
    }
    ::close(report[1]);
    char ready = 0;
    ASSERT_EQ(::read(report[0], &ready, 1), 1);
    ::close(report[0]);
    if (end == End::Killed) ::kill(child, SIGKILL);
    if (end == End::KilledWithItsGroup) ::kill(-child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    fs::path folder;
    for (const fs::directory_entry& e : fs::directory_iterator(base.Path())) folder = e.path();
    EXPECT_TRUE(folder.empty() || Gone(folder)) << folder << " was left";
}

INSTANTIATE_TEST_SUITE_P(Owner, TempFolders,
                         ::testing::Values(EndCase{"Normal", End::Normal},
                                           EndCase{"WithoutDestructors", End::WithoutDestructors},
                                           EndCase{"Trap", End::Trap},
                                           EndCase{"Killed", End::Killed},
                                           EndCase{"KilledWithItsGroup", End::KilledWithItsGroup}),
                         CaseName());

// The event fuzzer's body, run over the transcripts, ends normally or is
// killed at its time limit: either way its folders go. The run to be killed
// takes a transcript, then a named pipe that nobody ever writes to: it is
// still running, waiting for that input, when the kill comes.
class EventFuzzerFolders : public ::testing::TestWithParam<EndCase> {};

TEST_P(EventFuzzerFolders, AreRemoved) {
    const bool killed = GetParam().end == End::Killed;
    TempFolder base;
    TempFolder inputs;
    const fs::path endless = inputs.File("endless-input");
    ASSERT_EQ(::mkfifo(endless.c_str(), 0600), 0);
    const std::string transcript = std::string(PELLIX_TRANSCRIPT_DIR) + "/welcome.txt";
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("PELLIX_FUZZ_TMP", base.Path().c_str(), 1);
        if (!std::freopen("/dev/null", "w", stdout)) ::_exit(1);
        ::execl(PELLIX_EVENT_CORPUS_EXE, PELLIX_EVENT_CORPUS_EXE, transcript.c_str(),
                killed ? endless.c_str() : nullptr, nullptr);
        ::_exit(127);
    }
    int writer = -1;
    if (killed) {
        // Killed once it has run the transcript in its folder and waits for
        // the next input: a writer can open the pipe only once the fuzzer
        // opens it for reading. The writer then stays open and silent.
        bool waiting = Eventually([&] {
            writer = ::open(endless.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            return writer >= 0;
        });
        ::kill(child, SIGKILL);
        EXPECT_TRUE(waiting) << "the fuzzer never came to its second input";
        EXPECT_FALSE(fs::is_empty(base.Path())) << "the fuzzer made no folder";
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (killed) {
        ASSERT_TRUE(WIFSIGNALED(status)) << "the fuzzer ended before it was killed: " << status;
    } else {
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_TRUE(Eventually([&] { return fs::is_empty(base.Path()); }))
        << "the fuzzer left its folder";
    if (writer >= 0) ::close(writer);
}

INSTANTIATE_TEST_SUITE_P(Fuzzer, EventFuzzerFolders,
                         ::testing::Values(EndCase{"Normal", End::Normal},
                                           EndCase{"Killed", End::Killed}),
                         CaseName());

}  // namespace
}  // namespace pellix::hardening
