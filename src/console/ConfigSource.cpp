// The question after "configure": where the configuration comes from. An
// answer is any beginning of a word, down to its first letter; no answer
// takes the terminal.
#include "console/Modes.h"

namespace pellix {

namespace {

constexpr Row kRows[] = {
    Eq("", kEnterConfigMode),
    Abbrev("t", "terminal", kEnterConfigMode),
    Abbrev("m", "memory",
           Print("Configuration from memory not supported in simulation.")
               .ToMode(Mode::PrivilegedExec)),
    Abbrev("n", "network",
           Print("Configuration from network not supported in simulation.")
               .ToMode(Mode::PrivilegedExec)),
    AnyCommand(Print("?Must be 'terminal', 'memory' or 'network' ")),
};

}  // namespace

constinit const ModeDef kConfigSourceMode{
    "Configuring from terminal, memory, or network [terminal]?", false, "", kRows, false, {}};

}  // namespace pellix
