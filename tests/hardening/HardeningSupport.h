// Small helpers for the hardening tests: a working folder nested in a parent
// folder of its own (so that anything written next to it shows), and typing
// at the router's console.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "console/Sim.h"
#include "support/ScratchFolder.h"

namespace pellix::hardening {

namespace fs = std::filesystem;

class TempFolder {
  public:
    TempFolder() : scratch_("pellix-hardening"), parent_(scratch_.Path()), work_(parent_ / "work") {
        fs::create_directory(work_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& Work() const { return work_; }
    const fs::path& Parent() const { return parent_; }
    fs::path File(std::string_view name) const { return work_ / name; }

    // Every name in the parent folder other than the working folder.
    std::vector<std::string> StrayOutside() const {
        std::vector<std::string> stray;
        for (const fs::directory_entry& e : fs::directory_iterator(parent_))
            if (e.path() != work_) stray.push_back(e.path().filename().string());
        return stray;
    }
    // Names in the working folder that begin with "." (the temporary files of
    // the atomic writes).
    std::vector<std::string> TempFiles() const {
        std::vector<std::string> temps;
        for (const fs::directory_entry& e : fs::directory_iterator(work_)) {
            std::string name = e.path().filename().string();
            if (name.starts_with(".")) temps.push_back(name);
        }
        return temps;
    }

  private:
    support::ScratchFolder scratch_;  // removed however the test ends
    fs::path parent_;
    fs::path work_;
};

inline void WriteFile(const fs::path& file, std::string_view content) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
}

inline std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Types the text key by key, then Enter.
inline void Command(Sim& sim, std::string_view text) {
    for (unsigned char c : text) sim.KeyPressed(c);
    sim.KeyPressed(key::Enter);
}

// A configuration file in the router's layout with the given slot texts
// (slot k at index k - 1; missing ones empty), lines ending as given.
inline std::string ConfigText(const std::vector<std::string>& texts, int lines = 100,
                              std::string_view end = "\r\n") {
    std::string out;
    for (int k = 1; k <= lines; ++k) {
        std::string number = " " + std::to_string(k);
        out += number + std::string(14 - number.size(), ' ');
        std::size_t i = static_cast<std::size_t>(k - 1);
        out += i < texts.size() && !texts[i].empty() ? std::string_view(texts[i]) : "-=-";
        out += end;
    }
    return out;
}

// A score file of the given records "k,entry,7,1" (entry from the list).
inline std::string ScoreText(const std::vector<std::string>& entries,
                             std::string_view end = "\r\n") {
    std::string out;
    for (std::size_t i = 0; i < entries.size(); ++i)
        out += std::to_string(i + 1) + "," + entries[i] + ",7,1" + std::string(end);
    return out;
}

inline bool RunningAsRoot() {
    return ::geteuid() == 0;
}

}  // namespace pellix::hardening
