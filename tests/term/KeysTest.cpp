// From the terminal's keys to the router: the key table, and what the keys
// do to a router started in a temporary folder (typing, the network plan,
// Finish, Ctrl-C, a terminal too small).
#include "term/Keys.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "state/DataFolder.h"

#define NCURSES_NOMACROS
#include <curses.h>

namespace pellix::term {
namespace {

namespace fs = std::filesystem;

TEST(MapKey, TranslatesTerminalKeysToRouterEvents) {
    struct Case {
        int key;
        KeyAction action;
    };
    const Case cases[] = {
        {13, {KeyKind::Type, 13}},
        {10, {KeyKind::Type, 10}},
        {KEY_ENTER, {KeyKind::Type, 13}},
        {8, {KeyKind::Type, 8}},
        {127, {KeyKind::Type, 8}},
        {KEY_BACKSPACE, {KeyKind::Type, 8}},
        {26, {KeyKind::Type, 26}},
        {'?', {KeyKind::Type, 63}},
        {' ', {KeyKind::Type, 32}},
        {'a', {KeyKind::Type, 97}},
        {'~', {KeyKind::Type, 126}},
        {9, {KeyKind::Type, 9}},
        {27, {KeyKind::Type, 27}},
        {0xe9, {KeyKind::Type, 0xe9}},
        {3, {KeyKind::Interrupt}},
        {KEY_F(2), {KeyKind::ShowPlan}},
        {KEY_F(10), {KeyKind::Finish}},
        {KEY_RESIZE, {KeyKind::Resize}},
        {KEY_F(1), {}},
        {KEY_F(3), {}},
        {KEY_UP, {}},
        {KEY_LEFT, {}},
        {KEY_DC, {}},
        {ERR, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(MapKey(c.key), c.action) << "key " << c.key;
}

class RouterInFolder : public ::testing::Test {
  protected:
    RouterInFolder() {
        std::random_device seed;
        folder_ = fs::temp_directory_path() /
                  ("pellix-term-" + std::to_string(::getpid()) + "-" + std::to_string(seed()));
        EXPECT_EQ(PrepareLearnerFolder(folder_), "");
        sim_.emplace(folder_);
        sim_->Form_Load();
    }
    ~RouterInFolder() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    Outcome Keys(const std::string& typed, bool fits = true) {
        Outcome outcome = Outcome::Continue;
        for (char c : typed) outcome = HandleKey(*sim_, static_cast<unsigned char>(c), fits);
        return outcome;
    }
    int ScoreFileLines() const {
        std::ifstream in(folder_ / "user.dat");
        int lines = 0;
        for (std::string line; std::getline(in, line);) ++lines;
        return lines;
    }
    bool ScoreFileExists() const { return fs::exists(folder_ / "user.dat"); }
    Sim& R() { return *sim_; }

  private:
    fs::path folder_;
    std::optional<Sim> sim_;
};

TEST_F(RouterInFolder, TypedKeysReachTheConsole) {
    Keys("enablx");
    EXPECT_EQ(HandleKey(R(), 127, true), Outcome::Continue);
    EXPECT_EQ(R().InputText(), "Router>enabl");
    Keys("e\r");
    EXPECT_EQ(R().Snap().prompt, "Router#");
    Keys("xyz\n");
    EXPECT_EQ(R().Lines()[InputLine - 1],
              "Translating 'xyz'... %Unknown command or computer name.");
    Keys("ab");
    HandleKey(R(), KEY_BACKSPACE, true);
    HandleKey(R(), 8, true);
    HandleKey(R(), KEY_UP, true);
    EXPECT_EQ(R().InputText(), "Router#");
}

TEST_F(RouterInFolder, F2ShowsThePlanAndTheNextKeyOnlyClosesIt) {
    EXPECT_EQ(HandleKey(R(), KEY_F(2), true), Outcome::Continue);
    EXPECT_TRUE(R().PlanShown());
    EXPECT_TRUE(R().Tasks[50].has_value());
    ASSERT_FALSE(R().Snap().pic.empty());
    EXPECT_EQ(R().Snap().pic.front(), "Network Plan displayed");
    // A resize redraws and leaves the plan up.
    HandleKey(R(), KEY_RESIZE, true);
    EXPECT_TRUE(R().PlanShown());
    for (int closing : {int{'x'}, 13, KEY_F(10), KEY_F(2)}) {
        if (!R().PlanShown()) HandleKey(R(), KEY_F(2), true);
        EXPECT_EQ(HandleKey(R(), closing, true), Outcome::Continue) << closing;
        EXPECT_FALSE(R().PlanShown()) << closing;
        EXPECT_FALSE(R().Finished()) << closing;
        EXPECT_EQ(R().InputText(), "Router>") << closing;
    }
}

TEST_F(RouterInFolder, F10FinishesAndSavesTheScore) {
    EXPECT_FALSE(ScoreFileExists());
    EXPECT_EQ(HandleKey(R(), KEY_F(10), true), Outcome::Finished);
    EXPECT_TRUE(R().Finished());
    EXPECT_EQ(ScoreFileLines(), 50);
}

TEST_F(RouterInFolder, CtrlCEndsWithoutSaving) {
    Keys("en");
    EXPECT_EQ(HandleKey(R(), 3, true), Outcome::Interrupted);
    EXPECT_FALSE(R().Finished());
    EXPECT_FALSE(ScoreFileExists());
    EXPECT_EQ(R().InputText(), "Router>en");
}

TEST_F(RouterInFolder, TooSmallTerminalDropsTypingButFinishes) {
    Keys("enable\r", false);
    HandleKey(R(), KEY_F(2), false);
    EXPECT_EQ(R().InputText(), "Router>");
    EXPECT_FALSE(R().PlanShown());
    EXPECT_EQ(HandleKey(R(), KEY_F(10), false), Outcome::Finished);
    EXPECT_EQ(ScoreFileLines(), 50);
}

}  // namespace
}  // namespace pellix::term
