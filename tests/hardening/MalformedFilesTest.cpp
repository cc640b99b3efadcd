// "router1.cfg" and "user.dat" in every bad shape a learner's folder can
// hold them: the router never crashes, refuses a configuration it cannot
// read whole with one "%Error" line naming the file, keeps what it had, and
// saves again afterwards wherever the folder allows it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "HardeningSupport.h"
#include "scoring/ScoreFile.h"
#include "state/ConfigFile.h"

namespace pellix::hardening {
namespace {

enum class Load { Refused, Loaded };
// Fails: the save changes nothing. FailsUnopened: the new file cannot even
// be created, so the router does not report building it.
enum class Save { Works, Fails, FailsUnopened };

// How a case puts the file (named by the case's table) into the folder.
using Make = std::function<void(const TempFolder&, const fs::path& file)>;

struct FileCase {
    const char* name;
    Make make;
    bool needsNonRoot;  // permissions that root ignores
};

std::string Bytes(std::size_t n, std::string_view excluded) {
    std::mt19937 random(7);
    std::string out;
    while (out.size() < n) {
        char c = static_cast<char>(random() & 0xFF);
        if (excluded.find(c) == std::string_view::npos) out += c;
    }
    return out;
}

const std::string kMegabyte(1 << 20, 'a');

// ---- router1.cfg ----

// What the good file holds: a hostname, Ethernet0 up and addressed, and a
// text with a comma and quotes. No enable password, so "enable" asks none.
ConfigFile Good() {
    ConfigFile file;
    file.Set(slot::Hostname, "Lab");
    file.Set(slot::Ethernet0Address, "172.10.0.1");
    file.Set(slot::Ethernet0Up, "no");
    file.Set(60, "a, \"b\"");
    return file;
}

ConfigFile With(ConfigFile file, int slot, std::string text) {
    file.Set(slot, std::move(text));
    return file;
}

// Slots 1 to 100.
std::vector<std::string> Saved(const ConfigSlotTable& slots) {
    return {slots.begin() + kFirstSavedSlot, slots.end()};
}

struct ConfigCase {
    FileCase file;
    Load load;
    ConfigSlotTable loaded;  // after a load
    Save save;
};

Make Content(std::string content) {
    return [content](const TempFolder&, const fs::path& file) { WriteFile(file, content); };
}

const std::vector<ConfigCase>& ConfigCases() {
    static const std::vector<ConfigCase> cases = {
        {{"Missing", [](const TempFolder&, const fs::path&) {}, false},
         Load::Refused,
         {},
         Save::Works},
        {{"Empty", Content(""), false}, Load::Refused, {}, Save::Works},
        {{"Lines99", Content(Good().Text(99, "\r\n")), false}, Load::Refused, {}, Save::Works},
        {{"Lines101", Content(Good().Text(101, "\r\n")), false},
         Load::Loaded,
         Good().Slots(),
         Save::Works},
        {{"BinaryBytes", Content(Bytes(4096, "\n")), false}, Load::Refused, {}, Save::Works},
        {{"NulBytes", Content(std::string(4096, '\0')), false}, Load::Refused, {}, Save::Works},
        {{"NulBytesInTexts", Content(With(Good(), 10, std::string("a\0b", 3)).Text()), false},
         Load::Loaded,
         With(Good(), 10, std::string("a\0b", 3)).Slots(),
         Save::Works},
        {{"MegabyteLine", Content(kMegabyte + "\r\n"), false}, Load::Refused, {}, Save::Works},
        {{"MegabyteLineAmongHundred", Content(With(Good(), 50, kMegabyte).Text()), false},
         Load::Loaded,
         With(Good(), 50, kMegabyte).Slots(),
         Save::Works},
        {{"CrOnlyLineEnds", Content(Good().Text(100, "\r")), false},
         Load::Refused,
         {},
         Save::Works},
        {{"LfOnlyLineEnds", Content(Good().Text(100, "\n")), false},
         Load::Loaded,
         Good().Slots(),
         Save::Works},
        {{"FolderInPlace",
          [](const TempFolder&, const fs::path& file) { fs::create_directory(file); }, false},
         Load::Refused,
         {},
         Save::Fails},
        {{"Unreadable",
          [](const TempFolder&, const fs::path& file) {
              WriteFile(file, Good().Text());
              fs::permissions(file, fs::perms::none);
          },
          true},
         Load::Refused,
         {},
         Save::FailsUnopened},  // no write permission either: never replaced
        {{"ReadOnlyFolder",
          [](const TempFolder& folder, const fs::path& file) {
              WriteFile(file, Good().Text());
              fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec);
          },
          true},
         Load::Loaded,
         Good().Slots(),
         Save::FailsUnopened},
    };
    return cases;
}

// A case's folder: the permission cases are skipped as root, and nothing may
// be written beside the working folder.
template <typename Case>
class FileCases : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        if (this->GetParam().file.needsNonRoot && RunningAsRoot())
            GTEST_SKIP() << "running as root, whom file and folder permissions do not stop";
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(folder_.Path(), fs::perms::owner_all, fs::perm_options::add, ec);
        EXPECT_TRUE(folder_.StrayOutside().empty()) << "written outside the folder";
    }
    TempFolder folder_;
};

