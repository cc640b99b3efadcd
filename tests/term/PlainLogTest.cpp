// pellix-term --plain: the console as a line-oriented log. The first two
// lessons typed as keys (tests/term/plain/first-lessons.keys) give the log in
// first-lessons.txt, as a terminal shows it; the typing echoes as it comes.
#include "term/PlainLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>

#include "state/DataFolder.h"
#include "support/Files.h"
#include "support/TempFolder.h"
#include "term/Keys.h"

namespace pellix::term {
namespace {

using lab::Clock;

// The log as a terminal shows it: a backspace steps back over the line, what
// comes next is written over it.
std::vector<std::string> AsShown(std::string_view log) {
    std::vector<std::string> lines(1);
    std::size_t at = 0;
    for (char c : log) {
        std::string& line = lines.back();
        if (c == '\n') {
            lines.emplace_back();
            at = 0;
        } else if (c == '\b') {
            if (at > 0) --at;
        } else {
            if (at < line.size())
                line[at] = c;
            else
                line += c;
            ++at;
        }
    }
    for (std::string& line : lines) line.erase(line.find_last_not_of(' ') + 1);
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

std::string Bytes(std::string_view hex) {
    std::string bytes;
    std::istringstream in{std::string(hex)};
    unsigned value = 0;
    while (in >> std::hex >> value) bytes += static_cast<char>(value);
    return bytes;
}

class PlainLogInFolder : public ::testing::Test {
  protected:
    PlainLogInFolder() {
        EXPECT_EQ(PrepareLearnerFolder(folder_), "");
        sim_.emplace(folder_);
        sim_->Start();
        console_.emplace(*sim_, lab::PagePlace::OverConsole);
        log_.emplace(*console_);
        written_ = log_->Start();
    }
    // The bytes as the terminal's keys, each key written to the log at once,
    // as pellix-term --plain does.
    void Send(std::string_view bytes) {
        std::vector<lab::Key> keys = decoder_.Feed(bytes, now_);
        if (keys.empty()) written_ += log_->Update(decoder_.Notice());
        for (const lab::Key& key : keys) {
            lab::Outcome outcome = console_->OnKey(key, now_);
            while (outcome == lab::Outcome::Continue && console_->Pasting()) {
                written_ += log_->Update(decoder_.Notice());
                outcome = console_->TypePasted(now_);
            }
            if (outcome == lab::Outcome::Finished) {
                written_ += log_->End();
                return;
            }
            written_ += log_->Update(decoder_.Notice());
            if (console_->AfterDraw()) written_ += log_->Update(decoder_.Notice());
        }
    }

    support::TempFolder temp_{"pellix-plain"};
    const std::filesystem::path folder_ = temp_.Path();
    Clock::time_point now_ = Clock::now();
    std::optional<Sim> sim_;
    std::optional<lab::Console> console_;
    std::optional<PlainLog> log_;
    KeyDecoder decoder_;
    std::string written_;
};

TEST_F(PlainLogInFolder, FirstLessonsGiveTheExpectedLog) {
    std::ifstream keys(PELLIX_PLAIN_DIR "/first-lessons.keys");
    ASSERT_TRUE(keys) << "no keys file";
    std::string step;
    while (std::getline(keys, step)) {
        if (step.starts_with("type ")) {
            Send(step.substr(5));
        } else if (step == "enter") {
            Send("\r");
        } else if (step.starts_with("hex ")) {
            Send(Bytes(step.substr(4)));
        } else if (step.starts_with("wait-last ")) {
            const std::vector<std::string> shown = AsShown(written_);
            ASSERT_FALSE(shown.empty());
            EXPECT_EQ(shown.back(), step.substr(10)) << "at the step before";
        } else if (step.starts_with("wait-line ")) {
            const std::vector<std::string> shown = AsShown(written_);
            EXPECT_NE(std::find(shown.begin(), shown.end(), step.substr(10)), shown.end()) << step;
        } else {
            ASSERT_TRUE(step.empty() || step.starts_with("#")) << step;
        }
    }
    EXPECT_TRUE(sim_->Finished());

    std::string shown;
    for (std::string line : AsShown(written_)) {
        for (auto at = line.find(folder_.string()); at != std::string::npos;
             at = line.find(folder_.string()))
            line.replace(at, folder_.string().size(), "{folder}");
        shown += line + "\n";
    }
    const std::string expected = support::ReadFile(PELLIX_PLAIN_DIR "/first-lessons.txt");
    if (shown != expected) support::WriteFile(PELLIX_PLAIN_NEW, shown);
    std::istringstream got(shown), want(expected);
    std::string gotLine, wantLine;
    for (int number = 1; std::getline(want, wantLine); ++number) {
        ASSERT_TRUE(std::getline(got, gotLine)) << "the log ends before line " << number;
        ASSERT_EQ(gotLine, wantLine) << "line " << number;
    }
    EXPECT_FALSE(std::getline(got, gotLine)) << "the log goes on: " << gotLine;
}

// What is typed is written as it comes; an erased character is backspaced
// over; a control character from a file is never written as it is.
TEST_F(PlainLogInFolder, EchoesTypingAsItComes) {
    Send("\r");
    written_.clear();
    for (char c : std::string("enabx")) Send(std::string(1, c));
    Send("\x7f");
    Send("le\r");
    EXPECT_EQ(written_, "enabx\b \ble\nRouter#");
    EXPECT_EQ(LogText("a\x1b[2Jb\tc\u00e9"), "a?[2Jb?c\u00e9");
}

}  // namespace
}  // namespace pellix::term
