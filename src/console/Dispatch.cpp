#include "console/Dispatch.h"

#include <string>

#include "console/Modes.h"

namespace pellix {

namespace {

const ModeDef* const kModes[] = {
    &kUserExecMode,       &kPrivilegedExecMode, &kGlobalConfigMode, &kEthernet0Mode,
    &kSerial0Mode,        &kVtyLineMode,        &kConsoleLineMode,  &kUploadHostMode,
    &kUploadFileMode,     &kDownloadHostMode,   &kDownloadFileMode, &kDownloadConfirmMode,
    &kEnablePasswordMode, &kConfigSourceMode,
};

void Perform(Command& command, const Action& act) {
    if (act.call) act.call(command);
    for (const SlotWrite& w : act.writes)
        if (w.slot >= 0) command.SetSlot(w.slot, w.value);
    command.Award(act.task);
    for (const char* line : act.lines)
        if (line) command.PrintLine(line);
    if (act.next != Mode::NotStarted) command.GoTo(act.next);
}

}  // namespace

const ModeDef* FindMode(Mode mode) {
    for (const ModeDef* def : kModes)
        if (def->mode == mode) return def;
    return nullptr;
}

void Interpret(Command& command, const ModeDef& mode) {
    if (mode.answer) return mode.answer(command);
    for (const Row& row : mode.rows) {
        if (RowHolds(row, command.Text(), command.Slots())) {
            Perform(command, row.act);
            return;
        }
    }
    if (mode.closing && !command.Text().empty()) PrintUnknownCommand(command);
}

void ShowHistory(Command& command) {
    command.Award(task::HistoryShown);
    for (const std::string& entry : command.History())
        if (!entry.empty()) command.PrintLine(" " + entry);
}

void PrintUnknownCommand(Command& command) {
    command.PrintLine("Translating '" + command.Text() + "'... %Unknown command or computer name.");
    command.MarkUnknown();
}

}  // namespace pellix
