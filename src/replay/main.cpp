// pellix-replay [--dir DIR] [SCRIPT]
#include <fstream>
#include <iostream>

#include "console/Sim.h"
#include "replay/Replay.h"

namespace {

constexpr char kUsage[] =
    "Usage: pellix-replay [--dir DIR] [SCRIPT]\n"
    "Runs the router simulator without a window: the start-up sequence, then the\n"
    "events of SCRIPT (or standard input), printing a JSON snapshot per 'screen'.\n"
    "  --dir DIR   work on router1.cfg, user.dat and TFTP files in DIR\n"
    "  --help      show this help\n"
    "  --version   show the version\n";

int Usage(const std::string& problem) {
    std::cerr << "pellix-replay: " << problem << "\n" << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path dir = ".";
    std::string script;
    bool haveScript = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "pellix-replay " PELLIX_VERSION "\n";
            return 0;
        }
        if (arg == "--dir") {
            if (++i >= argc) return Usage("--dir needs a folder");
            dir = argv[i];
        } else if (arg.starts_with("--dir=")) {
            dir = arg.substr(6);
        } else if (arg != "-" && arg.starts_with("-")) {
            return Usage("unknown option " + arg);
        } else if (haveScript) {
            return Usage("more than one script");
        } else {
            script = arg;
            haveScript = true;
        }
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) return Usage("no such folder: " + dir.string());

    std::ifstream file;
    if (haveScript && script != "-") {
        file.open(script, std::ios::binary);
        if (!file) return Usage("cannot read script " + script);
    }
    std::istream& in = file.is_open() ? static_cast<std::istream&>(file) : std::cin;

    std::ios::sync_with_stdio(false);
    pellix::Sim sim(dir);
    sim.Form_Load();
    return pellix::RunScript(sim, in, std::cout, std::cerr);
}
