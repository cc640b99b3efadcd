// The files of the router's working folder as tests, fuzzers and benchmarks
// make and read them: any file read or written whole, a configuration file
// built from named slots (and the malformed shapes the hardening tests
// need), and a score file. Both formats are written here by the tests' own
// hand, not with the router's writers.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "scoring/TaskTable.h"
#include "state/ConfigSlots.h"

namespace pellix::support {

// The whole file; "" when it cannot be read.
std::string ReadFile(const std::filesystem::path& file);
// Replaces the file with the content.
void WriteFile(const std::filesystem::path& file, std::string_view content);

// A configuration file ("router1.cfg" or a TFTP copy): every slot empty until
// set, written in the router's layout.
class ConfigFile {
  public:
    ConfigFile() = default;
    explicit ConfigFile(const ConfigSlotTable& slots) : slots_(slots) {}
    ConfigFile& Set(int slot, std::string text) {
        slots_[static_cast<std::size_t>(slot)] = std::move(text);
        return *this;
    }
    const ConfigSlotTable& Slots() const { return slots_; }

    // 100 lines ending in CR LF, as the router saves them.
    std::string Text() const;
    // The same with another number of lines (those past the 100th hold an
    // empty slot) or other line ends.
    std::string Text(int lines, std::string_view end) const;

  private:
    ConfigSlotTable slots_{};
};

// "user.dat" with a record "task,FIELD,0,0" for each task the map names, in
// task order, every line ending as given: the fields as they stand, so that
// a test can put any text there and leave records out.
std::string ScoreFileText(const std::map<int, std::string>& fields, std::string_view end = "\r\n");
// "user.dat" holding this table, each record "task,entry,0,0" (an empty
// entry as nothing) and CR LF.
std::string ScoreFileText(const TaskTable& tasks);

}  // namespace pellix::support
