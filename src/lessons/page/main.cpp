// pellix-lessons-page PLAN.svg OUT.htm: writes the lessons page.
#include <fstream>
#include <iostream>
#include <sstream>

#include "lessons/page/LessonsPage.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: pellix-lessons-page PLAN.svg OUT.htm\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::ostringstream plan;
    plan << in.rdbuf();
    if (!in) {
        std::cerr << "pellix-lessons-page: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << pellix::LessonsPage(plan.str());
    out.close();
    if (!out) {
        std::cerr << "pellix-lessons-page: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
