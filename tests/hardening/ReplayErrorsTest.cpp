// pellix-replay never exits 0 having run nothing: a script that cannot be
// opened or read ends it with status 2 and a message; and the message for a
// malformed line never sends the line's raw bytes, nor megabytes of them,
// to the terminal.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>

#include "HardeningSupport.h"
#include "replay/Replay.h"
#include "support/Cases.h"
#include "support/Program.h"

namespace pellix::hardening {
namespace {

using support::CaseName;
using support::PrintTo;

// pellix-replay on a folder of its own with the given arguments, standard
// input redirected as the shell text says.
support::ProgramRun Replay(const TempFolder& folder, const std::string& arguments,
                           const std::string& input) {
    return support::RunShell(std::string(PELLIX_REPLAY_EXE) + " --dir " +
                                 support::ShellQuoted(folder.Path()) + " " + arguments + " " +
                                 input,
                             folder);
}

// ---- A script that cannot be opened or read ----

struct ScriptCase {
    const char* name;
    std::string arguments;  // "{}" stands for the working folder
    std::string input;
    std::string err;  // "{}" as above
    bool needsNonRoot = false;
};

std::string Fill(std::string text, const fs::path& folder) {
    for (std::size_t at; (at = text.find("{}")) != std::string::npos;)
        text.replace(at, 2, folder.string());
    return text;
}

class UnreadableScripts : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(UnreadableScripts, EndTheRunWithStatusTwo) {
    const ScriptCase& c = GetParam();
    if (c.needsNonRoot && RunningAsRoot())
        GTEST_SKIP() << "running as root, whom file permissions do not stop";
    TempFolder folder;
    WriteFile(folder.File("locked"), "screen\n");
    fs::permissions(folder.File("locked"), fs::perms::none);
    support::ProgramRun run =
        Replay(folder, Fill(c.arguments, folder.Path()), Fill(c.input, folder.Path()));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, Fill(c.err, folder.Path()));
}

INSTANTIATE_TEST_SUITE_P(
    Replay, UnreadableScripts,
    ::testing::Values(
        ScriptCase{"FolderAsScript", "'{}'", "</dev/null",
                   "pellix-replay: cannot read script {} (Is a directory)\n"},
        ScriptCase{"FolderAsInput", "", "<'{}'",
                   "pellix-replay: cannot read the script after line 0\n"},
        ScriptCase{"MissingScript", "'{}/none'", "</dev/null",
                   "pellix-replay: cannot open script {}/none (No such file or directory)\n"},
        ScriptCase{"UnreadableScript", "'{}/locked'", "</dev/null",
                   "pellix-replay: cannot open script {}/locked (Permission denied)\n", true}),
    CaseName());

// A script whose reading fails after some lines: the events read so far
// have run, and the run ends with status 2.
class FailingScript : public std::streambuf {
  public:
    explicit FailingScript(std::string good) : good_(std::move(good)) {
        setg(good_.data(), good_.data(), good_.data() + good_.size());
    }

  protected:
    int_type underflow() override { throw std::ios_base::failure("read error"); }

  private:
    std::string good_;
};

TEST(ReplayScript, ReadErrorPartWayEndsWithStatusTwo) {
    TempFolder folder;
    Sim sim(folder.Path());
    sim.Start();
    FailingScript source("type enable\nenter\nscreen\n");
    std::istream script(&source);
    std::ostringstream out, err;
    EXPECT_EQ(RunScript(sim, script, out, err), 2);
    EXPECT_EQ(err.str(), "pellix-replay: cannot read the script after line 3\n");
    EXPECT_NE(out.str().find("\"mode\":2"), std::string::npos) << "the lines read did not run";
}

// ---- The echo of a malformed line ----

// ---- Every line read alike from a script and on its own ----

// pellix-replay reads its script from a stream, which reads it in blocks;
// ParseEvent reads a line on its own. Both must accept the same lines and
// run the same events, wherever a line falls: in the middle of a block,
// across two blocks, or last without a line end.
struct LineCase {
    std::string line;
    bool wellFormed;
};

// The line spelt out for a test's name: letters and digits as they are,
// every other byte by its name ("key  65535 " is keyBlankBlank65535Blank).
std::string SpeltOut(const std::string& line) {
    static const std::map<char, const char*> kNames = {
        {' ', "Blank"}, {'\t', "Tab"}, {'\0', "Nul"}, {'-', "Dash"}, {'#', "Hash"}};
    if (line.empty()) return "Empty";
    std::string name;
    for (char c : line) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            name += c;
        } else if (auto it = kNames.find(c); it != kNames.end()) {
            name += it->second;
        } else {
            name += "Byte" + std::to_string(static_cast<unsigned char>(c));
        }
    }
    return name;
}

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(c.line) << (c.wellFormed ? " (well formed)" : " (malformed)");
}

class ScriptLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ScriptLine, IsReadAsParsedAlone) {
    const LineCase& c = GetParam();
    const std::string start = "type enable\nenter\n";
    const std::string acrossBlocks = "#" + std::string((1 << 16) - start.size() - 4, '-') + "\n";
    for (const std::string& before : {std::string(), acrossBlocks}) {
        for (const std::string& after : {std::string("\nscreen\n"), std::string()}) {
            SCOPED_TRACE(std::string(before.empty() ? "" : "across two blocks, ") +
                         (after.empty() ? "last without LF" : "followed by screen"));
            TempFolder scripted;
            Sim sim(scripted.Path());
            sim.Start();
            std::istringstream script(start + before + c.line + after);
            std::ostringstream out, err;
            EXPECT_EQ(RunScript(sim, script, out, err), c.wellFormed ? 0 : 2) << err.str();

            std::optional<Event> event = ParseEvent(c.line);
            ASSERT_EQ(event.has_value(), c.wellFormed);
            if (!event || after.empty()) continue;
            TempFolder alone;
            Sim parsed(alone.Path());
            parsed.Start();
            std::ostringstream ignored;
            for (std::string_view line : {"type enable", "enter"})
                Apply(parsed, *ParseEvent(line), ignored);
            std::ostringstream printed;  // by "screen"
            Apply(parsed, *event, printed);
            EXPECT_EQ(out.str(), printed.str() + SnapshotJson(parsed) + "\n");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Replay, ScriptLine,
    ::testing::Values(LineCase{"bs", true}, LineCase{"  bs", true}, LineCase{"\t bs", true},
                      LineCase{"bs \t", true}, LineCase{"bs\t", true}, LineCase{"bs x", false},
                      LineCase{"b", false}, LineCase{"bsx", false}, LineCase{"BS", false},
                      LineCase{"type", true}, LineCase{"type ", true},
                      LineCase{"type  show  ver ", true}, LineCase{"   type x", true},
                      LineCase{"type\tx", false}, LineCase{"typewriter", false},
                      LineCase{"enter", true}, LineCase{"lf", true}, LineCase{"ctrl-z", true},
                      LineCase{"tab", true}, LineCase{"esc", true}, LineCase{"up", true},
                      LineCase{"down", true}, LineCase{"plan", true}, LineCase{"close-plan", true},
                      LineCase{"close-plan\t ", true}, LineCase{"close-plane", false},
                      LineCase{"close-pla", false}, LineCase{"close-plam", false},
                      LineCase{"tick", true}, LineCase{"screen", true}, LineCase{"key 63", true},
                      LineCase{"key  65535 ", true}, LineCase{"key 65536", false},
                      LineCase{"key", false}, LineCase{"keys 1", false}, LineCase{"click 20", true},
                      LineCase{"click 21", false}, LineCase{"# bs x", true}, LineCase{"", true},
                      LineCase{" \t ", true}, LineCase{"abcdefgh", false},
                      LineCase{"abcdefghi x", false}, LineCase{std::string("bs\0", 3), false}),
    [](const auto& info) { return SpeltOut(info.param.line); });

struct EchoCase {
    const char* name;
    std::string line;
    std::string echoed;  // between the quotes of the message, and after them
};

class MalformedLineEcho : public ::testing::TestWithParam<EchoCase> {};

TEST_P(MalformedLineEcho, IsEscapedAndCut) {
    const EchoCase& c = GetParam();
    TempFolder folder;
    Sim sim(folder.Path());
    sim.Start();
    std::istringstream script("type enable\n" + c.line + "\nscreen\n");
    std::ostringstream out, err;
    EXPECT_EQ(RunScript(sim, script, out, err), 2);
    EXPECT_EQ(err.str(), "pellix-replay: line 2: unknown event \"" + c.echoed + "\n");
    EXPECT_EQ(out.str(), "") << "events after the bad line ran";
}

const std::string kTenMegabytes(10 << 20, 'a');

INSTANTIATE_TEST_SUITE_P(
    Replay, MalformedLineEcho,
    ::testing::Values(
        EchoCase{"Plain", "tpye show run", "tpye show run\""},
        EchoCase{"EscapeSequence", "\x1b[2J\x1b]0;title\x07", "\\x1b[2J\\x1b]0;title\\x07\""},
        EchoCase{"ControlBytes", std::string("a\tb\rc\0d\x7f", 8), "a\\x09b\\x0dc\\x00d\\x7f\""},
        EchoCase{"EightBitBytes", "\x9b\x31m\xff", "\\x9b1m\\xff\""},
        EchoCase{"QuoteAndBackslash", "say \"hi\" \\n", "say \\\"hi\\\" \\\\n\""},
        EchoCase{"TenMegabytes", kTenMegabytes,
                 std::string(kMaxEchoBytes, 'a') + "...\" (cut, 10485760 bytes in all)"},
        EchoCase{"CutInsideAnEscape", std::string(kMaxEchoBytes - 1, 'a') + "\x1b\x1b",
                 std::string(kMaxEchoBytes - 1, 'a') + "\\x1b...\" (cut, 201 bytes in all)"}),
    CaseName());

}  // namespace
}  // namespace pellix::hardening
