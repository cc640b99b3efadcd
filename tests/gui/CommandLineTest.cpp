// pellix's command line: its own options read, Qt's own skipped for Qt to
// take, and every mistake named, before any window system is touched.
#include "gui/CommandLine.h"

#include <gtest/gtest.h>

namespace pellix::gui {
namespace {

// What a command line comes to, in one line: "help", "version", "bad:
// PROBLEM", or "run" and the settings.
std::string Shown(const CommandLine& line) {
    switch (line.action) {
        case CommandLine::Action::Help:
            return "help";
        case CommandLine::Action::Version:
            return "version";
        case CommandLine::Action::BadUsage:
            return "bad: " + line.problem;
        case CommandLine::Action::Run:
            break;
    }
    return "run" + (line.dir ? " dir=" + line.dir->string() : "") +
           (line.quitAfterShow.empty() ? "" : " quit=" + line.quitAfterShow) +
           (line.openMain ? " open-main" : "") + (line.hints ? "" : " no-hints");
}

TEST(ParseCommandLine, ReadsOwnOptionsAndLeavesQtItsOwn) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "run"},
        {{"--dir", "a"}, "run dir=a"},
        {{"--dir=a"}, "run dir=a"},
        {{"-d", "a"}, "run dir=a"},
        {{"--dir", "-V"}, "run dir=-V"},
        {{"--no-hints", "--open-main"}, "run open-main no-hints"},
        {{"-platform", "offscreen", "--dir", "g", "--quit-after-show", "splash"},
         "run dir=g quit=splash"},
        {{"--quit-after-show=splash-settled"}, "run quit=splash-settled"},
        {{"--platform", "offscreen", "-reverse", "--widgetcount"}, "run"},
        {{"-style=fusion", "--style", "fusion", "-stylesheet=a.qss"}, "run"},
        {{"-qwindowgeometry", "640x480", "-qwindowtitle", "t", "-session", "s"}, "run"},
        {{"-title", "t", "-icon", "i.png", "-testability", "-plugin", "p"}, "run"},
        {{"-platform", "--dir"}, "run"},
        {{"--help"}, "help"},
        {{"-V", "-h"}, "help"},
        {{"--version"}, "version"},
        {{"-V"}, "version"},
        {{"--"}, "run"},
        {{"--help", "--bogus"}, "bad: unknown option --bogus"},
        {{"--bogus"}, "bad: unknown option --bogus"},
        {{"-x"}, "bad: unknown option -x"},
        {{"--platform=offscreen"}, "bad: unknown option --platform=offscreen"},
        {{"-reverse=1"}, "bad: unknown option -reverse=1"},
        {{"-rev"}, "bad: unknown option -rev"},
        {{"-plat", "offscreen"}, "bad: unknown option -plat"},
        {{"-dir", "a"}, "bad: unknown option -dir"},
        {{"-help"}, "bad: unknown option -help"},
        {{"-platform"}, "bad: -platform needs a value"},
        {{"--dir"}, "bad: --dir needs a value"},
        {{"-d"}, "bad: -d needs a value"},
        {{"--dir="}, "bad: --dir needs a folder"},
        {{"--help=x"}, "bad: --help takes no value"},
        {{"--quit-after-show", "x"}, "bad: --quit-after-show takes splash, splash-settled or main"},
        {{"extra"}, "bad: unexpected argument extra"},
        {{"extra", "--bogus"}, "bad: unexpected argument extra"},
        {{"--", "extra"}, "bad: unexpected argument extra"},
        {{"-"}, "bad: unexpected argument -"},
    };
    for (const auto& [args, want] : cases)
        EXPECT_EQ(Shown(ParseCommandLine(args)), want) << testing::PrintToString(args);
}

}  // namespace
}  // namespace pellix::gui
