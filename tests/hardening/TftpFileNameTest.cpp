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
#include "state/StartupConfig.h"

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

// What a learner can put on the input line of a name: the keys that type
// themselves, "?" aside (it asks for help and starts the line again).
std::string Typeable(std::string_view name) {
    std::string typed;
    for (unsigned char c : name)
        if (key::Types(c) && c != key::Help) typed += static_cast<char>(c);
    return typed;
}

// A router in privileged mode whose Ethernet0 is addressed and up, so that
// the server's address is accepted, with a configuration of its own that a
// failed download must leave as it is.
class TftpDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFile(folder_.File("router1.cfg"),
                  ServerInReach().Set(slot::Hostname, "Keep").Set(60, "kept").Text());
        sim_.Start();
        TypeCommand(sim_, "enable");
        ASSERT_EQ(sim_.CurrentMode(), Mode::PrivilegedExec);
    }

    // Answers the upload's file-name question with the name, typed key by
    // key. Returns whether the upload was accepted.
    bool Upload(std::string_view name) {
        TypeCommand(sim_, "copy running-config tftp");
        TypeCommand(sim_, "172.10.0.10");
        EXPECT_EQ(sim_.CurrentMode(), Mode::UploadFile);
        TypeCommand(sim_, name);
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
        for (const fs::directory_entry& e : fs::directory_iterator(folder_.Path())) {
            std::string name = e.path().filename().string();
            if (name != "user.dat" && name != "router1.cfg") names.insert(name);
        }
        return names;
    }

    // Every name: the rule admits exactly the allowed names, whatever their
    // bytes; and what the learner can type of it is refused, or accepted and
    // written as a plain file of that very name directly inside the folder.
    void CheckNames(const std::vector<std::string>& names) {
        for (const std::string& raw : names) {
            EXPECT_EQ(TftpFileNameAccepted(raw), AllowedName(raw)) << "name \"" << raw << "\"";
            const std::string name = Typeable(raw);
            std::set<std::string> before = CopyFiles();
            bool accepted = Upload(name);
            std::set<std::string> after = CopyFiles();
            if (accepted) {
                // The typed name is trimmed of blanks before it is used.
                std::string used(name);
                while (!used.empty() && used.front() == ' ') used.erase(0, 1);
                while (!used.empty() && used.back() == ' ') used.pop_back();
                if (used.empty()) used = sim_.Slots()[slot::Hostname] + "-config";  // the default
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
    Sim sim_{folder_.Path()};
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
        {"short99",
         [](const fs::path& f) {
             WriteFile(f, ConfigFile().Set(slot::Hostname, "Other").Text(99, "\r\n"));
         }},
        {"emptyfile", [](const fs::path& f) { WriteFile(f, ""); }},
        {"afolder", [](const fs::path& f) { fs::create_directory(f); }},
    };
    for (const Case& c : cases) {
        c.make(folder_.File(c.name));
        ConfigSlotTable before = sim_.Slots();
        TypeCommand(sim_, "copy tftp running-config");
        TypeCommand(sim_, "172.10.0.10");
        ASSERT_EQ(sim_.CurrentMode(), Mode::DownloadFile) << c.name;
        TypeCommand(sim_, c.name);
        ASSERT_EQ(sim_.CurrentMode(), Mode::DownloadConfirm) << c.name;
        TypeCommand(sim_, "");
        EXPECT_EQ(sim_.Lines()[18], "!!") << c.name;
        EXPECT_EQ(sim_.Lines()[19], std::string("Unable to open file: ") + c.name);
        EXPECT_EQ(sim_.CurrentMode(), Mode::DownloadConfirm) << c.name;
        EXPECT_EQ(sim_.Slots(), before) << c.name;
        EXPECT_FALSE(EntryOf(sim_.Tasks(), task::ConfigDownloaded)) << c.name;
        TypeCommand(sim_, "n");
        EXPECT_EQ(sim_.CurrentMode(), Mode::PrivilegedExec) << c.name;
    }
}

}  // namespace
}  // namespace pellix::hardening
