// Start-up and the copy commands through the core's own interface, on files
// in a temporary folder: what a short or missing router1.cfg shows and keeps,
// and what a save writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "console/Sim.h"
#include "support/Files.h"
#include "support/Tasks.h"
#include "support/TempFolder.h"
#include "support/Typing.h"

namespace pellix {
namespace {

namespace fs = std::filesystem;
using support::EntryOf;
using support::TempFolder;
using support::TypeCommand;

// A configuration file of the given number of lines: slot 1 "Saved", slot k
// "sk".
std::string ConfigLines(int count, std::string_view end = "\r\n") {
    support::ConfigFile file;
    file.Set(slot::Hostname, "Saved");
    for (int k = 2; k <= kLastSlot; ++k) file.Set(k, "s" + std::to_string(k));
    return file.Text(count, end);
}

bool IsStartupError(const std::string& line) {
    return line.starts_with("%Error") && line.find("router1.cfg") != std::string::npos;
}

TEST(StartupConfig, ShortOrMissingFileChangesNothing) {
    struct Case {
        const char* name;
        bool present;
        std::string content;
    };
    const Case cases[] = {
        {"99 lines", true, ConfigLines(99)},
        {"empty", true, ""},
        {"missing", false, ""},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        if (c.present) folder.Write("router1.cfg", c.content);
        Sim sim(folder.Path());
        sim.Start();
        EXPECT_TRUE(IsStartupError(sim.Lines()[11])) << c.name << ": |" << sim.Lines()[11] << "|";
        EXPECT_EQ("Router>", sim.Lines()[20]) << c.name;
        EXPECT_EQ("Router", sim.Slots()[slot::Hostname]) << c.name;
        for (int k = 2; k <= 100; ++k) EXPECT_EQ("", sim.Slots()[k]) << c.name << " " << k;

        TypeCommand(sim, "enable");
        TypeCommand(sim, "copy start run");
        // the command, its empty line, the error, the prompt
        EXPECT_EQ("Router#copy start run", sim.Lines()[17]) << c.name;
        EXPECT_EQ("", sim.Lines()[18]) << c.name;
        EXPECT_TRUE(IsStartupError(sim.Lines()[19])) << c.name << ": |" << sim.Lines()[19] << "|";
        EXPECT_EQ("Router#", sim.Lines()[20]) << c.name;
        EXPECT_TRUE(sim.StripNotes().empty()) << c.name;
        EXPECT_FALSE(EntryOf(sim.Tasks(), task::StartupConfigLoaded).value_or(0)) << c.name;
        EXPECT_EQ("Router", sim.Slots()[slot::Hostname]) << c.name;
        EXPECT_EQ(c.present, fs::exists(folder.Path() / "router1.cfg")) << c.name;
        if (c.present) {
            EXPECT_EQ(c.content, folder.Read("router1.cfg")) << c.name;
        }
    }
}

TEST(StartupConfig, FullFileLoadsWithEitherLineEnd) {
    for (const char* end : {"\r\n", "\n"}) {
        TempFolder folder;
        folder.Write("router1.cfg", ConfigLines(100, end));
        Sim sim(folder.Path());
        sim.Start();
        EXPECT_EQ("", sim.Lines()[11]);
        EXPECT_EQ("Saved>", sim.Lines()[20]);
        EXPECT_EQ("Saved con0 is now available", sim.Lines()[6]);
        for (int k = 2; k <= 100; ++k) EXPECT_EQ("s" + std::to_string(k), sim.Slots()[k]);
    }
}

TEST(StartupConfig, SaveWritesEverySlotByteForByte) {
    TempFolder folder;
    Sim sim(folder.Path());
    sim.Start();
    TypeCommand(sim, "enable");
    TypeCommand(sim, "configure terminal");
    TypeCommand(sim, "hostname  \"R, 1\"");
    sim.KeyPressed(key::CtrlZ);
    TypeCommand(sim, "copy run start");
    EXPECT_EQ("Building Configuration...", sim.Lines()[18]);
    EXPECT_EQ("[OK]", sim.Lines()[19]);
    std::string expected = " 1             \"R, 1\"\r\n";
    for (int k = 2; k <= 100; ++k) {
        std::string number = " " + std::to_string(k);
        expected += number + std::string(14 - number.size(), ' ') + "-=-\r\n";
    }
    EXPECT_EQ(expected, folder.Read("router1.cfg"));

    // the next run reads the same hostname back, leading blank included
    Sim next(folder.Path());
    next.Start();
    EXPECT_EQ(" \"R, 1\"", next.Slots()[slot::Hostname]);
    EXPECT_EQ(" \"R, 1\">", next.Lines()[20]);
    // nothing but the two files is left in the folder
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder.Path())) {
        ++files;
        EXPECT_TRUE(entry.path().filename() == "router1.cfg" ||
                    entry.path().filename() == "user.dat")
            << entry.path();
    }
    EXPECT_EQ(2, files);
}

}  // namespace
}  // namespace pellix
