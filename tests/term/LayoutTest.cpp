// The terminal console's screen: where the console lines, the score label,
// the status strip and the key hint go, how they are cut at the terminal's
// width, the notice for a terminal too small, and the network plan.
#include "term/Layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include "lab/NetworkPlan.h"
#include "lab/Pages.h"

namespace pellix::term {
namespace {

Snapshot WelcomeLike() {
    Snapshot snap;
    snap.lines[1] = "This router simulator is designed specifically for use with the included";
    snap.lines[6] = "Router con0 is now available";
    snap.lines[9] = "Press RETURN to get started.";
    snap.lines[InputLine] = "Router>";
    snap.label = "OK";
    snap.mode = Mode::UserExec;
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

ConsoleView WithHint() {
    ConsoleView view;
    view.hint = "F2 Network Plan  F10 Finish";
    return view;
}

TEST(ConsoleScreen, PlacesLabelLinesStripAndHint) {
    Snapshot snap = WelcomeLike();
    snap.label = "Score:  7";
    snap.strip = {"Privileged mode entered", "a second note the strip cuts off"};
    const Screen screen = ConsoleScreen(snap, WithHint(), kFrameRows, kFrameCols);

    EXPECT_EQ(At(screen, 0, 0), (Text{0, 0, "Vantric Sim", Look::Caption}));
    EXPECT_EQ(At(screen, kLabelRow, kFrameCols - 9),
              (Text{0, kFrameCols - 9, "Score:  7", Look::Label}));
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
    EXPECT_EQ(strip->text, "Privileged mode entered" + std::string(kFrameCols - 23, ' '));
    EXPECT_EQ(At(screen, kHintRow, 0),
              (Text{kHintRow, 0, "F2 Network Plan  F10 Finish", Look::Hint}));
    EXPECT_TRUE(screen.cursorShown);
    EXPECT_EQ(screen.cursorRow, kInputRow);
    EXPECT_EQ(screen.cursorCol, 7);
}

TEST(ConsoleScreen, Fits80x23WithoutTheHintRow) {
    const Screen screen = ConsoleScreen(WelcomeLike(), WithHint(), 23, 80);
    const auto grid = RowsOf(screen, 23, 80);
    EXPECT_EQ(grid[kInputRow].substr(0, 8), "Router> ");
    EXPECT_EQ(grid[kStripRow], std::string(80, ' '));
    for (const auto& row : grid) EXPECT_EQ(row.find("F10"), std::string::npos);
    EXPECT_EQ(screen.cursorRow, kInputRow);
}

// At 80x23 there is no hint row: the keys are named beside the caption, in
// the longest form that leaves the score clear, unless a notice stands there.
TEST(ConsoleScreen, NamesTheKeysBesideTheCaptionWithoutAHintRow) {
    Snapshot snap = WelcomeLike();
    snap.label = "Score:  7";
    ConsoleView view = WithHint();
    view.briefHints = {std::string(60, 'k'), "F2 Plan F10 Finish"};
    auto row0 = [&](int rows) { return RowsOf(ConsoleScreen(snap, view, rows, 80), rows, 80)[0]; };
    EXPECT_EQ(row0(23), "Vantric Sim  F2 Plan F10 Finish" + std::string(40, ' ') + "Score:  7");
    EXPECT_EQ(At(ConsoleScreen(snap, view, 23, 80), 0, 13)->look, Look::Hint);
    EXPECT_EQ(row0(24), "Vantric Sim" + std::string(60, ' ') + "Score:  7");
    view.notice = "Ctrl-C again";
    EXPECT_EQ(row0(23), "Ctrl-C again" + std::string(59, ' ') + "Score:  7");
}

TEST(ConsoleScreen, StaysCompactAndCentredOnABigTerminal) {
    Snapshot snap = WelcomeLike();
    snap.label = "Score:  7";
    const Screen screen = ConsoleScreen(snap, WithHint(), 60, 200);
    const int top = (60 - kFrameRows) / 2;
    const int left = (200 - kFrameCols) / 2;
    EXPECT_EQ(At(screen, top, left), (Text{top, left, "Vantric Sim", Look::Caption}));
    // The score ends where the console's 80 columns end, not at the far edge.
    EXPECT_EQ(At(screen, top, left + kFrameCols - 9)->text, "Score:  7");
    EXPECT_EQ(At(screen, top + kStripRow, left)->text, std::string(kFrameCols, ' '));
    EXPECT_EQ(At(screen, top + kHintRow, left)->look, Look::Hint);
    EXPECT_EQ(screen.cursorRow, top + kInputRow);
    EXPECT_EQ(screen.cursorCol, left + 7);
}

TEST(ConsoleScreen, LongLinesAreCutWithAMarkerAndTheInputLineScrollsSideways) {
    struct Case {
        std::size_t length;
        std::string shown;  // the row as drawn
        int cursorCol;
    };
    const std::string typed = "Router#" + std::string(200, 'a') + "0123456789";
    const Case cases[] = {
        {79, typed.substr(0, 79), 79},
        {80, "<" + typed.substr(2, 78), 79},
        {217, "<" + typed.substr(217 - 78, 78), 79},
    };
    for (const Case& c : cases) {
        Snapshot snap = WelcomeLike();
        snap.lines[InputLine] = typed.substr(0, c.length);
        snap.lines[3] = typed.substr(0, c.length);
        const Screen screen = ConsoleScreen(snap, WithHint(), kFrameRows, kFrameCols);
        const auto grid = RowsOf(screen, kFrameRows, kFrameCols);
        EXPECT_EQ(grid[kInputRow], c.shown + std::string(80 - c.shown.size(), ' ')) << c.length;
        EXPECT_EQ(screen.cursorCol, c.cursorCol) << c.length;
        // An output line of up to 80 characters is whole; a longer one ends in the marker.
        const std::string line3 =
            c.length <= 80 ? typed.substr(0, c.length) : typed.substr(0, 79) + ">";
        EXPECT_EQ(grid[kFirstConsoleRow + 3].substr(0, line3.size()), line3) << c.length;
        if (c.length > 80) {
            EXPECT_EQ(At(screen, kFirstConsoleRow + 3, 79)->look, Look::Marker);
            EXPECT_EQ(At(screen, kInputRow, 0)->look, Look::Marker);
        }
    }
}

TEST(ConsoleScreen, ScrolledBackShowsKeptLinesAndTheMarker) {
    std::deque<std::string> kept;
    for (int k = 0; k < 30; ++k) kept.push_back("kept " + std::to_string(k));
    ConsoleView view = WithHint();
    view.scrollBack = &kept;
    view.scrolledBack = 5;
    const Screen screen = ConsoleScreen(WelcomeLike(), view, kFrameRows, kFrameCols);
    EXPECT_EQ(At(screen, kFirstConsoleRow, 0)->text, "kept 25");
    EXPECT_EQ(At(screen, kFirstConsoleRow + 4, 0)->text, "kept 29");
    EXPECT_EQ(At(screen, kFirstConsoleRow + 6, 0)->text,
              "This router simulator is designed specifically for use with the included");
    EXPECT_FALSE(screen.cursorShown);
    EXPECT_EQ(At(screen, kHintRow, 0)->text,
              "Scrolled back 5 lines: PgUp/PgDn, any other key returns");
    // Without a hint row the marker takes the caption's place.
    const Screen small = ConsoleScreen(WelcomeLike(), view, kMinRows, kMinCols);
    EXPECT_EQ(At(small, 0, 0)->text, "Scrolled back 5 lines: PgUp/PgDn, any other key returns");
    EXPECT_EQ(At(small, 0, 0)->look, Look::Notice);
}

TEST(ConsoleScreen, LongLabelNeverCoversTheCaption) {
    Snapshot snap = WelcomeLike();
    snap.label = std::string(120, '9');
    const auto grid =
        RowsOf(ConsoleScreen(snap, WithHint(), kFrameRows, kFrameCols), kFrameRows, kFrameCols);
    EXPECT_EQ(grid[kLabelRow].substr(0, 12), "Vantric Sim ");
    EXPECT_EQ(grid[kLabelRow].substr(12), std::string(kFrameCols - 12, '9'));
}

TEST(WrapText, BreaksAtBlanksWithinTheWidth) {
    struct Case {
        std::string text;
        int width;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"", 10, {}},
        {"one two three", 9, {"one two", "three"}},
        {"one two three", 7, {"one two", "three"}},
        {"one two three", 13, {"one two three"}},
        {"a /very/long/path/name b", 6, {"a", "/very/", "long/p", "ath/na", "me b"}},
    };
    for (const Case& c : cases) EXPECT_EQ(WrapText(c.text, c.width), c.rows) << c.text;
}

TEST(FitText, CutsAndMasksWhatCouldMoveTheCursor) {
    struct Case {
        std::string text;
        int width;
        std::string shown;
    };
    const Case cases[] = {
        {"Router>", 80, "Router>"},
        {"Router>", 3, "Rou"},
        {"Router>", 0, ""},
        {"Router>", -4, ""},
        {"R\x1b[2Jx", 80, "R?[2Jx"},
        {"tab\there\r\n", 80, "tab?here??"},
        {std::string("a\0b", 3), 80, "a?b"},
        {"~\x7f", 80, "~?"},
        // UTF-8 as it is, each character its columns (a wide one two), cut
        // between characters; a C1 control or a byte that starts no
        // character is "?".
        {"/home/jos\xc3\xa9", 80, "/home/jos\xc3\xa9"},
        {"jos\xc3\xa9x", 4, "jos\xc3\xa9"},
        {"\xe6\x97\xa5\xe6\x9c\xac", 3, "\xe6\x97\xa5"},
        {"e\xcc\x81!", 2, "e\xcc\x81!"},
        {"a\xc2\x85"
         "b\xff"
         "c\xc3",
         80, "a?b?c?"},
        {"\xed\xa0\x80\xc0\xaf", 80, "?????"},
    };
    for (const Case& c : cases) EXPECT_EQ(FitText(c.text, c.width), c.shown) << c.text;
    EXPECT_EQ(TextColumns("jos\xc3\xa9 \xe6\x97\xa5"), 7);
    EXPECT_EQ(AsciiText("jos\xc3\xa9 \xe6\x97\xa5\x01"), "jos? ???");
    EXPECT_EQ(TextFrom("ab\xe6\x97\xa5"
                       "cd",
                       3),
              " cd");
    EXPECT_EQ(TextFrom("ab\xe6\x97\xa5"
                       "cd",
                       2),
              "\xe6\x97\xa5"
              "cd");
}

TEST(FileUrl, PercentEncodesThePath) {
    struct Case {
        std::string host;
        std::string file;
        std::string fragment;
        std::string url;
    };
    const Case cases[] = {
        {"", "/home/ana/data/readme.htm", "task-50", "file:///home/ana/data/readme.htm#task-50"},
        {"pc1", "/home/jos\xc3\xa9/my data/readme.htm", "",
         "file://pc1/home/jos%C3%A9/my%20data/readme.htm"},
        {"", "/tmp/a#b%c?d~e_f-g.h", "task-1", "file:///tmp/a%23b%25c%3Fd~e_f-g.h#task-1"},
    };
    for (const Case& c : cases) EXPECT_EQ(FileUrl(c.host, c.file, c.fragment), c.url) << c.file;
}

// The lesson page's path is a text of its own with the file's URL.
TEST(PageScreen, ThePathOfTheLessonsIsALink) {
    const Page page = lab::LessonPage(TaskTable{}, "/home/jos\xc3\xa9/readme.htm");
    const Screen screen = PageScreen(page, 0, kFrameRows, kFrameCols);
    const auto link = std::find_if(screen.texts.begin(), screen.texts.end(),
                                   [](const Text& text) { return !text.link.empty(); });
    ASSERT_NE(link, screen.texts.end());
    EXPECT_EQ(*link, (Text{3, 2, "/home/jos\xc3\xa9/readme.htm#task-50", Look::Plain,
                           "file:///home/jos%C3%A9/readme.htm#task-50"}));
    EXPECT_EQ(std::count_if(screen.texts.begin(), screen.texts.end(),
                            [](const Text& text) { return !text.link.empty(); }),
              1);
}

TEST(ConsoleScreen, TooSmallTerminalShowsOnlyTheNotice) {
    struct Case {
        int rows;
        int cols;
    };
    const Case tooSmall[] = {
        {kMinRows - 1, kMinCols}, {kMinRows, kMinCols - 1}, {20, 60}, {3, 10}, {1, 200}};
    for (const Case& c : tooSmall) {
        EXPECT_FALSE(Fits(c.rows, c.cols));
        for (const Screen& screen : {ConsoleScreen(WelcomeLike(), WithHint(), c.rows, c.cols),
                                     PageScreen(lab::NetworkPlanPage(), 0, c.rows, c.cols)}) {
            const auto grid = RowsOf(screen, c.rows, c.cols);
            const std::string notice = "Terminal too small: need 80x23";
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
    EXPECT_TRUE(TooSmallScreen(0, 0).texts.empty());
}

TEST(NetworkPlan, NamesEveryDeviceAndAddressAndFitsTheScreen) {
    const auto& rows = lab::NetworkPlanRows();
    EXPECT_LE(static_cast<int>(rows.size()), PageRowsShown(kMinRows));
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
    // The whole drawing, its caption and its hint reach the screen at the smallest size.
    const auto grid =
        RowsOf(PageScreen(lab::NetworkPlanPage(), 0, kMinRows, kMinCols), kMinRows, kMinCols);
    EXPECT_EQ(grid[0].find("Pellix Vantric lab environment diagram"), 0u);
    for (std::size_t k = 0; k < rows.size(); ++k)
        EXPECT_EQ(grid[1 + k].substr(0, rows[k].size()), rows[k]);
    EXPECT_EQ(grid[kMinRows - 1].find("q, Escape or F2 closes the network plan."), 0u);
}

TEST(PageScreen, ShowsALongPageFromItsTopRow) {
    Page page{"Caption", {}, "hint"};
    for (int k = 0; k < 50; ++k) page.rows.push_back("row " + std::to_string(k));
    const Screen screen = PageScreen(page, 10, kFrameRows, kFrameCols);
    EXPECT_EQ(At(screen, 1, 0)->text, "row 10");
    EXPECT_EQ(At(screen, kFrameRows - 2, 0)->text, "row " + std::to_string(10 + kFrameRows - 3));
    EXPECT_EQ(At(screen, kFrameRows - 1, 0)->text, "hint");
    EXPECT_FALSE(screen.cursorShown);
}

}  // namespace
}  // namespace pellix::term
