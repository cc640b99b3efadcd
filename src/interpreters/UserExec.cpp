// Mode 1, user EXEC: InterpretUserExec and ListUserExecCommands.
#include "console/Modes.h"
#include "console/Sim.h"
#include "interpreters/Procedures.h"
#include "state/StartupConfig.h"

namespace pellix {

namespace {

// "enable": straight to privileged EXEC when no password is set, else the
// password prompt, which checks the secret when one is set.
void Enable(Sim& sim) {
    const bool secret = !sim.Slot(slot::EnableSecret).empty();
    if (!secret && sim.Slot(slot::EnablePassword).empty()) {
        sim.mode = Mode::PrivilegedExec;
        return;
    }
    sim.PasswordFailMode = Mode::UserExec;
    sim.PasswordPassMode = Mode::PrivilegedExec;
    sim.PasswordFailures = 0;
    sim.PasswordSlot = secret ? slot::EnableSecret : slot::EnablePassword;
    sim.mode = Mode::EnablePassword;
}

constexpr Row kRows[] = {
    Abbrev("en", "enabled", Call(Enable)),
    Abbrev("sh h", "sh history", Call(ShowHistory)),
    Abbrev("show h", "show history", Call(ShowHistory)),
    Abbrev("sh ver", "sh version", Call(ShowVersion)),
    Abbrev("show ver", "show version", Call(ShowVersion)),
    Starts("ping", Call(Ping)),
    Eq("reset config", Call(ResetConfig)),
    Eq("reset score", Call(ResetScore)),
    Eq("reset passwords", Set(slot::EnablePassword, "").Set(slot::EnableSecret, "")),
};

constexpr std::string_view kHelp[] = {
    "These commands are available on this simulation:",
    "  enable",
    "  ping",
    "  show history",
    "  show version",
    "  reset config (Simulator only)",
    "  reset score (Simulator only)",
    "  reset passwords (Simulator only)",
};

}  // namespace

constinit const ModeDef kUserExecMode{Mode::UserExec, "", true, ">", kRows, true, kHelp};

}  // namespace pellix
