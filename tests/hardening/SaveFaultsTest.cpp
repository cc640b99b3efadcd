// What a save promises: it never claims a file that the next start refuses
// (one size limit for writer and reader), never replaces a file that the
// learner may not write or a score file that could not be read, keeps a
// replaced file's mode and gives a new one 0666 less the umask, reports
// "Building Configuration..." only once its file exists, names the system's
// reason in its own words, and works for every name the TFTP rule admits.
// The input line is bounded, so that memory stays bounded whatever is
// pasted.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "HardeningSupport.h"
#include "scoring/ScoreFile.h"
#include "state/ConfigFile.h"
#include "state/Files.h"
#include "support/Cases.h"

namespace pellix::hardening {
namespace {

using support::CaseName;
using support::PrintTo;

constexpr std::string_view kCopied = "1299 bytes copied in 1.132 secs (1299 bytes/sec)";
constexpr std::string_view kSave = "copy running-config startup-config";
constexpr int kLongSlot = 60;  // a slot no prompt shows

// A router started on a fresh folder whose startup configuration has
// Ethernet0 addressed and up, so that the TFTP server is reached (the given
// files placed after it, which may replace it), in privileged mode.
class Router {
  public:
    explicit Router(const std::function<void(const TempFolder&)>& place = {}) {
        WriteFile(folder_.File("router1.cfg"), ServerInReach().Text());
        if (place) place(folder_);
        sim_.Start();
        TypeCommand(sim_, "enable");
    }
    Sim& sim() { return sim_; }
    const TempFolder& folder() const { return folder_; }
    fs::path File(std::string_view name) const { return folder_.File(name); }

    // The console lines under the command that the last command printed,
    // up to the prompt after them.
    std::vector<std::string> Printed(std::string_view command) const {
        std::vector<std::string> out;
        const auto& lines = sim_.Lines();
        int k = InputLine - 1;
        while (k >= 0 && !lines[k].ends_with(command)) --k;
        for (++k; k < InputLine; ++k) out.push_back(lines[k]);
        return out;
    }
    std::vector<std::string> Save() {
        TypeCommand(sim_, kSave);
        return Printed(kSave);
    }
    // The upload dialog with the given file name; what the last answer printed.
    std::vector<std::string> Upload(const std::string& name) {
        TypeCommand(sim_, "copy running-config tftp");
        TypeCommand(sim_, "172.10.0.10");
        TypeCommand(sim_, name);
        return Printed(name);
    }
    void Download(const std::string& name) { hardening::Download(sim_, name); }

  private:
    TempFolder folder_;
    Sim sim_{folder_.Path()};
};

using Lines = std::vector<std::string>;

fs::perms Mode(const fs::path& file) {
    return fs::status(file).permissions();
}

// ---- One size limit for the writer and the reader ----

enum class Via { StartupConfig, TftpUpload };

struct SizeCase {
    const char* name;
    Via via;
    long excess;  // bytes over the limit of the file the save would write
};

class SizeLimit : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeLimit, ASaveNeverWritesAFileTheReaderRefuses) {
    const SizeCase& c = GetParam();
    Router router;
    Sim& sim = router.sim();
    // The previous save, which must survive: the startup configuration.
    const std::string before = ReadFile(router.File("router1.cfg"));

    // One long slot that makes the file the router saves exactly limit +
    // excess bytes, loaded from a TFTP copy with LF line ends: 100 bytes
    // shorter than that, so that the reader takes it.
    ConfigFile big(sim.Slots());
    const std::size_t base = big.Text().size() - kEmptySlotMarker.size();
    big.Set(kLongSlot, std::string(kMaxFileSize + c.excess - base, 'w'));
    WriteFile(router.File("Long"), big.Text(kConfigLines, "\n"));
    router.Download("Long");
    ASSERT_EQ(sim.Lines()[19], kCopied);
    ASSERT_EQ(WriteConfigText(sim.Slots()).size(), kMaxFileSize + c.excess);
    const bool fits = c.excess <= 0;

