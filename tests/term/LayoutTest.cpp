// The terminal console's screen: where the console lines, the score label,
// the status strip and the key hint go, how they are cut at the terminal's
// width, the notice for a terminal too small, and the network plan.
#include "term/Layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include "term/NetworkPlan.h"

namespace pellix::term {
namespace {

Snapshot WelcomeLike() {
    Snapshot snap;
    snap.lines[1] = "This router simulator is designed specifically for use with the included";
    snap.lines[6] = "Router con0 is now available";
    snap.lines[9] = "Press RETURN to get started.";
    snap.lines[InputLine] = "Router>";
    snap.label = "OK";
    snap.mode = 1;
    snap.prompt = "Router>";
    return snap;
}

std::optional<Text> At(const Screen& screen, int row, int col) {
    for (const Text& text : screen.texts)
        if (text.row == row && text.col == col) return text;
    return std::nullopt;
}

// Whether the text stands in `all` as a whole name or address, not as the
// beginning of a longer one (172.10.0.1 inside 172.10.0.10).
bool Names(const std::string& all, const std::string& text) {
    auto isPart = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.'; };
    for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) {
        const bool before = at > 0 && isPart(all[at - 1]);
        const auto end = at + text.size();
        const bool after = end < all.size() && isPart(all[end]);
        if (!before && !after) return true;
    }
    return false;
}

std::vector<std::string> RowsOf(const Screen& screen, int rows, int cols) {
    std::vector<std::string> grid(static_cast<std::size_t>(rows),
                                  std::string(static_cast<std::size_t>(cols), ' '));
    for (const Text& text : screen.texts) {
        EXPECT_GE(text.row, 0);
        EXPECT_LT(text.row, rows);
        EXPECT_LE(text.col + static_cast<int>(text.text.size()), cols) << text.text;
        grid[static_cast<std::size_t>(text.row)].replace(static_cast<std::size_t>(text.col),
                                                         text.text.size(), text.text);
    }
    return grid;
}

TEST(ConsoleScreen, PlacesLabelLinesStripAndHint) {
    Snapshot snap = WelcomeLike();
    snap.label = "Score:  7";
    snap.pic = {"Privileged mode entered", "a second note the strip cuts off"};
    const Screen screen = ConsoleScreen(snap, kMinRows, kMinCols);

    EXPECT_EQ(At(screen, 0, 0), (Text{0, 0, "Vantric Sim", Look::Caption}));
    EXPECT_EQ(At(screen, kLabelRow, kMinCols - 9),
              (Text{0, kMinCols - 9, "Score:  7", Look::Label}));
    for (int k = 0; k < kConsoleLines; ++k) {
        const auto& line = snap.lines[static_cast<std::size_t>(k)];
        const auto text = At(screen, kFirstConsoleRow + k, 0);
        if (line.empty()) {
            EXPECT_FALSE(text) << "line " << k;
        } else {
            ASSERT_TRUE(text) << "line " << k;
            EXPECT_EQ(text->text, line);
        }
    }
    const auto strip = At(screen, kStripRow, 0);
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->look, Look::Strip);
    EXPECT_EQ(strip->text, "Privileged mode entered" + std::string(kMinCols - 23, ' '));
    EXPECT_EQ(At(screen, kHintRow, 0),
              (Text{kHintRow, 0, "F2 Network Plan  F10 Finish", Look::Hint}));
    EXPECT_TRUE(screen.cursorShown);
    EXPECT_EQ(screen.cursorRow, kInputRow);
    EXPECT_EQ(screen.cursorCol, 7);
}

TEST(ConsoleScreen, EmptyStripStillDrawsItsBand) {
    const Screen screen = ConsoleScreen(WelcomeLike(), kMinRows, 100);
    const auto strip = At(screen, kStripRow, 0);
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->text, std::string(100, ' '));
    EXPECT_EQ(At(screen, kLabelRow, 98), (Text{kLabelRow, 98, "OK", Look::Label}));
}

TEST(ConsoleScreen, CutsEveryRowAtTheWidthWithoutWrapping) {
    const std::string longLine(150, 'x');
    for (int cols : {80, 100, 149, 150, 220}) {
        Snapshot snap = WelcomeLike();
        snap.lines[3] = longLine;
        snap.lines[InputLine] = "Router>" + std::string(143, 'y');
        snap.pic = {std::string(300, 'n')};
        const Screen screen = ConsoleScreen(snap, 30, cols);
        const auto grid = RowsOf(screen, 30, cols);
        const auto shown = static_cast<std::size_t>(std::min(cols, 150));
        EXPECT_EQ(grid[kFirstConsoleRow + 3].substr(0, shown), longLine.substr(0, shown)) << cols;
        EXPECT_EQ(grid[kFirstConsoleRow + 4], std::string(static_cast<std::size_t>(cols), ' '))
            << cols;
        EXPECT_EQ(grid[kStripRow], std::string(static_cast<std::size_t>(cols), 'n')) << cols;
        // The cursor stands behind the 150 characters only when that column exists.
        EXPECT_EQ(screen.cursorShown, cols > 150) << cols;
    }
}

