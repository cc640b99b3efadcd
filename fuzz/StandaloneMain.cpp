// Runs a fuzzer's body once over each file named on the command line (a
// folder: over every file in it), without libFuzzer, so that the corpus and
// the regressions run as ordinary tests under any compiler. Event scripts
// (".txt") are first turned into the event fuzzer's input when it is built
// with PELLIX_EVENT_SCRIPTS.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#ifdef PELLIX_EVENT_SCRIPTS
#include "ScriptSeed.h"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        fs::path p = argv[i];
        if (fs::is_directory(p)) {
            for (const fs::directory_entry& e : fs::recursive_directory_iterator(p))
                if (e.is_regular_file()) files.push_back(e.path());
        } else if (fs::exists(p)) {
            files.push_back(p);
        }
    }
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        std::string input = bytes.str();
#ifdef PELLIX_EVENT_SCRIPTS
        if (file.extension() == ".txt") input = pellix::fuzz::SeedFromScript(input);
#endif
        std::cout << "running " << file.string() << std::endl;
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    }
    std::cout << files.size() << " inputs ran" << std::endl;
    return 0;
}
