// Runs every transcript of the transcript folder through the real
// pellix-replay and compares what the learner would see, whole line by whole
// line, and the files left in the working folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "support/Files.h"
#include "support/Program.h"
#include "support/TempFolder.h"
#include "support/Transcript.h"

namespace fs = std::filesystem;
using pellix::support::ReadFile;
using pellix::transcript::FileExpectation;
using pellix::transcript::ScreenExpectation;
using pellix::transcript::Transcript;

namespace {

fs::path gReplay = PELLIX_REPLAY_EXE;
fs::path gTranscripts = PELLIX_TRANSCRIPT_DIR;

// The replay writes each byte of a text as the character with that code; this
// turns such a JSON string back into the bytes.
std::string Bytes(const nlohmann::json& value) {
    std::string utf8 = value.get<std::string>();
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0xC2 && c <= 0xC3 && i + 1 < utf8.size()) {
            bytes += static_cast<char>(((c & 0x1F) << 6) | (utf8[++i] & 0x3F));
        } else {
            bytes += static_cast<char>(c);
        }
    }
    return bytes;
}

std::string Show(const std::string& text) {
    return "|" + text + "|";
}

// Whether the driver reads each transcript from its standard input
// (PELLIX_REPLAY_STDIN=1) rather than as a named script.
bool gFromStandardInput = false;

// pellix-replay on the folder with the script.
pellix::support::ProgramRun RunReplay(const pellix::support::TempFolder& folder,
                                      const fs::path& script) {
    using pellix::support::ShellQuoted;
    return pellix::support::RunShell(ShellQuoted(gReplay) + " --dir " + ShellQuoted(folder.Path()) +
                                         (gFromStandardInput ? " < " : " ") + ShellQuoted(script),
                                     folder);
}

std::string Where(const fs::path& file, int line) {
    return file.filename().string() + ":" + std::to_string(line);
}

// Every line that differs, by its number: the expected text ("-") over the
// actual one ("+"); a line only one side has shows alone. Empty when equal.
std::string LineDiff(const std::vector<std::string>& expected,
                     const std::vector<std::string>& actual) {
    std::string diff;
    for (std::size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
        const bool want = i < expected.size(), got = i < actual.size();
        if (want && got && expected[i] == actual[i]) continue;
        std::string number = std::to_string(i);
        number.insert(0, 2 - std::min<std::size_t>(2, number.size()), ' ');
        if (want) diff += "-" + number + " " + Show(expected[i]) + "\n";
        if (got) diff += "+" + number + " " + Show(actual[i]) + "\n";
    }
    return diff;
}

