// Every console mode's declaration, and the procedures that several modes
// share.
#pragma once

#include "console/Dispatch.h"

namespace pellix {

// The declared modes, one per source file.
extern const ModeDef kUserExecMode;         // 1  interpreters/UserExec.cpp
extern const ModeDef kPrivilegedExecMode;   // 2  interpreters/PrivilegedExec.cpp
extern const ModeDef kGlobalConfigMode;     // 3  interpreters/GlobalConfig.cpp
extern const ModeDef kEthernet0Mode;        // 4  interpreters/Interfaces.cpp
extern const ModeDef kSerial0Mode;          // 5  interpreters/Interfaces.cpp
extern const ModeDef kVtyLineMode;          // 6  interpreters/Lines.cpp
extern const ModeDef kConsoleLineMode;      // 7  interpreters/Lines.cpp
extern const ModeDef kUploadHostMode;       // 10 state/Tftp.cpp
extern const ModeDef kUploadFileMode;       // 11 state/Tftp.cpp
extern const ModeDef kDownloadHostMode;     // 12 state/Tftp.cpp
extern const ModeDef kDownloadFileMode;     // 13 state/Tftp.cpp
extern const ModeDef kDownloadConfirmMode;  // 14 state/Tftp.cpp
extern const ModeDef kEnablePasswordMode;   // 98 console/EnablePassword.cpp
extern const ModeDef kConfigSourceMode;     // 99 console/ConfigSource.cpp

// "show history": awards task 6 and lists the history, oldest first.
void ShowHistory(Sim& sim);
// The configuration banner; awards task 1.
void EnterConfigMode(Sim& sim);
// "Translating '<command>'... %Unknown command or computer name."
void PrintUnknownCommand(Sim& sim);

}  // namespace pellix
