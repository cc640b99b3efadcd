// The lab console as the desktop and the browser use it, pages beside the
// console, and what it does the same for every front end: pasted text typed
// a line at a time with its line ends read once, keys waiting behind a paste,
// and the progress count agreeing with the score label.
#include "lab/Console.h"

#include <gtest/gtest.h>

#include <optional>

#include "lab/Pages.h"
#include "lessons/Lessons.h"
#include "state/DataFolder.h"
#include "support/TempFolder.h"

namespace pellix::lab {
namespace {

TEST(PastedKeys, EachLineEndIsOneEnter) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::uint16_t> keys;
    };
    constexpr std::uint16_t E = key::Enter;
    const Case cases[] = {
        {"line feeds", "a\nb\n\n", {'a', E, 'b', E, E}},
        {"carriage returns", "a\rb\r\r", {'a', E, 'b', E, E}},
        {"both together", "a\r\nb\r\n\r\n", {'a', E, 'b', E, E}},
        {"a return, then a line feed after a blank line", "a\r\r\nb", {'a', E, E, 'b'}},
        {"a control character is its own code", "\x03x", {3, 'x'}},
        {"UTF-8 read as characters", "\xc3\xa9!", {0xe9, '!'}},
        {"a byte that starts no character", "\xc3x", {0xc3, 'x'}},
    };
    for (const Case& c : cases) EXPECT_EQ(PastedKeys(c.text), c.keys) << c.what;
}

class BesideTheConsole : public ::testing::Test {
  protected:
    BesideTheConsole() {
        EXPECT_EQ(PrepareLearnerFolder(temp_.Path()), "");
        sim_.Start();
    }
    Outcome Press(const Key& key) { return console_.OnKey(key, now_); }
    void Type(std::string_view text) {
        for (char c : text) Press(Typed(static_cast<unsigned char>(c)));
    }

    support::TempFolder temp_{"pellix-lab"};
    Sim sim_{temp_.Path()};
    Console console_{sim_, PagePlace::BesideConsole};
    Clock::time_point now_ = Clock::now();
};

// Beside the console a page keeps no key from the router: typing goes on
// while the plan or the progress is open, Escape closes them, the own key
// toggles, and F1 asks the front end for the lessons at the next task.
TEST_F(BesideTheConsole, PagesLeaveTheKeysToTheRouter) {
    Press(FunctionKey(3));
    EXPECT_EQ(console_.OpenPage(), PageName::Progress);
    Type("en");
    EXPECT_EQ(sim_.InputText(), "Router>en");
    Press(Typed(key::Escape));
    EXPECT_EQ(console_.OpenPage(), PageName::None);
    EXPECT_EQ(sim_.InputText(), "Router>en") << "Escape closed the page and typed nothing";
    Press(FunctionKey(2));
    EXPECT_TRUE(sim_.PlanShown());
    Type("able\r");
    EXPECT_EQ(sim_.CurrentPrompt(), "Router#");
    Press(FunctionKey(3));
    Press(FunctionKey(3));
    EXPECT_EQ(console_.OpenPage(), PageName::None) << "F3 twice opens and closes";
    EXPECT_TRUE(sim_.PlanShown());
    Press(FunctionKey(2));
    EXPECT_FALSE(sim_.PlanShown());
    EXPECT_FALSE(console_.TakeLessonRequest());
    Press(FunctionKey(1));
    EXPECT_EQ(console_.TakeLessonRequest(), NextTask(sim_.Tasks()));
    EXPECT_FALSE(console_.TakeLessonRequest()) << "asked once";
    EXPECT_EQ(console_.OpenPage(), PageName::None);
}

TEST_F(BesideTheConsole, APasteIsTypedALineAtATimeWithKeysWaitingBehind) {
    Press(Pasted("enable\r\nshow history\nconf"));
    EXPECT_EQ(sim_.CurrentPrompt(), "Router#") << "the first line at once";
    EXPECT_TRUE(console_.Pasting());
    Press(Typed('x'));  // pressed while the paste is typed: after it
    Press(FunctionKey(3));
    EXPECT_EQ(console_.OpenPage(), PageName::None);
    console_.TypePasted(now_);
    EXPECT_EQ(sim_.InputText(), "Router#");
    console_.TypePasted(now_);
    EXPECT_FALSE(console_.Pasting());
    EXPECT_EQ(sim_.InputText(), "Router#confx");
    EXPECT_EQ(console_.OpenPage(), PageName::Progress);
}

TEST_F(BesideTheConsole, ScrollBackViewIsClampedToTheKeptLines) {
    for (int k = 0; k < 5; ++k) Type("x\r");
    const int kept = static_cast<int>(sim_.ScrollBack().size());
    for (int k = 0; k < 10; ++k) Press({KeyName::PageUp});
    EXPECT_EQ(console_.ScrolledBack(), kept);
    EXPECT_EQ(console_.ShownLine(0), sim_.ScrollBack().front());
    EXPECT_EQ(console_.Notice(), ScrolledNotice(kept));
    Press({KeyName::WheelDown});
    EXPECT_EQ(console_.ScrolledBack(), kept - kWheelLines);
    Type("y");
    EXPECT_EQ(console_.ScrolledBack(), 0);
    EXPECT_EQ(console_.ShownLine(InputLine), "Router>y");
}

// The score label counts at the prompt; a task earned since (the plan shown)
// is said to be done and not yet counted, so that the two never disagree.
TEST_F(BesideTheConsole, ProgressCountAgreesWithTheLabel) {
    Type("?");
    EXPECT_EQ(sim_.Label(), "Score:  1");
    EXPECT_EQ(ProgressCount(sim_), "1 of 50 tasks done");
    Press(FunctionKey(2));
    Press(FunctionKey(2));
    EXPECT_EQ(sim_.Label(), "Score:  1");
    EXPECT_EQ(ProgressCount(sim_), "2 of 50 tasks done (1 counted at the next prompt)");
    Type("\r");
    EXPECT_EQ(sim_.Label(), "Score:  2");
    EXPECT_EQ(ProgressCount(sim_), "2 of 50 tasks done");
}

}  // namespace
}  // namespace pellix::lab
