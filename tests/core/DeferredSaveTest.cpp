// A front end that repaints before the score file is written defers the save
// of each prompt: the file must then hold exactly what saving at every prompt
// would have left, whenever the front end catches up, and Finish must save
// what is pending.
#include <gtest/gtest.h>

#include "console/Sim.h"
#include "support/TempFolder.h"
#include "support/Typing.h"

namespace pellix {
namespace {

namespace fs = std::filesystem;
using support::TempFolder;
using support::TypeCommand;

// Commands with more than one prompt between two saves: "?" shows one, and
// Enter after it another.
const char* const kCommands[] = {"enable", "?", "show history", "config t", "hostname Lab", "?"};

// The same commands in two routers: one saving at every prompt, one
// deferring its saves.
struct SideBySide {
    TempFolder now, later;
    Sim immediate{now.Path()}, deferred{later.Path()};
    SideBySide() {
        deferred.DeferScoreSaves();
        immediate.Start();
        deferred.Start();
    }
    void Both(const char* command) {
        TypeCommand(immediate, command);
        TypeCommand(deferred, command);
    }
};

TEST(DeferredScoreSaves, LeaveWhatSavingAtEveryPromptLeaves) {
    SideBySide runs;
    for (const char* command : kCommands) {
        runs.Both(command);
        EXPECT_EQ(runs.deferred.Lines(), runs.immediate.Lines()) << command;
        runs.deferred.SavePendingScore();
        EXPECT_EQ(runs.later.Read("user.dat"), runs.now.Read("user.dat")) << command;
    }
}

TEST(DeferredScoreSaves, WriteNothingUntilTheFrontEndAsks) {
    TempFolder folder;
    Sim sim(folder.Path());
    sim.DeferScoreSaves();
    sim.Start();
    TypeCommand(sim, "enable");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "user.dat"));
    sim.SavePendingScore();
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "user.dat"));
}

TEST(DeferredScoreSaves, FinishSavesWhatIsPending) {
    SideBySide runs;
    for (const char* command : kCommands) runs.Both(command);  // never caught up
    runs.immediate.Finish();
    runs.deferred.Finish();
    EXPECT_EQ(runs.later.Read("user.dat"), runs.now.Read("user.dat"));
}

}  // namespace
}  // namespace pellix
