// Every console mode's declaration, and the procedures that several modes
// share.
#pragma once

#include "console/Dispatch.h"
#include "interpreters/Procedures.h"

namespace pellix {

// The declared modes, one per source file.
extern const ModeDef kUserExecMode;         // 1  interpreters/UserExec.cpp
extern const ModeDef kPrivilegedExecMode;   // 2  interpreters/PrivilegedExec.cpp
extern const ModeDef kGlobalConfigMode;     // 3  interpreters/GlobalConfig.cpp
extern const ModeDef kEthernet0Mode;        // 4  interpreters/Interfaces.cpp
extern const ModeDef kSerial0Mode;          // 5  interpreters/Interfaces.cpp
extern const ModeDef kVtyLineMode;          // 6  interpreters/Lines.cpp
extern const ModeDef kConsoleLineMode;      // 7  interpreters/Lines.cpp
extern const ModeDef kUploadHostMode;       // 10 interpreters/Tftp.cpp
extern const ModeDef kUploadFileMode;       // 11 interpreters/Tftp.cpp
extern const ModeDef kDownloadHostMode;     // 12 interpreters/Tftp.cpp
extern const ModeDef kDownloadFileMode;     // 13 interpreters/Tftp.cpp
extern const ModeDef kDownloadConfirmMode;  // 14 interpreters/Tftp.cpp
extern const ModeDef kEnablePasswordMode;   // 98 console/EnablePassword.cpp
extern const ModeDef kConfigSourceMode;     // 99 console/ConfigSource.cpp

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