    if (c.via == Via::StartupConfig) {
        Lines printed = router.Save();
        if (fits) {
            EXPECT_EQ(printed, (Lines{"Building Configuration...", "[OK]"}));
            EXPECT_EQ(EntryOf(sim.Tasks(), task::RunningConfigSaved), 1);
        } else {
            EXPECT_EQ(printed, (Lines{"Building Configuration...",
                                      "%Error writing router1.cfg (File too large)"}));
            EXPECT_FALSE(EntryOf(sim.Tasks(), task::RunningConfigSaved));
            EXPECT_EQ(ReadFile(router.File("router1.cfg")), before) << "the saved file was lost";
        }
        // What was claimed is what the next start loads.
        Sim next(router.folder().Path());
        next.Start();
        EXPECT_EQ(next.Lines()[11], "");
        EXPECT_EQ(next.Slots()[kLongSlot].size(), fits ? sim.Slots()[kLongSlot].size() : 0u);
    } else {
        Lines printed = router.Upload("Big");
        if (fits) {
            EXPECT_EQ(printed, (Lines{"!!", std::string(kCopied)}));
            EXPECT_EQ(sim.CurrentMode(), Mode::PrivilegedExec);
            // Another router loads the copy whole.
            Router other;
            fs::copy_file(router.File("Big"), other.File("Big"));
            other.Download("Big");
            EXPECT_EQ(other.sim().Lines()[19], kCopied);
            EXPECT_EQ(other.sim().Slots()[kLongSlot], sim.Slots()[kLongSlot]);
        } else {
            EXPECT_EQ(printed, (Lines{"!!", "Unable to write file."}));
            EXPECT_EQ(sim.CurrentMode(), Mode::UploadFile);
            EXPECT_FALSE(fs::exists(router.File("Big")));
            EXPECT_FALSE(EntryOf(sim.Tasks(), task::ConfigUploaded));
        }
    }
    EXPECT_TRUE(router.folder().TempFiles().empty()) << "a temporary file was left";
}

INSTANTIATE_TEST_SUITE_P(Saves, SizeLimit,
                         ::testing::Values(SizeCase{"StartupAtLimit", Via::StartupConfig, 0},
                                           SizeCase{"StartupOverLimit", Via::StartupConfig, 1},
                                           SizeCase{"TftpAtLimit", Via::TftpUpload, 0},
                                           SizeCase{"TftpOverLimit", Via::TftpUpload, 1}),
                         CaseName());

// ---- The input line is bounded ----

struct TypedCase {
    const char* name;
    std::size_t typed;
    std::size_t kept;
};

class InputBound : public ::testing::TestWithParam<TypedCase> {};

TEST_P(InputBound, FurtherCharactersAreDropped) {
    const TypedCase& c = GetParam();
    Router router;
    Sim& sim = router.sim();
    const std::string prompt = sim.CurrentPrompt();
    for (std::size_t i = 0; i < c.typed; ++i) sim.KeyPressed('x');
    EXPECT_EQ(sim.InputText(), prompt + std::string(c.kept, 'x'));
    // The keys with a meaning still work on a full line.
    sim.KeyPressed(key::Backspace);
    sim.KeyPressed('y');
    EXPECT_EQ(sim.InputText(), prompt + std::string(c.kept - 1, 'x') + "y");
    sim.KeyPressed(key::Enter);
    const std::string ran = prompt + std::string(c.kept - 1, 'x') + "y";
    EXPECT_NE(std::find(sim.Lines().begin(), sim.Lines().end(), ran), sim.Lines().end());
    EXPECT_EQ(sim.InputText(), prompt);
    EXPECT_EQ(sim.History().back().size(), c.kept);
}

INSTANTIATE_TEST_SUITE_P(Typing, InputBound,
                         ::testing::Values(TypedCase{"Short", 100, 100},
                                           TypedCase{"AtBound", 4096, 4096},
                                           TypedCase{"OneOver", 4097, 4096},
                                           TypedCase{"LargePaste", 1 << 20, 4096}),
                         CaseName());

// ---- Files the learner may not write, and a score file that cannot be read ----

struct LockedCase {
    const char* name;
    const char* file;  // in the folder
    fs::perms mode;
    // What the commands print: the save's lines, or the upload's.
    std::function<Lines(Router&)> act;
    Lines printed;
};

std::string PlacedContent(std::string_view file) {
    return file == "user.dat" ? ScoreFileText(Ones(10))
                              : ConfigFile().Set(slot::Hostname, "Mine").Text();
}

// Cases about the learner's permissions, which do not stop root.
template <typename Case>
class AsLearner : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        if (RunningAsRoot())
            GTEST_SKIP() << "running as root, whom file and folder permissions do not stop";
    }
};

using LockedFiles = AsLearner<LockedCase>;

