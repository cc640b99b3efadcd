// The 100-line configuration format: written byte for byte, read back
// exactly, and read from older or hand-made layouts.
#include <gtest/gtest.h>

#include <string>

#include "state/ConfigFile.h"

namespace pellix {
namespace {

std::string Zone(int k) {
    std::string number = " " + std::to_string(k);
    return number + std::string(14 - number.size(), ' ');
}

TEST(ConfigFileFormat, ResetRouterIsWrittenByteForByte) {
    ConfigSlotTable slots{};
    slots[slot::Hostname] = "Router";
    std::string expected = " 1            Router\r\n";
    for (int k = 2; k <= 100; ++k) expected += Zone(k) + "-=-\r\n";
    EXPECT_EQ(expected, WriteConfigText(slots));
    // the zone by hand for the widths of one, two and three digits
    EXPECT_NE(std::string::npos, expected.find("\r\n 7            -=-\r\n"));
    EXPECT_NE(std::string::npos, expected.find("\r\n 42           -=-\r\n"));
    EXPECT_TRUE(expected.ends_with("\r\n 100          -=-\r\n"));
}

TEST(ConfigFileFormat, SlotZeroIsNeverWritten) {
    ConfigSlotTable slots{};
    slots[0] = "zero";
    slots[100] = "last";
    std::string text = WriteConfigText(slots);
    EXPECT_EQ(std::string::npos, text.find("zero"));
    EXPECT_TRUE(text.starts_with(" 1            -=-\r\n"));
    EXPECT_TRUE(text.ends_with(" 100          last\r\n"));
}

TEST(ConfigFileFormat, TextsComeBackExactly) {
    const std::string texts[] = {
        "R1",           "a, b",          "\"quoted\"",    "\"a\",b,\"c\"", "  two leading blanks",
        "trailing  ",   "-=-x",          "x-=-",          " -=-",          "tab\there",
        "100 at start", "  7   numbers", "\xe9\xff bytes"};
    for (const std::string& text : texts) {
        for (int k : {1, 9, 10, 99, 100}) {
            ConfigSlotTable slots{};
            slots[static_cast<std::size_t>(k)] = text;
            std::optional<SavedSlots> read = ReadConfigText(WriteConfigText(slots));
            ASSERT_TRUE(read) << text;
            EXPECT_EQ(text, (*read)[static_cast<std::size_t>(k - 1)]) << "slot " << k;
        }
    }
}

TEST(ConfigFileFormat, MarkerTextReadsBackEmpty) {
    ConfigSlotTable slots{};
    slots[5] = "-=-";
    std::string text = WriteConfigText(slots);
    EXPECT_NE(std::string::npos, text.find("\r\n 5            -=-\r\n"));
    std::optional<SavedSlots> read = ReadConfigText(text);
    ASSERT_TRUE(read);
    EXPECT_EQ("", (*read)[4]);
}

TEST(ConfigFileFormat, ReadsOneLineInAnyLayout) {
    struct Case {
        std::string line;
        std::string text;
    };
    const Case cases[] = {
        {" 1            Router", "Router"},
        {" 1            -=-", ""},
        {" 1              R1", "  R1"},  // the writer's zone keeps leading blanks
        {" 1            a, b", "a, b"},
        {"1 Router", "Router"},       // number then one blank
        {"1      Router", "Router"},  // number then any blanks
        {"  12   x y", "x y"},
        {" 100 last", "last"},
        {"17", ""},
        {"", ""},
        {"Router", "Router"},  // no number at all
        {"3 -=-", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, ReadConfigLine(c.line)) << "|" << c.line << "|";
}

std::string Lines(int count, const std::string& end) {
    std::string text;
    for (int k = 1; k <= count; ++k) text += Zone(k) + "t" + std::to_string(k) + end;
    return text;
}

TEST(ConfigFileFormat, LineEndsAndLength) {
    struct Case {
        std::string name;
        std::string text;
        bool loads;
    };
    const Case cases[] = {
        {"CR LF", Lines(100, "\r\n"), true},
        {"LF", Lines(100, "\n"), true},
        {"no end after the last line", Lines(100, "\r\n").substr(0, Lines(100, "\r\n").size() - 2),
         true},
        {"101 lines", Lines(101, "\r\n"), true},
        {"99 lines", Lines(99, "\r\n"), false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        std::optional<SavedSlots> read = ReadConfigText(c.text);
        ASSERT_EQ(c.loads, read.has_value()) << c.name;
        if (!read) continue;
        for (int k = 1; k <= 100; ++k)
            EXPECT_EQ("t" + std::to_string(k), (*read)[static_cast<std::size_t>(k - 1)])
                << c.name << ", line " << k;
    }
}

}  // namespace
}  // namespace pellix
