// What a learner's folder collects over time: temporary files left by a
// program killed in the middle of a save, and files too large to be the
// router's.
#include <gtest/gtest.h>

#include <chrono>

#include "HardeningSupport.h"

namespace pellix::hardening {
namespace {

TEST(FolderUpkeep, StartUpRemovesOnlyStaleTemporaries) {
    TempFolder folder;
    struct Entry {
        const char* name;
        bool old;
        bool kept;
    };
    const Entry entries[] = {
        {".pellix-ab12cd34", true, false},  // left by a killed save
        {".pellix-x9y8z7w6", true, false},
        {".pellix-fresh123", false, true},  // may be a save under way
        {".hidden-notes", true, true},      // not ours
        {".pellix-toolongname", true, true},
        {".pellix-AB12CD34", true, true},
        {"R1-config", true, true},
    };
    for (const Entry& e : entries) {
        WriteFile(folder.File(e.name), "x");
        if (e.old)
            fs::last_write_time(folder.File(e.name),
                                fs::file_time_type::clock::now() - std::chrono::minutes(5));
    }
    Sim sim(folder.Path());
    sim.Start();
    for (const Entry& e : entries) EXPECT_EQ(e.kept, fs::exists(folder.File(e.name))) << e.name;
}

TEST(FolderUpkeep, OversizedFilesAreRefusedUnread) {
    TempFolder folder;
    for (const char* name : {"router1.cfg", "user.dat"}) {
        WriteFile(folder.File(name), ConfigFile().Set(slot::Hostname, "Big").Text());
        fs::resize_file(folder.File(name), (64u << 20) + 1);  // sparse: nothing is written
    }
    Sim sim(folder.Path());
    sim.Start();
    EXPECT_EQ(sim.Lines()[11], "%Error opening router1.cfg (File too large)");
    EXPECT_EQ(sim.Slots()[slot::Hostname], "Router");
    for (const TaskEntry& entry : sim.Tasks()) EXPECT_FALSE(entry.has_value());
}

}  // namespace
}  // namespace pellix::hardening
