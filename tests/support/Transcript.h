// Transcript files: an event script for pellix-replay with the files to put
// in the working folder before the run and what the learner must see after
// each "screen" event. Every line that is not an event begins with "#", so
// the file itself is the script that pellix-replay runs. The format is
// described in tests/transcripts/README.md.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pellix::transcript {

// What one "screen" event must show.
struct ScreenExpectation {
    int sourceLine = 0;              // line of the "screen" event in the file
    std::vector<std::string> lines;  // empty: not checked; else all 21
    std::vector<std::string> pic;    // always checked, in full
    std::optional<std::string> label;
    std::optional<int> mode;
    std::optional<std::string> prompt;
    std::map<int, std::string> slots;
    std::map<int, std::optional<int>> tasks;  // nullopt: an empty entry
    std::optional<bool> plan;
    std::optional<std::string> hint;   // the coach's hint; not checked when absent
    std::vector<std::string> history;  // empty: not checked; else all 10
};

// A file that must be in the folder after the run.
struct FileExpectation {
    enum Kind { Config, Score, Absent, Line };
    Kind kind = Config;
    int sourceLine = 0;
    std::string name;
    std::map<int, std::string> slots;  // Config: slots that are not "-=-"
    std::map<int, int> fields;         // Score: field 2 of these records
    std::optional<int> allFields;      // Score: field 2 of every record
    int line = 0;                      // Line: 1-based line number
    std::string text;                  // Line: its text without CR LF
};

struct Transcript {
    std::map<std::string, std::string> files;  // name -> content to write
    std::vector<ScreenExpectation> screens;
    std::vector<FileExpectation> after;
};

// Parses a transcript; on a malformed line returns nothing and sets error.
std::optional<Transcript> Parse(const std::string& text, std::string& error);

// "snake_case_name.txt" -> "SnakeCaseName".
std::string TestNameOf(const std::filesystem::path& file);

}  // namespace pellix::transcript
