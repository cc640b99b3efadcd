// The TFTP copies use files in the working folder only: whatever name the
// learner gives, an accepted upload writes a file directly inside the folder
// whose name holds only "-", digits, letters, "_" and "`"; every other name
// is refused with "Bad Name" and writes nothing. A download that cannot
// read a whole configuration changes no slot.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "HardeningSupport.h"
#include "state/ConfigFile.h"

namespace pellix::hardening {
namespace {

constexpr std::string_view kCopied = "1299 bytes copied in 1.132 secs (1299 bytes/sec)";

bool AllowedName(std::string_view name) {
    if (name.empty()) return false;
    for (unsigned char c : name)
        if (!(c == '-' || c == '_' || c == '`' || (c >= '0' && c <= '9') ||
              (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    return true;
}

// A router in privileged mode whose Ethernet0 is addressed and up, so that
// the server's address is accepted.
class TftpDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        sim_.Start();
        Command(sim_, "enable");
        ASSERT_EQ(sim_.CurrentMode(), Mode::PrivilegedExec);
        sim_.Slot(slot::Ethernet0Address) = "172.10.0.1";
        sim_.Slot(slot::Ethernet0Up) = "no";
    }

    // Answers the upload's file-name question with exactly these bytes (put
    // on the input line, as no key can type some of them). Returns whether
    // the upload was accepted.
    bool Upload(std::string_view name) {
        Command(sim_, "copy running-config tftp");
        Command(sim_, "172.10.0.10");
        EXPECT_EQ(sim_.CurrentMode(), Mode::UploadFile);
        sim_.Txt[InputLine] = sim_.CurrentPrompt() + std::string(name);
        sim_.KeyPressed(key::Enter);
        bool accepted = sim_.Lines()[19] == kCopied;
        if (!accepted) {
            EXPECT_EQ(sim_.Lines()[19], "%Error opening tftp://172.10.0.10/typed (Bad Name)")
                << "name \"" << name << "\"";
        }
        EXPECT_EQ(sim_.CurrentMode(), Mode::PrivilegedExec);
        return accepted;
    }

    // The file names in the working folder, apart from the router's own.
    std::set<std::string> CopyFiles() const {
        std::set<std::string> names;
        for (const fs::directory_entry& e : fs::directory_iterator(folder_.Work())) {
            std::string name = e.path().filename().string();
            if (name != "user.dat" && name != "router1.cfg") names.insert(name);
        }
        return names;
    }

    // Every name: refused, or accepted and written as a plain file of that
    // very name directly inside the folder.
    void CheckNames(const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            std::set<std::string> before = CopyFiles();
            bool accepted = Upload(name);
            std::set<std::string> after = CopyFiles();
            if (accepted) {
                // The typed name is trimmed of blanks before it is used.
                std::string used(name);
                while (!used.empty() && used.front() == ' ') used.erase(0, 1);
                while (!used.empty() && used.back() == ' ') used.pop_back();
                if (used.empty()) used = sim_.Slot(1) + "-config";  // the default name
                EXPECT_TRUE(AllowedName(used)) << "accepted \"" << name << "\"";
                EXPECT_TRUE(fs::is_regular_file(folder_.File(used))) << used;
                after.erase(used);
                before.erase(used);
            }
            EXPECT_EQ(after, before) << "name \"" << name << "\" wrote another file";
            ASSERT_TRUE(folder_.StrayOutside().empty()) << "name \"" << name << "\"";
            ASSERT_TRUE(folder_.TempFiles().empty()) << "name \"" << name << "\"";
        }
    }

    TempFolder folder_;
    Sim sim_{folder_.Work()};
};

TEST_F(TftpDialogs, UploadNamesNeverLeaveTheFolder) {
    CheckNames({"..",          ".",
                "/",           "a/b",
                "a.b",         "...",
                "../x",        "../../tmp/x",
                "/tmp/x",      "~",
                "~/x",         "a b",
                "router1.cfg", "user.dat",
                ".hidden",     "x.",
                "C:\\x",       "a\\b",
                "-",           "`",
                "_",           "Router-config",
                "back-up_2`",  "%2e%2e"});
}

TEST_F(TftpDialogs, UploadNamesOfEveryByte) {
    std::vector<std::string> names;
    for (int c = 0; c <= 255; ++c) names.emplace_back(1, static_cast<char>(c));
    CheckNames(names);
}

TEST_F(TftpDialogs, UploadNamesOfRandomBytes) {
    std::mt19937 random(99);
    std::uniform_int_distribution<int> length(1, 12), anyByte(0, 255), pick(0, 3);
    const std::string nameish = "-_`aZ09./ ";
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) {
        std::string name;
        for (int n = length(random); n > 0; --n)
            name += pick(random) == 0
                        ? static_cast<char>(anyByte(random))
                        : nameish[static_cast<std::size_t>(anyByte(random)) % nameish.size()];
        names.push_back(name);
    }
    CheckNames(names);
}

TEST_F(TftpDialogs, DownloadThatCannotBeReadChangesNoSlot) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
    };
    const std::vector<Case> cases = {
        {"missing", [](const fs::path&) {}},
        {"short99", [](const fs::path& f) { WriteFile(f, ConfigText({"Other"}, 99)); }},
        {"emptyfile", [](const fs::path& f) { WriteFile(f, ""); }},
        {"afolder", [](const fs::path& f) { fs::create_directory(f); }},
    };
    sim_.Slot(1) = "Keep";
    sim_.Slot(60) = "kept";
    for (const Case& c : cases) {
        c.make(folder_.File(c.name));
        ConfigSlotTable before = sim_.Slots();
        Command(sim_, "copy tftp running-config");
        Command(sim_, "172.10.0.10");
        ASSERT_EQ(sim_.CurrentMode(), Mode::DownloadFile) << c.name;
        Command(sim_, c.name);
        ASSERT_EQ(sim_.CurrentMode(), Mode::DownloadConfirm) << c.name;
        Command(sim_, "");
        EXPECT_EQ(sim_.Lines()[18], "!!") << c.name;
        EXPECT_EQ(sim_.Lines()[19], std::string("Unable to open file: ") + c.name);
        EXPECT_EQ(sim_.CurrentMode(), Mode::DownloadConfirm) << c.name;
        EXPECT_EQ(sim_.Slots(), before) << c.name;
        EXPECT_FALSE(sim_.Tasks()[21]) << c.name;
        Command(sim_, "n");
        EXPECT_EQ(sim_.CurrentMode(), Mode::PrivilegedExec) << c.name;
    }
}

}  // namespace
}  // namespace pellix::hardening
