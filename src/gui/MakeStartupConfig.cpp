// Writes the delivered "router1.cfg" (the router right after "reset config")
// to the path given, for installation beside the program.
#include <fstream>
#include <iostream>

#include "state/DataFolder.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: pellix-startup-config FILE\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << pellix::DeliveredStartupConfig();
    out.close();
    if (!out) {
        std::cerr << "pellix-startup-config: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
