// What the lab console's keys do to a router started in a temporary folder,
// seen on the terminal's screen: typing, the network plan, Finish, Ctrl-C
// once and twice, history recall, the scroll-back view, a terminal too
// small, and the line left behind after finishing.
#include "lab/Console.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <algorithm>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "state/DataFolder.h"
#include "support/TempFolder.h"
#include "term/Keys.h"
#include "term/Layout.h"
#include "term/Terminal.h"

namespace pellix::term {
namespace {

using lab::Clock;
using lab::Console;
using lab::FunctionKeyTable;
using lab::kCtrlCNotice;
using lab::Key;
using lab::KeyName;
using lab::kPageLines;
using lab::kScoreProblemNotice;
using lab::kSecondCtrlCWait;
using lab::Outcome;

namespace fs = std::filesystem;
using namespace std::chrono_literals;

Key Char(int code) {
    return lab::Typed(static_cast<std::uint16_t>(code));
}
Key Pasted(std::string text) {
    return lab::Pasted(std::move(text));
}
Key F(int number) {
    return lab::FunctionKey(number);
}

class ConsoleInFolder : public ::testing::Test {
  protected:
    ConsoleInFolder() {
        EXPECT_EQ(PrepareLearnerFolder(folder_), "");
        Restart();
    }
    // The router started afresh on what the folder holds.
    void Restart() {
        console_.reset();
        sim_.emplace(folder_);
        sim_->Start();
        console_.emplace(*sim_, lab::PagePlace::OverConsole);
        Resize(kFrameRows, kFrameCols);
    }
    void Resize(int rows, int cols) {
        rows_ = rows;
        cols_ = cols;
        FitConsole(*console_, rows, cols);
    }
    // A key, and the router's saves once the screen is drawn; a paste is
    // typed whole.
    Outcome Press(const Key& key) {
        Outcome outcome = console_->OnKey(key, now_);
        while (outcome == Outcome::Continue && console_->Pasting())
            outcome = console_->TypePasted(now_);
        console_->AfterDraw();
        return outcome;
    }
    Screen Drawn() const { return Draw(*console_, rows_, cols_, keyNotice_); }
    Outcome Type(const std::string& typed) {
        Outcome outcome = Outcome::Continue;
        for (char c : typed) outcome = Press(Char(static_cast<unsigned char>(c)));
        return outcome;
    }
    // The screen's rows as text.
    std::vector<std::string> Rows() const {
        std::vector<std::string> grid(kFrameRows, std::string(kFrameCols, ' '));
        for (const Text& text : Drawn().texts)
            grid[static_cast<std::size_t>(text.row)].replace(static_cast<std::size_t>(text.col),
                                                             text.text.size(), text.text);
        for (auto& row : grid) row.erase(row.find_last_not_of(' ') + 1);
        return grid;
    }
    void UseFunctionKeys(const FunctionKeyTable& uses) {
        console_.emplace(*sim_, lab::PagePlace::OverConsole, uses);
        Resize(rows_, cols_);
    }
    bool ScoreFileSaved() const { return fs::exists(folder_ / "user.dat"); }
    Sim& R() { return *sim_; }
    Console& C() { return *console_; }

    support::TempFolder temp_{"pellix-term"};
    const fs::path folder_ = temp_.Path();
    Clock::time_point now_ = Clock::now();
    std::string keyNotice_;  // the key decoder's notice, as the terminal passes it

