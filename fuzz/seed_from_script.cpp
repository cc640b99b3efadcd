// pellix-fuzz-seed SCRIPT OUT: writes the event fuzzer's input for an event
// script (or a transcript file) of pellix-replay.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "ScriptSeed.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: pellix-fuzz-seed SCRIPT OUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "pellix-fuzz-seed: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::stringstream script;
    script << in.rdbuf();
    std::ofstream out(argv[2], std::ios::binary);
    out << pellix::fuzz::SeedFromScript(script.str());
    return out ? 0 : 1;
}
