// A front end that repaints before the score file is written defers the save
// of each prompt: the file must then hold exactly what saving at every prompt
// would have left, whenever the front end catches up, and Finish must save
// what is pending.
#include <gtest/gtest.h>

#include <string>

#include "TestFolder.h"
#include "console/Sim.h"

namespace pellix {
namespace {

// Commands with more than one prompt between two saves: "?" shows one, and
// Enter after it another.
const char* const kCommands[] = {"enable", "?", "show history", "config t", "hostname Lab", "?"};

void Enter(Sim& sim, const char* command) {
    std::string text = command;
    if (text == "?") {
        sim.KeyPressed('?');
        sim.KeyPressed(13);
    } else {
        Type(sim, text);
    }
}

TEST(DeferredScoreSaves, LeaveWhatSavingAtEveryPromptLeaves) {
    Folder now, later;
    Sim immediate(now.Path()), deferred(later.Path());
    deferred.DeferScoreSaves();
    immediate.Start();
    deferred.Start();
    for (const char* command : kCommands) {
        Enter(immediate, command);
        Enter(deferred, command);
        EXPECT_EQ(deferred.Lines(), immediate.Lines()) << command;
        deferred.SavePendingScore();
        EXPECT_EQ(later.Read("user.dat"), now.Read("user.dat")) << command;
    }
}

TEST(DeferredScoreSaves, WriteNothingUntilTheFrontEndAsks) {
    Folder folder;
    Sim sim(folder.Path());
    sim.DeferScoreSaves();
    sim.Start();
    Type(sim, "enable");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "user.dat"));
    sim.SavePendingScore();
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "user.dat"));
}

TEST(DeferredScoreSaves, FinishSavesWhatIsPending) {
    Folder now, later;
    Sim immediate(now.Path()), deferred(later.Path());
    deferred.DeferScoreSaves();
    immediate.Start();
    deferred.Start();
    for (const char* command : kCommands) {
        Enter(immediate, command);
        Enter(deferred, command);  // never caught up
    }
    immediate.Finish();
    deferred.Finish();
    EXPECT_EQ(later.Read("user.dat"), now.Read("user.dat"));
}

}  // namespace
}  // namespace pellix