TEST_P(LockedFiles, AreNeverReplaced) {
    const LockedCase& c = GetParam();
    const std::string content = PlacedContent(c.file);
    Router router([&](const TempFolder& folder) {
        WriteFile(folder.File(c.file), content);
        fs::permissions(folder.File(c.file), c.mode);
    });
    Sim& sim = router.sim();
    EXPECT_EQ(c.act(router), c.printed);
    TypeCommand(sim, "show version");
    sim.Finish();

    const fs::path file = router.File(c.file);
    EXPECT_EQ(Mode(file), c.mode) << "the file was replaced";
    fs::permissions(file, fs::perms::owner_read, fs::perm_options::add);
    EXPECT_EQ(ReadFile(file), content) << "the file was changed";
    EXPECT_TRUE(router.folder().TempFiles().empty()) << "a temporary file was left";
    // The run itself goes on with its score in memory.
    EXPECT_EQ(EntryOf(sim.Tasks(), task::VersionShown), 1);
    EXPECT_EQ(sim.Label().substr(0, 7), "Score: ");
}

Lines SaveLines(Router& router) {
    return router.Save();
}

INSTANTIATE_TEST_SUITE_P(
    Learner, LockedFiles,
    ::testing::Values(LockedCase{"ReadOnlyStartupConfig",
                                 "router1.cfg",
                                 fs::perms::owner_read,
                                 SaveLines,
                                 {"%Error writing router1.cfg (Permission denied)"}},
                      LockedCase{"UnreadableStartupConfig",
                                 "router1.cfg",
                                 fs::perms::none,
                                 SaveLines,
                                 {"%Error writing router1.cfg (Permission denied)"}},
                      LockedCase{"ReadOnlyTftpCopy",
                                 "Mine-config",
                                 fs::perms::owner_read,
                                 [](Router& r) {
                                     Lines printed = r.Upload("Mine-config");
                                     r.sim().KeyPressed(key::CtrlZ);  // leaves the dialog
                                     return printed;
                                 },
                                 {"!!", "Unable to write file."}},
                      LockedCase{"ReadOnlyScoreFile",
                                 "user.dat",
                                 fs::perms::owner_read,
                                 SaveLines,
                                 {"Building Configuration...", "[OK]"}},
                      LockedCase{"UnreadableScoreFile",
                                 "user.dat",
                                 fs::perms::none,
                                 SaveLines,
                                 {"Building Configuration...", "[OK]"}}),
    CaseName());

// The front ends are told once about a score file that cannot be read or
// written, and what they are told names the file and the reason.
struct ProblemCase {
    const char* name;
    fs::perms mode;
    ScoreFileProblem::Action action;
};

using ScoreProblems = AsLearner<ProblemCase>;

TEST_P(ScoreProblems, AreToldOnce) {
    const ProblemCase& c = GetParam();
    Router router([&](const TempFolder& folder) {
        WriteFile(folder.File("user.dat"), PlacedContent("user.dat"));
        fs::permissions(folder.File("user.dat"), c.mode);
    });
    Sim& sim = router.sim();
    for (int i = 0; i < 5; ++i) TypeCommand(sim, "show version");
    const ScoreFileProblem& problem = sim.ScoreProblem();
    EXPECT_EQ(problem.action, c.action);
    EXPECT_EQ(problem.serial, 1u) << "told more than once";
    EXPECT_EQ(problem.file, router.File("user.dat"));
    EXPECT_NE(problem.Text().find(router.File("user.dat").string() + " cannot be "),
              std::string::npos)
        << problem.Text();
    EXPECT_NE(problem.Text().find("(Permission denied)"), std::string::npos) << problem.Text();
    // The router's own lines and strip say nothing of it.
    for (const std::string& line : sim.Lines())
        EXPECT_EQ(line.find("user.dat"), std::string::npos) << line;
    EXPECT_EQ(sim.StripNotes(), (std::vector<std::string>{"Show version executed"}));
}

INSTANTIATE_TEST_SUITE_P(Learner, ScoreProblems,
                         ::testing::Values(ProblemCase{"Unreadable", fs::perms::none,
                                                       ScoreFileProblem::Action::Read},
                                           ProblemCase{"ReadOnly", fs::perms::owner_read,
                                                       ScoreFileProblem::Action::Write}),
                         CaseName());

// ---- Saved files keep their mode; new ones get 0666 less the umask ----

