// Tests and fuzzers leave no folder behind, however they end: normally,
// without running destructors, on a trap, or killed at their time limit.
#include <gtest/gtest.h>
#include <signal.h>
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

// Whether the folder is gone within a few seconds (the watcher needs a
// moment after its owner has gone).
bool GoneSoon(const fs::path& folder) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (fs::exists(folder)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
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
    EXPECT_TRUE(folder.empty() || GoneSoon(folder)) << folder << " was left";
}

INSTANTIATE_TEST_SUITE_P(Owner, TempFolders,
                         ::testing::Values(EndCase{"Normal", End::Normal},
                                           EndCase{"WithoutDestructors", End::WithoutDestructors},
                                           EndCase{"Trap", End::Trap},
                                           EndCase{"Killed", End::Killed},
                                           EndCase{"KilledWithItsGroup", End::KilledWithItsGroup}),
                         CaseName());

// The event fuzzer's body, run over the transcripts, ends normally or is
// killed at its time limit: either way its folders go.
class EventFuzzerFolders : public ::testing::TestWithParam<EndCase> {};

TEST_P(EventFuzzerFolders, AreRemoved) {
    TempFolder base;
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("PELLIX_FUZZ_TMP", base.Path().c_str(), 1);
        if (!std::freopen("/dev/null", "w", stdout)) ::_exit(1);
        const std::string input = GetParam().end == End::Normal
                                      ? std::string(PELLIX_TRANSCRIPT_DIR) + "/welcome.txt"
                                      : std::string(PELLIX_TRANSCRIPT_DIR);
        ::execl(PELLIX_EVENT_CORPUS_EXE, PELLIX_EVENT_CORPUS_EXE, input.c_str(), nullptr);
        ::_exit(127);
    }
    if (GetParam().end == End::Killed) {
        // Killed as soon as it works in its folder.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (fs::is_empty(base.Path()) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (GetParam().end == End::Normal) {
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    } else {
        ASSERT_TRUE(WIFSIGNALED(status)) << "the fuzzer ended before it was killed";
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!fs::is_empty(base.Path()) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(fs::is_empty(base.Path())) << "the fuzzer left its folder";
}

INSTANTIATE_TEST_SUITE_P(Fuzzer, EventFuzzerFolders,
                         ::testing::Values(EndCase{"Normal", End::Normal},
                                           EndCase{"Killed", End::Killed}),
                         CaseName());

}  // namespace
}  // namespace pellix::hardening
