// The command-line reader every program uses: what it hands back, and that
// it reads afresh each time (getopt keeps its place between calls).
#include "cli/ReadArguments.h"

#include <gtest/gtest.h>

namespace pellix::cli {
namespace {

constexpr Option kTable[] = {{"dir", 'd', true}, {"help", 'h'}, {"no-hints"}};

// What a reading found, in one line: "dir=x(--dir) help(-hx) | ?x(-hx) | a b".
std::string Shown(const Reading& reading) {
    std::string shown;
    for (const Found& found : reading.options)
        shown += std::string(kTable[found.option].name) + (found.shortForm ? "/s" : "") +
                 (found.value.empty() ? "" : "=" + found.value) + "(" + found.word + ") ";
    shown += "|";
    if (reading.fault) {
        const char* kinds[] = {" unknown", " missing", " unwanted"};
        shown += kinds[static_cast<int>(reading.fault->kind)];
        if (reading.fault->option) shown += std::string(" ") + kTable[*reading.fault->option].name;
        if (reading.fault->letter) shown += std::string(" -") + reading.fault->letter;
        shown += " (" + reading.fault->word + ")";
    }
    shown += " |";
    for (const std::string& operand : reading.operands) shown += " " + operand;
    return shown;
}

TEST(ReadArguments, HandsBackOptionsFaultsAndOperandsAsWritten) {
    struct Case {
        std::vector<std::string> args;
        Operands operands;
        std::string want;
    };
    const auto end = Operands::EndOptions, among = Operands::AmongOptions;
    const Case cases[] = {
        {{"--dir", "a", "-dB", "--di=c", "-h"},
         end,
         "dir=a(--dir) dir/s=B(-dB) dir=c(--di=c) help/s(-h) | |"},
        {{"-hd", "x", "--no"}, end, "help/s(-hd) dir/s=x(-hd) no-hints(--no) | |"},
        {{"--dir", "-h"}, end, "dir=-h(--dir) | |"},
        {{"-hx", "-h"}, end, "help/s(-hx) | unknown -x (-hx) |"},
        {{"--bogus=1"}, end, "| unknown (--bogus=1) |"},
        {{"--help=1"}, end, "| unwanted help (--help=1) |"},
        {{"--dir"}, end, "| missing dir (--dir) |"},
        {{"-h", "-d"}, end, "help/s(-h) | missing dir -d (-d) |"},
        {{"a", "-h", "--", "b"}, end, "| | a -h -- b"},
        {{"-h", "--", "-d", "b"}, end, "help/s(-h) | | -d b"},
        {{"a", "-h", "-", "--", "-d"}, among, "help/s(-h) | | a - -d"},
        {{"a", "--bogus", "b"}, among, "| unknown (--bogus) | a"},
        {{"-", "--no-hints", "-"}, among, "no-hints(--no-hints) | | - -"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Shown(ReadArguments(kTable, c.args, c.operands)), c.want)
            << testing::PrintToString(c.args);
}

// A reading stopped in the middle of "-xh" leaves getopt there; the next
// one starts at its own first argument all the same.
TEST(ReadArguments, StartsAfreshAfterAReadingStoppedInsideAWord) {
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(Shown(ReadArguments(kTable, {"-xh", "extra"}, Operands::EndOptions)),
                  "| unknown -x (-xh) |");
        EXPECT_EQ(Shown(ReadArguments(kTable, {"--no-hints"}, Operands::AmongOptions)),
                  "no-hints(--no-hints) | |");
    }
}

// Qt's way: long options after one dash as well, letters still as letters.
TEST(ReadArguments, OneDashLongOptionsLeaveLettersAlone) {
    EXPECT_EQ(Shown(ReadArguments(kTable, {"-no-hints", "-d", "x", "-hd", "y"},
                                  Operands::EndOptions, Dashes::OneOrTwo)),
              "no-hints(-no-hints) dir/s=x(-d) help/s(-hd) dir/s=y(-hd) | |");
}

}  // namespace
}  // namespace pellix::cli
