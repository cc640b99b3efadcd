// Mode 99, the question after "configure": where the configuration comes from.
#include "console/Modes.h"
#include "console/Sim.h"

namespace pellix {

namespace {

// The answer is a beginning of the word, at least as long as its first letter.
bool Abbreviates(std::string_view answer, std::string_view word) {
    return !answer.empty() && word.starts_with(answer);
}

void ChooseConfigSource(Sim& sim) {
    std::string_view answer = sim.CommandText;
    if (answer.empty() || Abbreviates(answer, "terminal")) {
        sim.mode = Mode::GlobalConfig;
        EnterConfigMode(sim);
    } else if (Abbreviates(answer, "memory")) {
        sim.mode = Mode::PrivilegedExec;
        sim.PrintLine("Configuration from memory not supported in simulation.");
    } else if (Abbreviates(answer, "network")) {
        sim.mode = Mode::PrivilegedExec;
        sim.PrintLine("Configuration from network not supported in simulation.");
    } else {
        sim.PrintLine("?Must be 'terminal', 'memory' or 'network' ");
    }
}

constexpr Row kRows[] = {AnyCommand(Call(ChooseConfigSource))};

}  // namespace

constinit const ModeDef kConfigSourceMode{
    Mode::ConfigSource,
    "Configuring from terminal, memory, or network [terminal]?",
    false,
    "",
    kRows,
    false,
    {}};

}  // namespace pellix
