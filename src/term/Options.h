// pellix-term's command line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pellix::term {

inline constexpr char kUsage[] =
    "Usage: pellix-term [--dir DIR] [--help] [--version]\n"
    "The router console in this terminal. F2 shows the network plan, F10\n"
    "finishes (saving your score); Ctrl-C ends without saving.\n"
    "  --dir DIR   keep router1.cfg, user.dat and TFTP files in DIR\n"
    "              (default: $XDG_DATA_HOME/pellix or ~/.local/share/pellix)\n"
    "  --help      show this help\n"
    "  --version   show the version\n";

struct Options {
    std::optional<std::filesystem::path> dir;
    bool help = false;
    bool version = false;
    std::string error;  // what is wrong with the command line, or ""
};

Options ParseOptions(const std::vector<std::string>& args);

}  // namespace pellix::term
