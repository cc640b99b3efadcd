// The console's modes. Their numbers are the ones the learner's tools see
// (pellix-replay's "mode", the transcripts), so each keeps its number.
#pragma once

#include <array>
#include <cstdint>

namespace pellix {

enum class Mode : std::uint8_t {
    NotStarted = 0,  // before the main window's start-up sequence
    UserExec = 1,
    PrivilegedExec = 2,
    GlobalConfig = 3,
    Ethernet0Config = 4,
    Serial0Config = 5,
    VtyLineConfig = 6,
    ConsoleLineConfig = 7,
    // The TFTP copy dialogs.
    UploadHost = 10,       // "copy running-config tftp": the host
    UploadFile = 11,       //   the file name, then the copy
    DownloadHost = 12,     // "copy tftp running-config": the host
    DownloadFile = 13,     //   the file name
    DownloadConfirm = 14,  //   the confirmation, then the copy
    EnablePassword = 98,   // the "Password:" prompt after "enable"
    ConfigSource = 99,     // the question after "configure"
};

struct ModeDef;  // console/Dispatch.h

// The mode tables and dialogs, each defined in the file named beside it.
extern const ModeDef kUserExecMode;         // interpreters/UserExec.cpp
extern const ModeDef kPrivilegedExecMode;   // interpreters/PrivilegedExec.cpp
extern const ModeDef kGlobalConfigMode;     // interpreters/GlobalConfig.cpp
extern const ModeDef kEthernet0Mode;        // interpreters/Interfaces.cpp
extern const ModeDef kSerial0Mode;          // interpreters/Interfaces.cpp
extern const ModeDef kVtyLineMode;          // interpreters/Lines.cpp
extern const ModeDef kConsoleLineMode;      // interpreters/Lines.cpp
extern const ModeDef kUploadHostMode;       // interpreters/Tftp.cpp
extern const ModeDef kUploadFileMode;       // interpreters/Tftp.cpp
extern const ModeDef kDownloadHostMode;     // interpreters/Tftp.cpp
extern const ModeDef kDownloadFileMode;     // interpreters/Tftp.cpp
extern const ModeDef kDownloadConfirmMode;  // interpreters/Tftp.cpp
extern const ModeDef kEnablePasswordMode;   // console/EnablePassword.cpp
extern const ModeDef kConfigSourceMode;     // console/ConfigSource.cpp

struct DeclaredMode {
    Mode mode;
    const ModeDef* table;
};

// Every mode the router can be in once started, each with the table or
// dialog of the core that answers in it. This is the one place a mode is
// declared: the dispatcher finds a mode's table here, and a row may send
// the router only to a mode listed here (Action::ToMode), so a mode cannot
// be reached without its table.
inline constexpr std::array kDeclaredModes = {
    DeclaredMode{Mode::UserExec, &kUserExecMode},
    DeclaredMode{Mode::PrivilegedExec, &kPrivilegedExecMode},
    DeclaredMode{Mode::GlobalConfig, &kGlobalConfigMode},
    DeclaredMode{Mode::Ethernet0Config, &kEthernet0Mode},
    DeclaredMode{Mode::Serial0Config, &kSerial0Mode},
    DeclaredMode{Mode::VtyLineConfig, &kVtyLineMode},
    DeclaredMode{Mode::ConsoleLineConfig, &kConsoleLineMode},
    DeclaredMode{Mode::UploadHost, &kUploadHostMode},
    DeclaredMode{Mode::UploadFile, &kUploadFileMode},
    DeclaredMode{Mode::DownloadHost, &kDownloadHostMode},
    DeclaredMode{Mode::DownloadFile, &kDownloadFileMode},
    DeclaredMode{Mode::DownloadConfirm, &kDownloadConfirmMode},
    DeclaredMode{Mode::EnablePassword, &kEnablePasswordMode},
    DeclaredMode{Mode::ConfigSource, &kConfigSourceMode},
};

constexpr int Number(Mode mode) {
    return static_cast<int>(mode);
}

constexpr bool IsDeclared(Mode mode) {
    for (const DeclaredMode& declared : kDeclaredModes)
        if (declared.mode == mode) return true;
    return false;
}

// The modes that take router commands (and keep a history to recall): the
// two EXEC modes and the configuration modes.
constexpr bool TakesCommands(Mode mode) {
    return mode >= Mode::UserExec && mode <= Mode::ConsoleLineConfig;
}

// Global configuration, the interface and line configuration under it, and
// the dialogs (but the password prompt and the configuration question): the
// modes that Ctrl-Z leaves for privileged EXEC.
constexpr bool LeftByCtrlZ(Mode mode) {
    return mode >= Mode::GlobalConfig && mode <= Mode::DownloadConfirm;
}

namespace mode_checks {
constexpr bool NumbersUnique() {
    for (std::size_t i = 0; i < kDeclaredModes.size(); ++i)
        for (std::size_t j = i + 1; j < kDeclaredModes.size(); ++j)
            if (kDeclaredModes[i].mode == kDeclaredModes[j].mode) return false;
    return true;
}
static_assert(NumbersUnique(), "two declared modes share a number");
static_assert(!IsDeclared(Mode::NotStarted), "the mode before start-up takes no command");
}  // namespace mode_checks

}  // namespace pellix