// Test names and messages show the case by its name.
void PrintTo(const ConfigCase& c, std::ostream* os) {
    *os << c.file.name;
}

class ConfigFileCases : public FileCases<ConfigCase> {
  protected:
    // Saves and checks the outcome the case's folder allows.
    void SaveAndCheck(Sim& sim) {
        std::string prompt = sim.CurrentPrompt();
        TaskEntry before = EntryOf(sim.Tasks(), task::RunningConfigSaved);
        TypeCommand(sim, "copy running-config startup-config");
        const auto& lines = sim.Lines();
        if (GetParam().save == Save::FailsUnopened) {
            EXPECT_EQ(lines[18], prompt + "copy running-config startup-config");
        } else {
            EXPECT_EQ(lines[17], prompt + "copy running-config startup-config");
            EXPECT_EQ(lines[18], "Building Configuration...");
        }
        if (GetParam().save == Save::Works) {
            EXPECT_EQ(lines[19], "[OK]");
            EXPECT_EQ(EntryOf(sim.Tasks(), task::RunningConfigSaved), 1);
            std::optional<SavedSlots> saved = ReadConfigText(ReadFile(folder_.File("router1.cfg")));
            ASSERT_TRUE(saved);
            EXPECT_TRUE(std::equal(saved->begin(), saved->end(), sim.Slots().begin() + 1));
        } else {
            EXPECT_TRUE(lines[19].starts_with("%Error")) << lines[19];
            EXPECT_NE(lines[19].find("router1.cfg"), std::string::npos) << lines[19];
            EXPECT_EQ(EntryOf(sim.Tasks(), task::RunningConfigSaved), before);
        }
        EXPECT_EQ(lines[20], prompt);
        EXPECT_TRUE(folder_.TempFiles().empty()) << "a temporary file was left";
    }
};

TEST_P(ConfigFileCases, AtStartUp) {
    const ConfigCase& c = GetParam();
    c.file.make(folder_, folder_.File("router1.cfg"));
    Sim sim(folder_.Path());
    sim.Start();
    if (c.load == Load::Refused) {
        EXPECT_TRUE(sim.Lines()[11].starts_with("%Error")) << sim.Lines()[11];
        EXPECT_NE(sim.Lines()[11].find("router1.cfg"), std::string::npos) << sim.Lines()[11];
        EXPECT_EQ(Saved(sim.Slots()), Saved(ConfigFile().Set(slot::Hostname, "Router").Slots()));
    } else {
        EXPECT_EQ(sim.Lines()[11], "");
        EXPECT_EQ(Saved(sim.Slots()), Saved(c.loaded));
    }
    EXPECT_EQ(sim.InputText(), sim.Slots()[slot::Hostname] + ">");
    TypeCommand(sim, "enable");
    ASSERT_EQ(sim.CurrentMode(), Mode::PrivilegedExec);
    SaveAndCheck(sim);
}