void CheckScreen(const fs::path& file, const ScreenExpectation& expect,
                 const nlohmann::json& snap) {
    std::string where = Where(file, expect.sourceLine);
    std::vector<std::string> lines;
    for (const auto& line : snap.at("lines")) lines.push_back(Bytes(line));
    if (!expect.lines.empty()) {
        std::string diff = LineDiff(expect.lines, lines);
        if (!diff.empty())
            ADD_FAILURE() << where << ": console lines differ (- expected, + actual)\n" << diff;
    }
    std::vector<std::string> pic;
    for (const auto& text : snap.at("pic")) pic.push_back(Bytes(text));
    if (std::string diff = LineDiff(expect.pic, pic); !diff.empty())
        ADD_FAILURE() << where << ": strip texts differ (- expected, + actual)\n" << diff;
    if (expect.label && Bytes(snap.at("label")) != *expect.label)
        ADD_FAILURE() << where << ": label\n  expected " << Show(*expect.label) << "\n  actual   "
                      << Show(Bytes(snap.at("label")));
    if (expect.mode && snap.at("mode").get<int>() != *expect.mode)
        ADD_FAILURE() << where << ": mode expected " << *expect.mode << ", actual "
                      << snap.at("mode").get<int>();
    if (expect.prompt && Bytes(snap.at("prompt")) != *expect.prompt)
        ADD_FAILURE() << where << ": prompt\n  expected " << Show(*expect.prompt) << "\n  actual   "
                      << Show(Bytes(snap.at("prompt")));
    for (const auto& [k, text] : expect.slots) {
        std::string got = Bytes(snap.at("slots").at(static_cast<std::size_t>(k)));
        if (got != text)
            ADD_FAILURE() << where << ": slot " << k << "\n  expected " << Show(text)
                          << "\n  actual   " << Show(got);
    }
    for (const auto& [k, value] : expect.tasks) {
        const nlohmann::json& got = snap.at("tasks").at(static_cast<std::size_t>(k));
        std::string want = value ? std::to_string(*value) : "empty";
        std::string have = got.is_null() ? "empty" : std::to_string(got.get<int>());
        if (want != have)
            ADD_FAILURE() << where << ": task entry " << k << " expected " << want << ", actual "
                          << have;
    }
    if (expect.hint && Bytes(snap.at("hint")) != *expect.hint)
        ADD_FAILURE() << where << ": hint\n  expected " << Show(*expect.hint) << "\n  actual   "
                      << Show(Bytes(snap.at("hint")));
    if (expect.plan && snap.at("plan").get<bool>() != *expect.plan)
        ADD_FAILURE() << where << ": plan shown expected " << *expect.plan;
    if (!expect.history.empty()) {
        for (std::size_t i = 0; i < std::max<std::size_t>(10, expect.history.size()); ++i) {
            std::string want = i < expect.history.size() ? Show(expect.history[i]) : "(nothing)";
            std::string got =
                i < snap.at("history").size() ? Show(Bytes(snap.at("history").at(i))) : "(nothing)";
            if (want != got) {
                ADD_FAILURE() << where << ": history entry " << i + 1 << "\n  expected " << want
                              << "\n  actual   " << got;
                break;
            }
        }
    }
}

// Line k of a file, split at CR LF; nothing when the file has fewer lines.
std::optional<std::string> FileLine(const std::string& data, int k) {
    std::size_t pos = 0;
    for (int i = 1; pos < data.size(); ++i) {
        std::size_t end = data.find("\r\n", pos);
        if (end == std::string::npos)
            return i == k ? std::optional(data.substr(pos)) : std::nullopt;
        if (i == k) return data.substr(pos, end - pos);
        pos = end + 2;
    }
    return std::nullopt;
}

void CheckScoreFile(const std::string& where, const std::string& data,
                    const FileExpectation& expect) {
    std::istringstream in(data);
    std::string record;
    int k = 0;
    while (std::getline(in, record, '\n')) {
        ++k;
        if (record.empty() || record.back() != '\r') {
            ADD_FAILURE() << where << ": user.dat record " << k << " does not end in CR LF";
            return;
        }
        record.pop_back();
        std::vector<std::string> fields;
        std::stringstream split(record);
        std::string field;
        while (std::getline(split, field, ',')) fields.push_back(field);
        if (!record.empty() && record.back() == ',') fields.emplace_back();
        auto isNumber = [](const std::string& s, int lo, int hi) {
            if (s.empty() || s.size() > 3) return false;
            for (char c : s)
                if (c < '0' || c > '9') return false;
            int v = std::stoi(s);
            return v >= lo && v <= hi && std::to_string(v) == s;
        };
        if (fields.size() != 4 || fields[0] != std::to_string(k) || !isNumber(fields[2], 0, 99) ||
            !isNumber(fields[3], 0, 1)) {
            ADD_FAILURE() << where << ": user.dat record " << k
                          << " is malformed: " << Show(record);
            return;
        }
        std::optional<int> want = expect.allFields;
        if (auto it = expect.fields.find(k); it != expect.fields.end()) want = it->second;
        if (want && fields[1] != std::to_string(*want))
            ADD_FAILURE() << where << ": user.dat record " << k << " field 2 expected " << *want
                          << ": " << Show(record);
    }
    if (k != 50 || data.empty() || data.back() != '\n')
        ADD_FAILURE() << where << ": user.dat holds " << k << " records, expected 50";
}

