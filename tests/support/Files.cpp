#include "support/Files.h"

#include <fstream>
#include <sstream>

#include "scoring/ScoreFile.h"
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

std::string ConfigFile::Text() const {
    return WriteConfigText(slots_);
}

std::string ConfigFile::Text(int lines, std::string_view end) const {
    const std::string written = Text();
    std::string out;
    std::size_t at = 0;
    for (int k = 1; k <= lines; ++k) {
        if (k <= kConfigLines) {
            std::size_t crlf = written.find("\r\n", at);
            out.append(written, at, crlf - at);
            at = crlf + 2;
        } else {  // in the writer's layout, as an empty slot
            std::string number = " " + std::to_string(k);
            out += number + std::string(14 - number.size(), ' ') + std::string(kEmptySlotMarker);
        }
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

std::string ScoreFileText(const TaskTable& tasks) {
    FillerSource fillers;
    return WriteScoreText(tasks, fillers);
}

}  // namespace pellix::support
