// pellix-term [--dir DIR] [--help] [--version]
#include <unistd.h>

#include <csignal>
#include <iostream>

#include "console/Sim.h"
#include "state/DataFolder.h"
#include "term/Options.h"
#include "term/Terminal.h"

int main(int argc, char** argv) {
    const pellix::term::Options options =
        pellix::term::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.error.empty()) {
        std::cerr << "pellix-term: " << options.error << "\n" << pellix::term::kUsage;
        return 2;
    }
    if (options.help) {
        std::cout << pellix::term::kUsage;
        return 0;
    }
    if (options.version) {
        std::cout << "pellix-term " PELLIX_VERSION "\n";
        return 0;
    }
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        std::cerr << "pellix-term: needs a terminal (use pellix-replay for scripts)\n";
        return 1;
    }
    const std::filesystem::path folder = pellix::LearnerFolder(options.dir);
    if (std::string problem = pellix::PrepareLearnerFolder(folder); !problem.empty()) {
        std::cerr << "pellix-term: " << problem << "\n";
        return 1;
    }

    pellix::Sim sim(folder);
    sim.Form_Load();
    const pellix::term::Ending ending = pellix::term::RunTerminal(sim);
    if (!ending.started) {
        std::cerr << "pellix-term: " << ending.error << "\n";
        return 1;
    }
    if (ending.signal != 0) {
        // End as the signal would have ended the program, the terminal restored.
        std::signal(ending.signal, SIG_DFL);
        std::raise(ending.signal);
        return 128 + ending.signal;
    }
    return 0;
}
