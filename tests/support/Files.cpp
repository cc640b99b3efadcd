#include "support/Files.h"

#include <fstream>
#include <sstream>

#include "state/ConfigFile.h"

namespace pellix::support {

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::filesystem::path& file, std::string_view content) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
}

// Both files are written here by the tests' own hand, never with the
// router's writers, so that a fault in a writer (a lost CR, a wrong column)
// shows wherever a test compares a file the router wrote.

std::string ConfigFile::Text() const {
    return Text(kConfigLines, "\r\n");
}

// Line k: a blank and k, blanks up to column 14, then slot k's text or "-=-"
// for an empty slot (every line past the 100th holds an empty slot).
std::string ConfigFile::Text(int lines, std::string_view end) const {
    std::string out;
    for (int k = 1; k <= lines; ++k) {
        const std::string number = " " + std::to_string(k);
        const std::string text = k <= kConfigLines ? slots_[static_cast<std::size_t>(k)] : "";
        out += number + std::string(14 - number.size(), ' ') + (text.empty() ? "-=-" : text);
        out += end;
    }
    return out;
}

std::string ScoreFileText(const std::map<int, std::string>& fields, std::string_view end) {
    std::string out;
    for (const auto& [task, field] : fields)
        out += std::to_string(task) + "," + field + ",0,0" + std::string(end);
    return out;
}

// Every record's last two fields are 0: the router draws them at random and
// reads nothing from them.
std::string ScoreFileText(const TaskTable& tasks) {
    std::map<int, std::string> fields;
    for (int task = 1; task <= kTaskCount; ++task) {
        const TaskEntry& entry = tasks[static_cast<std::size_t>(task)];
        fields[task] = entry ? std::to_string(*entry) : "";
    }
    return ScoreFileText(fields);
}

}  // namespace pellix::support
