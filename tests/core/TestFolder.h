// A fresh working folder for one test, removed afterwards, and typing at the
// router's console.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "console/Sim.h"
#include "support/ScratchFolder.h"

namespace pellix {

namespace fs = std::filesystem;

class Folder {
  public:
    const fs::path& Path() const { return scratch_.Path(); }
    void Write(const std::string& name, const std::string& data) const {
        std::ofstream(Path() / name, std::ios::binary) << data;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path() / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

  private:
    support::ScratchFolder scratch_{"pellix-core"};  // removed however the test ends
};

// Types the text key by key, then Enter.
inline void Type(Sim& sim, const std::string& text) {
    for (char c : text) sim.KeyPressed(static_cast<unsigned char>(c));
    sim.KeyPressed(key::Enter);
}

}  // namespace pellix