struct ModeCase {
    const char* name;
    const char* file;
    mode_t umask;
    std::optional<fs::perms> before;  // nothing: the save creates the file
    fs::perms after;
};

class SavedModes : public ::testing::TestWithParam<ModeCase> {
  protected:
    void SetUp() override { saved_ = ::umask(GetParam().umask); }
    void TearDown() override { ::umask(saved_); }
    mode_t saved_ = 0;
};

TEST_P(SavedModes, FollowTheFileOrTheUmask) {
    const ModeCase& c = GetParam();
    const std::string name = c.file;
    Router router([&](const TempFolder& folder) {
        if (!c.before) {  // the save creates the file
            fs::remove(folder.File(name));
            return;
        }
        WriteFile(folder.File(name), PlacedContent(name));
        fs::permissions(folder.File(name), *c.before);
    });
    Sim& sim = router.sim();
    if (name == "router1.cfg") {
        router.Save();
        ASSERT_EQ(sim.Lines()[19], "[OK]");
    } else if (name == "user.dat") {
        TypeCommand(sim, "show version");
    } else {
        router.Upload(name);
        ASSERT_EQ(sim.Lines()[19], kCopied);
    }
    EXPECT_EQ(Mode(router.File(name)), c.after);
}

constexpr fs::perms kRw = fs::perms::owner_read | fs::perms::owner_write;
constexpr fs::perms kRwR = kRw | fs::perms::group_read;
constexpr fs::perms kRwRR = kRwR | fs::perms::others_read;
constexpr fs::perms kRwRwR = kRwRR | fs::perms::group_write;

INSTANTIATE_TEST_SUITE_P(
    Files, SavedModes,
    ::testing::Values(ModeCase{"NewConfigUmask022", "router1.cfg", 022, std::nullopt, kRwRR},
                      ModeCase{"NewConfigUmask077", "router1.cfg", 077, std::nullopt, kRw},
                      ModeCase{"NewScoreUmask002", "user.dat", 002, std::nullopt, kRwRwR},
                      ModeCase{"NewTftpCopyUmask027", "R1-copy", 027, std::nullopt, kRwR},
                      ModeCase{"PrivateConfigKept", "router1.cfg", 022, kRw, kRw},
                      ModeCase{"SharedConfigKept", "router1.cfg", 077, kRwRwR, kRwRwR},
                      ModeCase{"PrivateScoreKept", "user.dat", 022, kRw, kRw},
                      ModeCase{"GroupTftpCopyKept", "R1-copy", 002, kRwR, kRwR}),
    CaseName());

// ---- "Building Configuration..." once the file exists; reasons in their own words ----

// Runs body in a child process with a private mount namespace in which a
// small tmpfs is mounted on the folder; returns the lines the child reports,
// or nothing when the system allows no such namespace.
std::optional<Lines> OnOwnFileSystem(const fs::path& folder, const char* options,
                                     const std::function<void()>& prepare,
                                     const std::function<Lines()>& body) {
    int out[2];
    if (::pipe(out) != 0) return std::nullopt;
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        auto write = [](const char* file, const std::string& text) { std::ofstream(file) << text; };
        if (::unshare(CLONE_NEWNS) != 0) {
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) ::_exit(3);
            write("/proc/self/setgroups", "deny");
            write("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
            write("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
        }
        // Nothing mounted here may reach the rest of the system.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("pellix-test", folder.c_str(), "tmpfs", 0, "size=256k,mode=0755") != 0)
            ::_exit(3);
        prepare();
        if (options && ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr))
            ::_exit(3);
        std::string text;
        for (const std::string& line : body()) text += line + "\n";
        ssize_t written = ::write(out[1], text.data(), text.size());
        ::_exit(written == static_cast<ssize_t>(text.size()) ? 0 : 4);
    }
    ::close(out[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 3) return std::nullopt;
    Lines lines;
    for (std::size_t at = 0, lf; (lf = text.find('\n', at)) != std::string::npos; at = lf + 1)
        lines.push_back(text.substr(at, lf - at));
    return lines;
}

enum class Place { Plain, FolderInPlace, FullDisk, ReadOnlyFileSystem, ReadOnlyFolder };

struct FailureCase {
    const char* name;
    Place place;
    Lines printed;  // under "copy running-config startup-config"
};

class SaveFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(SaveFailures, ReportBuildingOnlyOnceTheFileExists) {
    const FailureCase& c = GetParam();
    if (c.place == Place::ReadOnlyFolder && RunningAsRoot())
        GTEST_SKIP() << "running as root, whom folder permissions do not stop";
    TempFolder folder;
    const std::string before = ConfigFile().Set(slot::Hostname, "Before").Text();
    auto prepare = [&] {
        if (c.place == Place::FolderInPlace) {
            fs::create_directory(folder.File("router1.cfg"));
            return;
        }
        WriteFile(folder.File("router1.cfg"), before);
        // Fill the disk up to its last byte.
        if (c.place == Place::FullDisk) {
            std::ofstream fill(folder.File("fill"), std::ios::binary);
            std::string block(4096, 'f');
            while (fill.write(block.data(), block.size())) {
            }
        }
    };
    auto save = [&] {
        Sim sim(folder.Path());
        sim.Start();
        for (const char* command : {"enable", "configure terminal", "hostname After", "exit"})
            TypeCommand(sim, command);
        TypeCommand(sim, kSave);
        Lines out;
        int k = InputLine - 1;
        while (!sim.Lines()[k].ends_with(kSave)) --k;
        for (++k; k < InputLine; ++k) out.push_back(sim.Lines()[k]);
        if (c.place != Place::FolderInPlace)
            out.push_back(ReadFile(folder.File("router1.cfg")) == before ? "kept" : "replaced");
        out.push_back(folder.TempFiles().empty() ? "no temporary file" : "a temporary file");
        return out;
    };
    Lines printed = c.printed;
    if (c.place != Place::FolderInPlace)
        printed.push_back(printed.back() == "[OK]" ? "replaced" : "kept");
    printed.push_back("no temporary file");

    if (c.place == Place::FullDisk || c.place == Place::ReadOnlyFileSystem) {
        std::optional<Lines> got = OnOwnFileSystem(
            folder.Path(), c.place == Place::ReadOnlyFileSystem ? "ro" : nullptr, prepare, save);
        if (!got) GTEST_SKIP() << "no private mount namespace allowed here";
        EXPECT_EQ(*got, printed);
        return;
    }
    prepare();
    if (c.place == Place::ReadOnlyFolder)
        fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(save(), printed);
}

INSTANTIATE_TEST_SUITE_P(
    Saves, SaveFailures,
    ::testing::Values(FailureCase{"Plain", Place::Plain, {"Building Configuration...", "[OK]"}},
                      FailureCase{"FolderInPlace",
                                  Place::FolderInPlace,
                                  {"Building Configuration...",
                                   "%Error writing router1.cfg (Is a directory)"}},
                      FailureCase{"FullDisk",
                                  Place::FullDisk,
                                  {"Building Configuration...",
                                   "%Error writing router1.cfg (No space left on device)"}},
                      FailureCase{"ReadOnlyFileSystem",
                                  Place::ReadOnlyFileSystem,
                                  {"%Error writing router1.cfg (Read-only file system)"}},
                      FailureCase{"ReadOnlyFolder",
                                  Place::ReadOnlyFolder,
                                  {"%Error writing router1.cfg (Permission denied)"}}),
    CaseName());

// ---- Every name the TFTP rule admits can be written ----

struct NameCase {
    const char* name;
    std::size_t length;
    bool written;  // longer names than the folder can hold cannot be
};

class TftpNameLengths : public ::testing::TestWithParam<NameCase> {};

TEST_P(TftpNameLengths, UploadWheneverTheNameFits) {
    const NameCase& c = GetParam();
    Router router;
    const std::string name(c.length, 'n');
    Lines printed = router.Upload(name);
    if (c.written) {
        EXPECT_EQ(printed, (Lines{"!!", std::string(kCopied)}));
        EXPECT_TRUE(fs::is_regular_file(router.File(name)));
    } else {
        EXPECT_EQ(printed, (Lines{"!!", "Unable to write file."}));
    }
    EXPECT_TRUE(router.folder().TempFiles().empty()) << "a temporary file was left";
}

INSTANTIATE_TEST_SUITE_P(
    Upload, TftpNameLengths,
    ::testing::Values(NameCase{"Length200", 200, true}, NameCase{"Length243", 243, true},
                      NameCase{"Length244", 244, true}, NameCase{"Length250", 250, true},
                      NameCase{"Length255", 255, true}, NameCase{"Length256", 256, false}),
    CaseName());

}  // namespace
}  // namespace pellix::hardening