void CheckFile(const fs::path& file, const fs::path& folder, const FileExpectation& expect) {
    std::string where = Where(file, expect.sourceLine);
    fs::path path = folder / expect.name;
    if (expect.kind == FileExpectation::Absent) {
        EXPECT_FALSE(fs::exists(path)) << where << ": " << expect.name << " should not exist";
        return;
    }
    if (!fs::is_regular_file(path)) {
        ADD_FAILURE() << where << ": " << expect.name << " is missing";
        return;
    }
    std::string data = ReadFile(path);
    switch (expect.kind) {
        case FileExpectation::Config: {
            pellix::support::ConfigFile expected;
            for (const auto& [slot, text] : expect.slots) expected.Set(slot, text);
            const std::string want = expected.Text();
            for (int k = 1; k <= 101; ++k) {
                auto a = FileLine(want, k);
                auto b = FileLine(data, k);
                if (a != b) {
                    ADD_FAILURE() << where << ": " << expect.name << " line " << k
                                  << " differs\n  expected " << (a ? Show(*a) : "(no line)")
                                  << "\n  actual   " << (b ? Show(*b) : "(no line)");
                    return;
                }
            }
            EXPECT_EQ(want, data) << where << ": " << expect.name << " differs in its line ends";
            break;
        }
        case FileExpectation::Score:
            CheckScoreFile(where, data, expect);
            break;
        case FileExpectation::Line: {
            auto line = FileLine(data, expect.line);
            EXPECT_EQ(Show(expect.text), line ? Show(*line) : "(no line)")
                << where << ": " << expect.name << " line " << expect.line;
            break;
        }
        case FileExpectation::Absent:
            break;
    }
}

class TranscriptTest : public ::testing::Test {
  public:
    explicit TranscriptTest(fs::path file) : file_(std::move(file)) {}

    void TestBody() override {
        std::string error;
        std::optional<Transcript> transcript = pellix::transcript::Parse(ReadFile(file_), error);
        ASSERT_TRUE(transcript) << file_.filename().string() << ": " << error;
        // The working folder's parent also takes the driver's error output.
        pellix::support::TempFolder folder("pellix-transcript");
        ASSERT_FALSE(folder.Path().empty()) << "cannot create a temporary folder";
        for (const auto& [name, content] : transcript->files) folder.Write(name, content);

        pellix::support::ProgramRun run = RunReplay(folder, file_);
        ASSERT_EQ(0, run.status) << "pellix-replay failed: " << run.err;

        std::vector<nlohmann::json> snaps;
        std::istringstream out(run.out);
        std::string line;
        while (std::getline(out, line)) {
            try {
                snaps.push_back(nlohmann::json::parse(line));
            } catch (const nlohmann::json::exception& e) {
                FAIL() << "pellix-replay printed a line that is not JSON: " << e.what();
            }
        }
        ASSERT_EQ(transcript->screens.size(), snaps.size()) << "one snapshot per screen event";
        for (std::size_t i = 0; i < snaps.size(); ++i)
            CheckScreen(file_, transcript->screens[i], snaps[i]);
        for (const FileExpectation& expect : transcript->after)
            CheckFile(file_, folder.Path(), expect);
    }

  private:
    fs::path file_;
};

void RegisterTranscripts() {
    if (const char* dir = std::getenv("PELLIX_TRANSCRIPTS")) gTranscripts = dir;
    if (const char* exe = std::getenv("PELLIX_REPLAY")) gReplay = exe;
    if (const char* how = std::getenv("PELLIX_REPLAY_STDIN")) gFromStandardInput = *how == '1';
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(gTranscripts, ec))
        if (entry.path().extension() == ".txt") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        ::testing::RegisterTest("Transcript", pellix::transcript::TestNameOf(file).c_str(), nullptr,
                                nullptr, file.string().c_str(), 0,
                                [file]() -> ::testing::Test* { return new TranscriptTest(file); });
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    RegisterTranscripts();
    return RUN_ALL_TESTS();
}
