// pellix-term's command line.
#include "term/Options.h"
#include "term/Terminal.h"

#include <gtest/gtest.h>

#include <sstream>

namespace pellix::term {
namespace {

TEST(ParseOptions, AcceptsTheFolderHelpAndVersion) {
    struct Case {
        std::vector<std::string> args;
        std::optional<std::filesystem::path> dir;
        bool help;
        bool version;
        std::string error;
    };
    const Case cases[] = {
        {{}, std::nullopt, false, false, ""},
        {{"--dir", "/tmp/x"}, "/tmp/x", false, false, ""},
        {{"--dir=rel/y"}, "rel/y", false, false, ""},
        {{"-d", "z"}, "z", false, false, ""},
        {{"--dir", "-x"}, "-x", false, false, ""},
        {{"--help"}, std::nullopt, true, false, ""},
        {{"-h"}, std::nullopt, true, false, ""},
        {{"--version"}, std::nullopt, false, true, ""},
        {{"-V"}, std::nullopt, false, true, ""},
        {{"-hV"}, std::nullopt, true, true, ""},
        {{"--"}, std::nullopt, false, false, ""},
        {{"--dir", "a", "--"}, "a", false, false, ""},
        {{"--dir"}, std::nullopt, false, false, "--dir needs a folder"},
        {{"-d"}, std::nullopt, false, false, "--dir needs a folder"},
        {{"--dir="}, std::nullopt, false, false, "--dir needs a folder"},
        {{"--dir", ""}, std::nullopt, false, false, "--dir needs a folder"},
        {{"-x"}, std::nullopt, false, false, "unknown option -x"},
        {{"--colour"}, std::nullopt, false, false, "unknown option --colour"},
        {{"--colour=no"}, std::nullopt, false, false, "unknown option --colour"},
        {{"folder"}, std::nullopt, false, false, "unexpected argument folder"},
        {{"--", "-h"}, std::nullopt, false, false, "unexpected argument -h"},
    };
    for (const Case& c : cases) {
        const Options options = ParseOptions(c.args);
        EXPECT_TRUE(options.hints) << testing::PrintToString(c.args);
        const std::string shown = testing::PrintToString(c.args);
        EXPECT_EQ(options.dir, c.dir) << shown;
        EXPECT_EQ(options.help, c.help) << shown;
        EXPECT_EQ(options.version, c.version) << shown;
        EXPECT_EQ(options.error, c.error) << shown;
    }
}

TEST(ParseOptions, NoHintsTurnsTheCoachOff) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--no-hints"}, {"--dir", "d", "--no-hints"}, {"--no-hints", "-d", "d"}}) {
        const Options options = ParseOptions(args);
        EXPECT_FALSE(options.hints) << testing::PrintToString(args);
        EXPECT_EQ(options.error, "") << testing::PrintToString(args);
    }
}

// The help fits an 80-column terminal and says how to select and paste with
// the mouse while the console takes its wheel.
TEST(Usage, FitsTheTerminalAndNamesShiftForSelection) {
    std::istringstream usage(kUsage);
    std::string line;
    while (std::getline(usage, line)) EXPECT_LE(line.size(), 80u) << line;
    for (const char* named : {"Shift+drag", "Shift+middle-click", "--plain", "Left and Right"})
        EXPECT_NE(std::string_view(kUsage).find(named), std::string_view::npos) << named;
}

// --plain asks for the log; TERM=dumb, which cannot move the cursor, gets it
// unasked.
TEST(ParseOptions, PlainWritesALog) {
    EXPECT_TRUE(ParseOptions({"--plain", "--dir", "d"}).plain);
    EXPECT_FALSE(ParseOptions({"--dir", "d"}).plain);
    EXPECT_TRUE(PlainWanted(true, "xterm"));
    EXPECT_TRUE(PlainWanted(false, "dumb"));
    EXPECT_FALSE(PlainWanted(false, "xterm"));
}

}  // namespace
}  // namespace pellix::term