TEST(ConsoleScreen, LongLabelNeverCoversTheCaption) {
    Snapshot snap = WelcomeLike();
    snap.label = std::string(120, '9');
    const auto grid = RowsOf(ConsoleScreen(snap, kMinRows, kMinCols), kMinRows, kMinCols);
    EXPECT_EQ(grid[kLabelRow].substr(0, 12), "Vantric Sim ");
    EXPECT_EQ(grid[kLabelRow].substr(12), std::string(kMinCols - 12, '9'));
}

TEST(FitText, CutsAndMasksWhatCouldMoveTheCursor) {
    struct Case {
        std::string text;
        int width;
        std::string shown;
    };
    const Case cases[] = {
        {"Router>", 80, "Router>"},   {"Router>", 3, "Rou"},
        {"Router>", 0, ""},           {"Router>", -4, ""},
        {"R\x1b[2Jx", 80, "R?[2Jx"},  {"tab\there\r\n", 80, "tab?here??"},
        {"caf\xc3\xa9", 80, "caf??"}, {std::string("a\0b", 3), 80, "a?b"},
        {"~\x7f", 80, "~?"},
    };
    for (const Case& c : cases) EXPECT_EQ(FitText(c.text, c.width), c.shown) << c.text;
}

TEST(ScreenFor, TooSmallTerminalShowsOnlyTheNotice) {
    struct Case {
        int rows;
        int cols;
    };
    const Case tooSmall[] = {
        {kMinRows - 1, kMinCols}, {kMinRows, kMinCols - 1}, {20, 60}, {3, 10}, {1, 200}};
    for (bool plan : {false, true}) {
        Snapshot snap = WelcomeLike();
        snap.plan = plan;
        for (const Case& c : tooSmall) {
            EXPECT_FALSE(Fits(c.rows, c.cols));
            const Screen screen = ScreenFor(snap, c.rows, c.cols);
            const auto grid = RowsOf(screen, c.rows, c.cols);
            const std::string notice = "Terminal too small: need 80x24";
            EXPECT_EQ(grid[0].substr(0, std::min<std::size_t>(notice.size(), grid[0].size())),
                      notice.substr(0, grid[0].size()));
            EXPECT_FALSE(screen.cursorShown);
            for (const Text& text : screen.texts) {
                EXPECT_EQ(text.text.find("Router"), std::string::npos);
                EXPECT_EQ(text.text.find("HostA"), std::string::npos);
            }
            if (c.rows > 1 && c.cols >= 40) {
                EXPECT_EQ(
                    grid[1].find("now " + std::to_string(c.cols) + "x" + std::to_string(c.rows)),
                    0u);
            }
        }
    }
    EXPECT_TRUE(Fits(kMinRows, kMinCols));
    EXPECT_TRUE(ScreenFor(WelcomeLike(), 0, 0).texts.empty());
}

TEST(ScreenFor, ShowsThePlanWhileItIsShown) {
    Snapshot snap = WelcomeLike();
    snap.plan = true;
    const Screen screen = ScreenFor(snap, kMinRows, kMinCols);
    const auto grid = RowsOf(screen, kMinRows, kMinCols);
    EXPECT_EQ(grid[0].find("Pellix Vantric lab environment diagram"), 0u);
    EXPECT_EQ(grid[kMinRows - 1].find("Press any key to close the network plan."), 0u);
    EXPECT_FALSE(screen.cursorShown);
    for (const auto& row : grid) EXPECT_EQ(row.find("Router>"), std::string::npos);
    snap.plan = false;
    EXPECT_EQ(
        RowsOf(ScreenFor(snap, kMinRows, kMinCols), kMinRows, kMinCols)[kInputRow].substr(0, 7),
        "Router>");
}

TEST(NetworkPlan, NamesEveryDeviceAndAddressAndFitsTheScreen) {
    const auto& rows = NetworkPlanRows();
    EXPECT_LE(static_cast<int>(rows.size()), kMinRows - 2);
    std::string all;
    for (const auto& row : rows) {
        EXPECT_LE(static_cast<int>(row.size()), kMinCols) << row;
        EXPECT_EQ(FitText(row, kMinCols), row) << row;
        all += row + "\n";
    }
    const char* shown[] = {"Router1",      "172.10.0.1",  "210.16.54.1",  "56K",
                           "Router2",      "210.16.54.2", "192.168.50.1", "192.168.10.1",
                           "Switch1",      "HostA",       "172.10.55.20", "ServerA",
                           "172.10.0.10",  "TFTP Server", "Token Ring",   "ServerX",
                           "192.168.50.8", "HostZ",       "192.168.10.20"};
    for (const char* text : shown) EXPECT_TRUE(Names(all, text)) << text;
    // The whole drawing reaches the screen at the smallest size.
    const auto grid = RowsOf(PlanScreen(kMinRows, kMinCols), kMinRows, kMinCols);
    for (std::size_t k = 0; k < rows.size(); ++k)
        EXPECT_EQ(grid[1 + k].substr(0, rows[k].size()), rows[k]);
}

}  // namespace
}  // namespace pellix::term
