// A fresh working folder for one test, removed afterwards, and typing at the
// router's console.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "console/Sim.h"

namespace pellix {

namespace fs = std::filesystem;

class Folder {
  public:
    Folder() {
        std::random_device seed;
        path_ = fs::temp_directory_path() /
                ("pellix-core-" + std::to_string(::getpid()) + "-" + std::to_string(seed()));
        fs::create_directories(path_);
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& Path() const { return path_; }
    void Write(const std::string& name, const std::string& data) const {
        std::ofstream(path_ / name, std::ios::binary) << data;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

  private:
    fs::path path_;
};

// Types the text key by key, then Enter.
inline void Type(Sim& sim, const std::string& text) {
    for (char c : text) sim.Form_KeyPress(static_cast<unsigned char>(c));
    sim.Form_KeyPress(13);
}

}  // namespace pellix
