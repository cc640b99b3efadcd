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

// Every mode the router can be in once started, each declared by one table
// or dialog of the core.
inline constexpr std::array kDeclaredModes = {
    Mode::UserExec,       Mode::PrivilegedExec, Mode::GlobalConfig,      Mode::Ethernet0Config,
    Mode::Serial0Config,  Mode::VtyLineConfig,  Mode::ConsoleLineConfig, Mode::UploadHost,
    Mode::UploadFile,     Mode::DownloadHost,   Mode::DownloadFile,      Mode::DownloadConfirm,
    Mode::EnablePassword, Mode::ConfigSource,
};

constexpr int Number(Mode mode) {
    return static_cast<int>(mode);
}

constexpr bool IsDeclared(Mode mode) {
    for (Mode declared : kDeclaredModes)
        if (declared == mode) return true;
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
            if (kDeclaredModes[i] == kDeclaredModes[j]) return false;
    return true;
}
static_assert(NumbersUnique(), "two declared modes share a number");
static_assert(!IsDeclared(Mode::NotStarted), "the mode before start-up takes no command");
}  // namespace mode_checks

}  // namespace pellix
