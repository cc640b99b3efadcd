// User EXEC: its commands and its help listing.
#include "console/Modes.h"

namespace pellix {

namespace {

constexpr bool NoPasswordSet(const ConfigSlotTable& slots) {
    return slots[slot::EnableSecret].empty() && slots[slot::EnablePassword].empty();
}

// "enable": straight to privileged EXEC when no password is set, else the
// password prompt (which checks the secret when one is set).
void AskEnablePassword(Command& command) {
    command.Dialog().passwordFailures = 0;
}

// "reset config": every slot emptied, the hostname back to "Router".
void ResetConfig(Command& command) {
    command.ClearSlots();
    command.SetSlot(slot::Hostname, "Router");
    command.PrintLine();
    command.PrintLine("Router configurations have been reset.");
    command.PrintLine();
}

// "reset score": every task entry back to 0.
void ResetScore(Command& command) {
    command.ResetScore();
    command.Note("Score Reset to 0.");
    command.PrintLine("User score reset.");
    command.PrintLine();
}

constexpr auto kRows = Rows(
    std::array{
        Abbrev("en", "enabled", ToMode(Mode::PrivilegedExec), NoPasswordSet),
        Abbrev("en", "enabled", Call(AskEnablePassword).ToMode(Mode::EnablePassword)),
    },
    kShowHistoryRows, kShowVersionRows,
    std::array{
        Starts("ping", Call(Ping)),
        Eq("reset config", Call(ResetConfig)),
        Eq("reset score", Call(ResetScore)),
        Eq("reset passwords", Set(slot::EnablePassword, "").Set(slot::EnableSecret, "")),
    });

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

constinit const ModeDef kUserExecMode{"", true, ">", kRows, true, kHelp};

}  // namespace pellix