TEST_P(ConfigFileCases, OnCopyStartRun) {
    const ConfigCase& c = GetParam();
    ConfigFile before;
    before.Set(slot::Hostname, "Before");
    before.Set(slot::Serial0Bandwidth, "56");
    WriteFile(folder_.File("router1.cfg"), before.Text());
    Sim sim(folder_.Path());
    sim.Start();
    TypeCommand(sim, "enable");
    ASSERT_EQ(Saved(sim.Slots()), Saved(before.Slots()));
    ASSERT_EQ(sim.CurrentMode(), Mode::PrivilegedExec);

    fs::remove(folder_.File("router1.cfg"));
    c.file.make(folder_, folder_.File("router1.cfg"));
    TypeCommand(sim, "copy startup-config running-config");
    const auto& lines = sim.Lines();
    if (c.load == Load::Refused) {
        EXPECT_EQ(lines[17], "Before#copy startup-config running-config");
        EXPECT_EQ(lines[18], "");
        EXPECT_TRUE(lines[19].starts_with("%Error")) << lines[19];
        EXPECT_NE(lines[19].find("router1.cfg"), std::string::npos) << lines[19];
        EXPECT_EQ(Saved(sim.Slots()), Saved(before.Slots()));
        EXPECT_FALSE(EntryOf(sim.Tasks(), task::StartupConfigLoaded));
        EXPECT_TRUE(sim.StripNotes().empty());
    } else {
        EXPECT_EQ(lines[18], "Before#copy startup-config running-config");
        EXPECT_EQ(lines[19], "");
        EXPECT_EQ(Saved(sim.Slots()), Saved(c.loaded));
        EXPECT_EQ(EntryOf(sim.Tasks(), task::StartupConfigLoaded), 1);
    }
    SaveAndCheck(sim);
}

INSTANTIATE_TEST_SUITE_P(RouterCfg, ConfigFileCases, ::testing::ValuesIn(ConfigCases()),
                         [](const auto& info) { return std::string(info.param.file.name); });

// ---- user.dat ----

using Problem = ScoreFileProblem::Action;

struct ScoreCase {
    FileCase file;
    std::vector<TaskEntry> loaded;  // entries 1 to 50 after start-up
    Save save;
    Problem problem;  // what the front ends are told
};

std::vector<TaskEntry> Entries(int ones, int firstOne = 1) {
    std::vector<TaskEntry> out(50);
    for (int t = firstOne; t <= ones; ++t) out[static_cast<std::size_t>(t - 1)] = 1;
    return out;
}

const std::vector<ScoreCase>& ScoreCases() {
    static const std::vector<ScoreCase> cases = {
        {{"Missing", [](const TempFolder&, const fs::path&) {}, false},
         Entries(0),
         Save::Works,
         Problem::None},
        {{"Empty", Content(""), false}, Entries(0), Save::Works, Problem::None},
        {{"Records49", Content(ScoreFileText(Ones(49))), false},
         Entries(49),
         Save::Works,
         Problem::None},
        {{"Records51", Content(ScoreFileText(Ones(51))), false},
         Entries(50),
         Save::Works,
         Problem::None},
        {{"BinaryBytes", Content(Bytes(4096, "\n,")), false},
         Entries(0),
         Save::Works,
         Problem::None},
        {{"NulBytes", Content(std::string(4096, '\0')), false},
         Entries(0),
         Save::Works,
         Problem::None},
        {{"MegabyteLine",
          Content(kMegabyte + "\r\n" +
                  ScoreFileText(Ones(50)).substr(ScoreFileText(Ones(1)).size())),
          false},
         Entries(50, 2),
         Save::Works,
         Problem::None},
        // Records end at LF: with CR alone the file is one record.
        {{"CrOnlyLineEnds", Content(ScoreFileText(Ones(50), "\r")), false},
         Entries(1),
         Save::Works,
         Problem::None},
        {{"LfOnlyLineEnds", Content(ScoreFileText(Ones(50), "\n")), false},
         Entries(50),
         Save::Works,
         Problem::None},
        // A file that exists but cannot be read is never replaced.
        {{"FolderInPlace",
          [](const TempFolder&, const fs::path& file) { fs::create_directory(file); }, false},
         Entries(0),
         Save::Fails,
         Problem::Read},
        {{"Unreadable",
          [](const TempFolder&, const fs::path& file) {
              WriteFile(file, ScoreFileText(Ones(50)));
              fs::permissions(file, fs::perms::none);
          },
          true},
         Entries(0),
         Save::Fails,
         Problem::Read},
        {{"ReadOnlyFolder",
          [](const TempFolder& folder, const fs::path& file) {
              WriteFile(file, ScoreFileText(Ones(50)));
              fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec);
          },
          true},
         Entries(50),
         Save::Fails,
         Problem::Write},
    };
    return cases;
}

