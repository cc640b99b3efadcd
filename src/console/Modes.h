// What the mode tables share: the procedures and rows that several modes
// use. The modes themselves are declared in console/Mode.h.
#pragma once

#include "console/Dispatch.h"
#include "interpreters/Procedures.h"

namespace pellix {

// "show history": lists the history, oldest first.
void ShowHistory(Command& command);
// "Translating '<command>'... %Unknown command or computer name."
void PrintUnknownCommand(Command& command);

// The rows every command mode shares: "show history" in its two spellings.
inline constexpr std::array kShowHistoryRows = {
    Abbrev("sh h", "sh history", Call(ShowHistory)),
    Abbrev("show h", "show history", Call(ShowHistory)),
};
// "exit" from an interface or a line back to global configuration.
inline constexpr std::array kExitToGlobalConfig = {Eq("exit", ToMode(Mode::GlobalConfig))};
// The rows of a mode under global configuration (an interface, a line):
// "exit", the shared rows, then its own rows, column k of a table it shares
// with its sibling modes.
template <std::size_t K, std::size_t N>
constexpr auto ConfigSubmodeRows(const std::array<ColumnRow<K>, N>& own, std::size_t k) {
    return Rows(kExitToGlobalConfig, kShowHistoryRows, Column(own, k));
}
// The rows the two EXEC modes share: "show version" in its two spellings.
inline constexpr std::array kShowVersionRows = {
    Abbrev("sh ver", "sh version", Call(ShowVersion)),
    Abbrev("show ver", "show version", Call(ShowVersion)),
};
// Into global configuration, with its banner ("config terminal", and
// "terminal" answered to the question after "configure").
inline constexpr Action kEnterConfigMode =
    Print("Enter configuration commands, one per line.  End with CNTL/Z.")
        .Award(task::ConfigModeEntered)
        .ToMode(Mode::GlobalConfig);

}  // namespace pellix
