// Every save reaches the disk in the order that survives a power loss: the
// new content written to a temporary file and flushed (fsync), then renamed
// over the file, then, for "router1.cfg" and TFTP uploads, the folder
// flushed so that the rename itself is kept. The score file is saved at every
// prompt and goes without the folder flush. The system calls of a real run of
// pellix-replay are watched with strace.
#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "HardeningSupport.h"
#include "support/Cases.h"
#include "support/Program.h"

namespace pellix::hardening {
namespace {

using support::CaseName;
using support::PrintTo;
using support::ShellQuoted;

// One system call as strace -y prints it: the call, the path of its first
// argument (a file descriptor), its quoted strings, and the path of the file
// descriptor it returned.
struct Call {
    std::string name;
    std::string fdPath;
    std::vector<std::string> strings;
    std::string resultPath;
};

std::vector<Call> ReadTrace(const std::string& log) {
    static const std::regex kLine(R"(^\d+ +(\w+)\((.*)\) += (.*)$)");
    static const std::regex kFirstFd(R"(^-?\w+<([^>]*)>)");
    static const std::regex kString(R"re("((?:[^"\\]|\\.)*)")re");
    static const std::regex kResultFd(R"(^\d+<([^>]*)>)");
    std::vector<Call> calls;
    std::istringstream in(log);
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (!std::regex_match(line, m, kLine)) continue;
        Call call;
        call.name = m[1];
        const std::string args = m[2], result = m[3];
        if (std::smatch fd; std::regex_search(args, fd, kFirstFd)) call.fdPath = fd[1];
        for (auto it = std::sregex_iterator(args.begin(), args.end(), kString);
             it != std::sregex_iterator(); ++it)
            call.strings.push_back((*it)[1]);
        if (std::smatch fd; std::regex_search(result, fd, kResultFd)) call.resultPath = fd[1];
        calls.push_back(std::move(call));
    }
    return calls;
}

bool IsFlush(const Call& call, const std::string& path) {
    return (call.name == "fsync" || call.name == "fdatasync") && call.fdPath == path;
}

// What is wrong with the order of the calls of each save of the file, or ""
// when every save keeps the order.
std::string OrderProblems(const std::vector<Call>& calls, const std::string& folder,
                          const std::string& file, bool folderFlushed) {
    std::string problems;
    int saves = 0;
    for (std::size_t r = 0; r < calls.size(); ++r) {
        const Call& rename = calls[r];
        if (!rename.name.starts_with("rename") || rename.strings.size() != 2 ||
            rename.strings[1] != file || rename.fdPath != folder)
            continue;
        ++saves;
        const std::string temp = folder + "/" + rename.strings[0];
        std::optional<std::size_t> created, lastWrite, flushed;
        for (std::size_t i = 0; i < r; ++i) {
            if (calls[i].name == "openat" && calls[i].resultPath == temp) created = i;
            if (!created) continue;
            if (calls[i].name == "write" && calls[i].fdPath == temp) lastWrite = i;
            if (IsFlush(calls[i], temp)) flushed = i;
        }
        const std::string save = file + " save " + std::to_string(saves) + ": ";
        if (!created) {
            problems += save + "no temporary file " + temp + " created before the rename\n";
            continue;
        }
        if (!lastWrite) problems += save + "nothing written to the temporary file\n";
        if (!flushed || (lastWrite && *flushed < *lastWrite))
            problems += save + "the temporary file is not flushed after its last write\n";
        if (!folderFlushed) continue;
        bool folderFlush = false;
        for (std::size_t i = r + 1; i < calls.size() && calls[i].name != "openat"; ++i)
            folderFlush = folderFlush || IsFlush(calls[i], folder);
        if (!folderFlush) problems += save + "the folder is not flushed after the rename\n";
    }
    if (saves == 0) problems += "no save of " + file + " seen\n";
    return problems;
}

struct SaveCase {
    const char* name;
    const char* file;
    bool folderFlushed;
};

class Durability : public ::testing::TestWithParam<SaveCase> {};

TEST_P(Durability, ContentFlushedBeforeTheRenameAndTheFolderAfterIt) {
    const SaveCase& c = GetParam();
    TempFolder folder;
    TempFolder scratch("pellix-strace");
    WriteFile(folder.File("router1.cfg"), ServerInReach().Text());
    // A prompt (the score), a save of the configuration, a TFTP upload under
    // the name offered (saved as "Router-config").
    const std::string script =
        "type enable\nenter\ntype copy running-config startup-config\nenter\n"
        "type copy running-config tftp\nenter\ntype 172.10.0.10\nenter\nenter\n";
    WriteFile(scratch.File("script"), script);
    const fs::path log = scratch.File("trace");
    support::ProgramRun run = support::RunShell(
        // The leak checker of a sanitizer build cannot work under strace.
        "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" "
        "strace -f -qq -y -s 4096 -o " +
            ShellQuoted(log) +
            " -e trace=openat,write,fsync,fdatasync,close,rename,renameat,renameat2 " +
            ShellQuoted(PELLIX_REPLAY_EXE) + " --dir " + ShellQuoted(folder.Path()) + " " +
            ShellQuoted(scratch.File("script")),
        scratch);
    ASSERT_EQ(run.status, 0) << "strace or pellix-replay failed (strace is installed by "
                                "scripts/install-deps.sh test): "
                             << run.err;
    ASSERT_TRUE(fs::exists(folder.File("Router-config"))) << "the upload did not happen";
    const std::string problems = OrderProblems(
        ReadTrace(ReadFile(log)), fs::canonical(folder.Path()).string(), c.file, c.folderFlushed);
    EXPECT_EQ(problems, "");
}

INSTANTIATE_TEST_SUITE_P(Saves, Durability,
                         ::testing::Values(SaveCase{"RouterCfg", "router1.cfg", true},
                                           SaveCase{"TftpUpload", "Router-config", true},
                                           SaveCase{"UserDat", "user.dat", false}),
                         CaseName());

}  // namespace
}  // namespace pellix::hardening