  private:
    std::optional<Sim> sim_;
    std::optional<Console> console_;
    int rows_ = kFrameRows;
    int cols_ = kFrameCols;
};

TEST_F(ConsoleInFolder, TypedKeysReachTheRouter) {
    Type("enablx");
    Press(Char(key::Delete));
    Type("e\r");
    EXPECT_EQ(R().Snap().prompt, "Router#");
    Type("xyz\n");
    EXPECT_EQ(R().Lines()[InputLine - 1],
              "Translating 'xyz'... %Unknown command or computer name.");
    Type("ab");
    Press(Char(key::Backspace));
    Press({KeyName::Ignored});
    Press(F(7));  // a function key without a use
    EXPECT_EQ(R().InputText(), "Router#a");
}

// A lone Escape waiting for its digit says so on the notice line, over the
// console and over a page; at 80x23 the keys are named beside the caption.
TEST_F(ConsoleInFolder, EscapesNoticeAndTheKeysAt80x23) {
    keyNotice_ = std::string(kEscapeDigitNotice);
    EXPECT_EQ(Rows()[kHintRow], kEscapeDigitNotice);
    Press(F(3));
    EXPECT_EQ(Rows()[kHintRow], kEscapeDigitNotice);
    Press(F(3));
    Resize(kMinRows, kFrameCols);
    EXPECT_EQ(Rows()[0].substr(0, kEscapeDigitNotice.size()), kEscapeDigitNotice);
    keyNotice_.clear();
    EXPECT_EQ(Rows()[0],
              "Vantric Sim  F1 Lesson F2 Network Plan F3 Progress F10 Finish Alt+1..0"
              "        OK");
}

// A line longer than the console: Right moves the view sideways to show its
// rest, Left back, no further than the longest line needs; any other key
// returns to the lines' beginnings and acts.
TEST_F(ConsoleInFolder, LeftAndRightShowTheRestOfLongLines) {
    const std::string command = "pong " + std::string(100, 'a') + "0123456789";
    Type(command + "\r");
    const std::string echo = "Router>" + command;
    const std::string answer =
        "Translating '" + command + "'... %Unknown command or computer name.";
    const int echoRow = kFirstConsoleRow + InputLine - 2;
    EXPECT_EQ(Rows()[echoRow], echo.substr(0, 79) + ">");
    Press(Key{KeyName::Right});
    EXPECT_EQ(C().ShiftedRight(), 40);
    EXPECT_EQ(Rows()[echoRow], echo.substr(40, 79) + ">");
    EXPECT_EQ(Rows()[kHintRow], lab::ShiftedNotice(40));
    EXPECT_FALSE(Drawn().cursorShown);
    Press(Key{KeyName::Right});
    EXPECT_EQ(Rows()[echoRow], echo.substr(80));
    EXPECT_EQ(Rows()[echoRow + 1], answer.substr(80, 79) + ">");
    for (int k = 0; k < 3; ++k) Press(Key{KeyName::Right});
    EXPECT_EQ(C().ShiftedRight(), 120);  // the answer's 168 characters need no more
    EXPECT_EQ(Rows()[echoRow + 1], answer.substr(120));
    Press(Key{KeyName::Left});
    EXPECT_EQ(C().ShiftedRight(), 80);
    Type("x");
    EXPECT_EQ(C().ShiftedRight(), 0);
    EXPECT_EQ(R().InputText(), "Router>x");
    EXPECT_EQ(Rows()[echoRow], echo.substr(0, 79) + ">");
    // Nothing longer than the console shown: nothing to move.
    Type(std::string(kConsoleLines, '\r'));
    Press(Key{KeyName::Right});
    EXPECT_EQ(C().ShiftedRight(), 0);
}

TEST_F(ConsoleInFolder, F2ShowsThePlanUntilItsOwnKeysCloseIt) {
    Press(F(2));
    EXPECT_TRUE(R().PlanShown());
    EXPECT_EQ(Rows()[0], "Pellix Vantric lab environment diagram");
    ASSERT_FALSE(R().Snap().strip.empty());
    EXPECT_EQ(R().Snap().strip.front(), "Network Plan displayed");
    for (Key kept : {Char('x'), Char(key::Enter), Key{KeyName::PageUp}}) {
        EXPECT_EQ(Press(kept), Outcome::Continue);
        EXPECT_TRUE(R().PlanShown());
    }
    for (Key closing : {Char('q'), Char(key::Escape), F(2)}) {
        if (!R().PlanShown()) Press(F(2));
        EXPECT_EQ(Press(closing), Outcome::Continue);
        EXPECT_FALSE(R().PlanShown());
        EXPECT_EQ(R().InputText(), "Router>");
    }
    // F10 on the plan closes it and finishes.
    Press(F(2));
    EXPECT_EQ(Press(F(10)), Outcome::Finished);
    EXPECT_FALSE(R().PlanShown());
}

Page FortyRows(const Sim& sim) {
    Page page{"Forty rows for " + sim.Snap().prompt, {}, "q closes"};
    for (int k = 0; k < 40; ++k) page.rows.push_back("row " + std::to_string(k));
    return page;
}

TEST_F(ConsoleInFolder, APageKeyOpensAPageThatScrolls) {
    const FunctionKeyTable uses = {
        {2, "Network Plan", lab::FunctionRole::NetworkPlan},
        {4, "Rows", lab::FunctionRole::Page, lab::PageName::Lesson, FortyRows},
        {10, "Finish", lab::FunctionRole::Finish},
    };
    UseFunctionKeys(uses);
    EXPECT_EQ(Rows()[kHintRow], "F2 Network Plan  F4 Rows  F10 Finish  Alt+1..Alt+0 = F1..F10");
    Press(F(4));
    auto rows = Rows();
    EXPECT_EQ(rows[0], "Forty rows for Router>");
    EXPECT_EQ(rows[1], "row 0");
    EXPECT_EQ(rows[kFrameRows - 1], "q closes");
    Press({KeyName::Down});
    EXPECT_EQ(Rows()[1], "row 1");
    // 22 rows are shown: a page down stops where the last row is at the bottom.
    Press({KeyName::PageDown});
    EXPECT_EQ(Rows()[1], "row 18");
    Press({KeyName::WheelDown});
    EXPECT_EQ(Rows()[kFrameRows - 2], "row 39");
    Press({KeyName::PageUp});
    Press({KeyName::Up});
    EXPECT_EQ(Rows()[1], "row 0");
    Press(Char('x'));  // neither typed nor closing
    EXPECT_EQ(Rows()[1], "row 0");
    Press(F(4));
    EXPECT_EQ(Rows()[kInputRow], "Router>");
    Press(F(10));
    EXPECT_TRUE(R().Finished());
}

TEST_F(ConsoleInFolder, F10FinishesAndSavesTheScore) {
    EXPECT_FALSE(ScoreFileSaved());
    EXPECT_EQ(Press(F(10)), Outcome::Finished);
    EXPECT_TRUE(R().Finished());
    EXPECT_TRUE(ScoreFileSaved());
    EXPECT_EQ(FinishedLine(R()), "Score: 0 of 50, saved in " + folder_.string());
}

TEST_F(ConsoleInFolder, CtrlCOnceChangesNothingAndTellsHowToFinish) {
    Type("en");
    EXPECT_EQ(Press(Char(key::CtrlC)), Outcome::Continue);
    EXPECT_EQ(R().InputText(), "Router>en");
    EXPECT_FALSE(ScoreFileSaved());
    EXPECT_EQ(Rows()[kHintRow], kCtrlCNotice);
    ASSERT_TRUE(C().Deadline());
    EXPECT_EQ(*C().Deadline(), now_ + kSecondCtrlCWait);
    EXPECT_EQ(C().TimeLeft(now_ + 1500ms), 500ms);
    EXPECT_EQ(C().TimeLeft(now_ + 3s), 0ms) << "never less than nothing";
    // The notice goes when its time is up; a Ctrl-C after that is a first one.
    now_ += kSecondCtrlCWait;
    C().OnTime(now_);
    EXPECT_FALSE(C().Deadline());
    EXPECT_EQ(Rows()[kHintRow].find("F1 Lesson  F2 Network Plan  F3 Progress"), 0u);
    EXPECT_EQ(Press(Char(key::CtrlC)), Outcome::Continue);
    // Another key between the two: the second starts over.
    Type("a");
    EXPECT_EQ(Press(Char(key::CtrlC)), Outcome::Continue);
    // A pasted Ctrl-C is text, never the second press.
    EXPECT_EQ(Press(Pasted("\x03")), Outcome::Continue);
    EXPECT_FALSE(R().Finished());
    EXPECT_EQ(R().InputText(), "Router>ena");
}

TEST_F(ConsoleInFolder, CtrlCTwiceWithinTwoSecondsFinishes) {
    Type("enable\r");
    Press(Char(key::CtrlC));
    now_ += kSecondCtrlCWait - 1ms;
    EXPECT_EQ(Press(Char(key::CtrlC)), Outcome::Finished);
    EXPECT_TRUE(R().Finished());
    EXPECT_TRUE(ScoreFileSaved());
}

TEST_F(ConsoleInFolder, CtrlCNoticeTakesTheCaptionsPlaceWithoutAHintRow) {
    Resize(kMinRows, kMinCols);
    Press(Char(key::CtrlC));
    const auto rows = Rows();
    EXPECT_EQ(rows[0].find(kCtrlCNotice), 0u);
    EXPECT_NE(rows[0].find("OK"), std::string::npos);
    EXPECT_EQ(Press(Char(key::CtrlC)), Outcome::Finished);
}

TEST_F(ConsoleInFolder, UpAndDownRecallCommands) {
    Type("enable\r");
    Type("show version\r");
    Type("sh");
    Press({KeyName::Up});
    EXPECT_EQ(R().InputText(), "Router#show version");
    Press({KeyName::Up});
    EXPECT_EQ(R().InputText(), "Router#enable");
    Press({KeyName::Down});
    EXPECT_EQ(R().InputText(), "Router#show version");
}

TEST_F(ConsoleInFolder, PageUpScrollsBackAndATypedKeyReturns) {
    for (int k = 0; k < 30; ++k) Type("cmd" + std::to_string(k) + "\r");
    ASSERT_GT(R().ScrollBack().size(), 40u);
    const auto live = Rows();
    Press({KeyName::PageUp});
    EXPECT_TRUE(C().ScrolledBack());
    auto rows = Rows();
    EXPECT_EQ(rows[kHintRow], "Scrolled back 20 lines: PgUp/PgDn, any other key returns");
    // What was the top line of the live screen is now 20 rows further down.
    EXPECT_EQ(rows[kFirstConsoleRow + kPageLines], live[kFirstConsoleRow]);
    EXPECT_FALSE(Drawn().cursorShown);
    Press({KeyName::WheelDown});
    EXPECT_EQ(Rows()[kHintRow], "Scrolled back 17 lines: PgUp/PgDn, any other key returns");
    for (int k = 0; k < 100; ++k) Press({KeyName::PageUp});
    rows = Rows();
    EXPECT_EQ(rows[kFirstConsoleRow], R().ScrollBack().front());
    // A typed key brings the live screen back and is typed there.
    Type("x");
    EXPECT_FALSE(C().ScrolledBack());
    EXPECT_EQ(R().InputText(), "Router>x");
    EXPECT_EQ(Rows()[kInputRow], "Router>x");
    Press({KeyName::PageUp});
    Press({KeyName::PageDown});
    EXPECT_FALSE(C().ScrolledBack());
}

TEST_F(ConsoleInFolder, AScoreFileProblemIsANoticeThatTakesNoKey) {
    // A folder in place of user.dat: it can be neither read nor replaced.
    fs::create_directory(folder_ / "user.dat");
    Restart();
    const std::string told = R().ScoreProblem().Text();
    ASSERT_NE(told, "");
    EXPECT_FALSE(C().NewScoreProblem()) << "told once, when the console starts";
    EXPECT_EQ(Rows()[kHintRow], FitText(std::string(kScoreProblemNotice) + told, kFrameCols));
    // Keys typed at once reach the router, the first included.
    Type("enable\r");
    EXPECT_EQ(Rows()[kInputRow - 1], "Router>enable");
    EXPECT_EQ(Rows()[kInputRow], "Router#");
    EXPECT_EQ(Rows()[kHintRow].find(kScoreProblemNotice), 0u) << "the problem still stands";
    // F3 tells the whole text.
    Press(F(3));
    std::string shown;
    for (int k = 1; k < kFrameRows - 1 && !Rows()[k].empty(); ++k)
        shown += (shown.empty() ? "" : " ") + Rows()[k];
    EXPECT_EQ(shown, told);
    EXPECT_EQ(FinishedLine(R()), "Score: 0 of 50, not saved: " + told);
}

// The coach's hint after a command this lab does not know stands on the
// notice line (its second half when the whole is wider than the console),
// below a Ctrl-C's notice, until the next command; the router's rows are the
// same with the coach on or off.
TEST_F(ConsoleInFolder, TheCoachsHintIsANoticeBelowTheOthers) {
    Type("enable\r");
    const std::string keyHint = Rows()[kHintRow];
    Type("conf t\r");
    ASSERT_GT(R().Hint().size(), static_cast<std::size_t>(kFrameCols));
    EXPECT_EQ(Rows()[kHintRow], "This lab takes `config t` or `configure terminal`.");
    std::vector<std::string> withHint = Rows();
    C().ShowHints(false);
    EXPECT_EQ(Rows()[kHintRow], keyHint);
    withHint[kHintRow] = keyHint;
    EXPECT_EQ(Rows(), withHint) << "the coach changes nothing but the notice line";
    C().ShowHints(true);
    Press(Char(key::CtrlC));
    EXPECT_EQ(Rows()[kHintRow], kCtrlCNotice);
    now_ += kSecondCtrlCWait;
    C().OnTime(now_);
    EXPECT_EQ(Rows()[kHintRow], "This lab takes `config t` or `configure terminal`.");
    // Scrolled back, the view's own notice; on a page, the page's keys.
    Press({KeyName::PageUp});
    EXPECT_EQ(Rows()[kHintRow].find("This lab"), std::string::npos);
    Press({KeyName::PageDown});
    Press(F(2));
    EXPECT_EQ(Rows()[kFrameRows - 1].find("This lab"), std::string::npos);
    Press(F(2));
    EXPECT_EQ(Rows()[kHintRow], "This lab takes `config t` or `configure terminal`.");
    Type("show history\r");
    EXPECT_EQ(Rows()[kHintRow], keyHint);
    // Too wide even for what this lab takes: up to its last clause that fits.
    Type("config t\rip route 192.168.50.0 255.255.255.0 210.16.54.2\r");
    EXPECT_EQ(Rows()[kHintRow],
              "This lab's exercise takes `ip route 192.168.50.0 255.255.255.0 210.16.54.1`.");
}

TEST_F(ConsoleInFolder, TooSmallTerminalDropsTypingButFinishes) {
    Resize(kMinRows - 1, kMinCols);
    Type("enable\r");
    Press(F(2));
    EXPECT_EQ(R().InputText(), "Router>");
    EXPECT_FALSE(R().PlanShown());
    // Even with the plan up when the terminal shrank, F10 finishes.
    Resize(kMinRows, kMinCols);
    Press(F(2));
    Resize(kMinRows, kMinCols - 1);
    EXPECT_EQ(Press(F(10)), Outcome::Finished);
    EXPECT_TRUE(ScoreFileSaved());
}

TEST_F(ConsoleInFolder, F1ShowsTheNextLessonAndF3TheProgress) {
    Type("?");  // task 13
    Press(F(1));
    std::vector<std::string> rows = Rows();
    EXPECT_EQ(rows[0], "Lesson 1 of 15: The lab network");
    EXPECT_EQ(rows[1], "Next: task 50, Look at the network plan");
    EXPECT_EQ(rows[3], "  " + (folder_ / "readme.htm").string() + "#task-50");
    Press(Char('q'));  // closes the lesson and is not typed
    EXPECT_EQ(R().InputText(), "Router>");
    Press(F(3));
    rows = Rows();
    EXPECT_EQ(rows[0], "Progress: 1 of 50 tasks done");
    EXPECT_NE(std::find(rows.begin(), rows.end(), "Next: task 50, Look at the network plan"),
              rows.end());
    Press(Char(key::Escape));
    EXPECT_EQ(Rows()[kInputRow], "Router>");
}

// What a key does on each page the learner opens: which keys close it, which
// open another, and that a typed key is neither typed nor lost in a page's
// closing.
TEST_F(ConsoleInFolder, APageClosesOnlyOnItsOwnKeys) {
    struct Case {
        const char* what;
        int opening;            // the function key that opens the page
        Key key;                // pressed on it
        const char* caption;    // row 0 afterwards; "" for the console
        const char* inputLine;  // the input line afterwards
    };
    const Case cases[] = {
        {"a typed letter on the lesson", 1, Char('x'), "Lesson 1 of 15: The lab network",
         "Router>"},
        {"Enter on the progress", 3, Char(key::Enter), "Progress: 0 of 50 tasks done", "Router>"},
        {"q on the lesson", 1, Char('q'), "", "Router>"},
        {"Escape on the progress", 3, Char(key::Escape), "", "Router>"},
        {"the lesson's own key", 1, F(1), "", "Router>"},
        {"F3 on the lesson", 1, F(3), "Progress: 0 of 50 tasks done", "Router>"},
        {"F1 on the progress", 3, F(1), "Lesson 1 of 15: The lab network", "Router>"},
        {"F2 on the lesson", 1, F(2), "Pellix Vantric lab environment diagram", "Router>"},
        {"a typed letter on the plan", 2, Char('x'), "Pellix Vantric lab environment diagram",
         "Router>"},
        {"the plan's own key", 2, F(2), "", "Router>"},
        {"Escape on the plan", 2, Char(key::Escape), "", "Router>"},
        {"F1 on the plan", 2, F(1), "Lesson 2 of 15: Getting around: modes, help, history",
         "Router>"},
        {"a pasted q on the lesson", 1, Pasted("q"), "", "Router>q"},
        {"a pasted Escape on the plan", 2, Pasted("\x1b"), "", "Router>"},
        {"pasted text on the progress", 3, Pasted("e"), "", "Router>e"},
    };
    for (const Case& c : cases) {
        Restart();
        Press(F(c.opening));
        Press(c.key);
        const std::string caption = Rows()[0];
        if (*c.caption)
            EXPECT_EQ(caption, c.caption) << c.what;
        else
            EXPECT_EQ(caption.find("Vantric Sim"), 0u) << c.what << ": the console is shown";
        EXPECT_EQ(R().InputText(), c.inputLine) << c.what;
    }
}

TEST_F(ConsoleInFolder, CtrlCOnAPageTellsThereAndTwiceFinishes) {
    for (int page : {1, 2, 3}) {
        Restart();
        Press(F(page));
        const std::string caption = Rows()[0];
        EXPECT_EQ(Press(Char(key::CtrlC)), Outcome::Continue);
        EXPECT_EQ(Rows()[0], caption) << "F" << page << ": the page stays";
        EXPECT_EQ(Rows()[kFrameRows - 1], kCtrlCNotice) << "F" << page;
        EXPECT_EQ(Press(Char(key::CtrlC)), Outcome::Finished) << "F" << page;
        EXPECT_TRUE(ScoreFileSaved());
        fs::remove(folder_ / "user.dat");
    }
}

}  // namespace
}  // namespace pellix::term
