// The scroll-back: the lines that leave the top of the 21-line console are
// kept, oldest first, the last thousand of them, while the console itself
// stays exactly as the router shows it.
#include <gtest/gtest.h>

#include <string>

#include "console/Sim.h"
#include "support/TempFolder.h"
#include "support/Typing.h"

namespace pellix {
namespace {

namespace fs = std::filesystem;
using support::TempFolder;
using support::TypeCommand;

TEST(ScrollBack, KeepsWhatLeavesTheTopInOrder) {
    TempFolder folder;
    Sim sim(folder.Path());
    sim.Start();
    auto welcome = sim.Lines();
    EXPECT_TRUE(sim.ScrollBack().empty());

    TypeCommand(sim, "enable");  // one line scrolls off for the new prompt
    ASSERT_EQ(sim.ScrollBack().size(), 1u);
    EXPECT_EQ(sim.ScrollBack()[0], welcome[0]);

    // Whatever a command scrolls off is the top of the screen before it,
    // in order.
    for (const char* command : {"show version", "show history", "show running-config"}) {
        auto before = sim.Lines();
        std::size_t kept = sim.ScrollBack().size();
        TypeCommand(sim, command);
        std::size_t gone = sim.ScrollBack().size() - kept;
        ASSERT_GT(gone, 0u) << command;
        for (std::size_t k = 0; k < gone && k < before.size(); ++k)
            EXPECT_EQ(sim.ScrollBack()[kept + k], before[k]) << command << " line " << k;
    }
}

TEST(ScrollBack, KeepsOnlyTheLastThousandLines) {
    TempFolder folder;
    Sim sim(folder.Path());
    sim.Start();
    for (int k = 0; k < 700; ++k) TypeCommand(sim, "x" + std::to_string(k));
    const auto& back = sim.ScrollBack();
    ASSERT_EQ(back.size(), kScrollBackLines);
    // Each command leaves two lines: "Router>xK" and the unknown-command line.
    EXPECT_EQ(back.back(), "Translating 'x689'... %Unknown command or computer name.");
    EXPECT_EQ(sim.Lines()[0], "Router>x690");
}

}  // namespace
}  // namespace pellix