void PrintTo(const ScoreCase& c, std::ostream* os) {
    *os << c.file.name;
}

class ScoreFileCases : public FileCases<ScoreCase> {};

TEST_P(ScoreFileCases, LoadThenSave) {
    const ScoreCase& c = GetParam();
    WriteFile(folder_.File("router1.cfg"), ConfigFile().Set(slot::Hostname, "Router").Text());
    fs::path file = folder_.File("user.dat");
    c.file.make(folder_, file);
    std::string contentBefore = fs::is_regular_file(file) ? ReadFile(file) : "";
    fs::perms permsBefore = fs::status(file).permissions();

    Sim sim(folder_.Path());
    sim.Start();
    EXPECT_EQ(sim.Lines()[11], "");
    EXPECT_FALSE(sim.Tasks()[0]);
    EXPECT_EQ(std::vector<TaskEntry>(sim.Tasks().begin() + 1, sim.Tasks().end()), c.loaded);
    EXPECT_EQ(sim.Label(), "OK");

    // The first prompt saves the table, and awarding a task saves it again.
    TypeCommand(sim, "");
    TypeCommand(sim, "show version");
    ASSERT_EQ(EntryOf(sim.Tasks(), task::VersionShown), 1);
    EXPECT_EQ(sim.InputText(), "Router>");
    if (c.save == Save::Works) {
        ASSERT_TRUE(fs::is_regular_file(file));
        TaskTable saved = ReadScoreText(ReadFile(file));
        for (int t = 1; t <= 50; ++t)
            EXPECT_EQ(saved[static_cast<std::size_t>(t)], sim.Tasks()[static_cast<std::size_t>(t)])
                << "record " << t;
    } else if (fs::is_regular_file(file)) {
        EXPECT_EQ(ReadFile(file), contentBefore) << "a failed save changed user.dat";
        EXPECT_EQ(fs::status(file).permissions(), permsBefore) << "user.dat was replaced";
    } else {
        EXPECT_TRUE(fs::is_directory(file));
    }
    // The front ends are told once; the router's own lines say nothing.
    sim.Finish();
    const ScoreFileProblem& problem = sim.ScoreProblem();
    EXPECT_EQ(problem.action, c.problem);
    EXPECT_EQ(problem.serial, c.problem == Problem::None ? 0u : 1u);
    if (c.problem != Problem::None) {
        EXPECT_NE(problem.Text().find(file.string()), std::string::npos) << problem.Text();
    }
    EXPECT_TRUE(folder_.TempFiles().empty()) << "a temporary file was left";
}

INSTANTIATE_TEST_SUITE_P(UserDat, ScoreFileCases, ::testing::ValuesIn(ScoreCases()),
                         [](const auto& info) { return std::string(info.param.file.name); });

}  // namespace
}  // namespace pellix::hardening
