// pellix-term [OPTION]...
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "console/About.h"
#include "console/Sim.h"
#include "state/DataFolder.h"
#include "state/LessonsCopy.h"
#include "term/Options.h"
#include "term/Terminal.h"

namespace {

using namespace pellix::term;

// Help, version or a wrong command line: the exit status, or nothing to
// go on.
std::optional<int> AnswerCommandLine(const Options& options) {
    if (!options.error.empty()) {
        std::cerr << pellix::about::BadUsageText(kName, options.error, kSynopsis);
        return pellix::about::kBadUsage;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    if (options.version) {
        std::cout << pellix::about::VersionText(kName);
        return 0;
    }
    return std::nullopt;
}

// The learner's folder, made ready with the lessons beside it; "" or why
// it cannot be used.
std::string PrepareFolder(const std::filesystem::path& folder, const Options& options) {
    if (std::string problem =
            pellix::PrepareLearnerFolder(folder, pellix::CreationFor(options.dir));
        !problem.empty())
        return problem;
    // The lessons the welcome text names, beside the learner's files.
    if (auto program = pellix::RunningProgramFile())
        if (auto page = pellix::InstalledLessonsPage(*program))
            if (std::string problem = pellix::PlaceLessonsPage(folder, *page); !problem.empty())
                std::cerr << "pellix-term: " << problem << "\n";
    return {};
}

// How the run ended, as the exit status.
int StatusAfter(const Ending& ending, const pellix::Sim& sim) {
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
    if (sim.ScoreProblem().action != pellix::ScoreFileProblem::Action::None) {
        // Finished, but the score could not be kept: a failure, said so.
        std::cerr << "pellix-term: " << FinishedLine(sim) << "\n";
        return 1;
    }
    std::cout << FinishedLine(sim) << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The learner's locale: UTF-8 text (a folder's name) drawn as such.
    std::setlocale(LC_ALL, "");
    const Options options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (std::optional<int> status = AnswerCommandLine(options)) return *status;
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        std::cerr << "pellix-term: needs a terminal (use pellix-replay for scripts)\n";
        return 1;
    }
    TerminalStreams streams;
    const char* type = std::getenv("TERM");
    streams.type = type ? type : "";
    streams.colour = ColourWanted();
    streams.hints = options.hints;
    streams.plain = PlainWanted(options.plain, streams.type);
    // Refused before anything is drawn or created.
    if (std::string refusal = streams.plain ? "" : RefusalFor(streams.type, streams.out);
        !refusal.empty()) {
        std::cerr << "pellix-term: " << refusal << "\n";
        return 1;
    }
    const std::filesystem::path folder = pellix::LearnerFolder(options.dir);
    if (std::string problem = PrepareFolder(folder, options); !problem.empty()) {
        std::cerr << "pellix-term: " << problem << "\n";
        return 1;
    }
    pellix::Sim sim(folder);
    sim.Start();
    const Ending ending = RunTerminal(sim, streams);
    return StatusAfter(ending, sim);
}
