#include "console/Dispatch.h"

#include <string>

#include "console/Modes.h"

namespace pellix {

namespace {

void Perform(Command& command, const Action& act) {
    if (act.call) act.call(command);
    for (const SlotWrite& w : act.writes)
        if (w.slot >= 0) command.SetSlot(w.slot, w.value);
    command.Award(act.task);
    for (const char* line : act.lines)
        if (line) command.PrintLine(line);
}

}  // namespace

const ModeDef* FindMode(Mode mode) {
    for (const DeclaredMode& declared : kDeclaredModes)
        if (declared.mode == mode) return declared.table;
    return nullptr;
}

void Interpret(Command& command, const ModeDef& mode) {
    if (mode.answer) return mode.answer(command);
    for (const Row& row : mode.rows) {
        if (RowHolds(row, command.Text(), command.Slots())) {
            Perform(command, row.act);
            if (row.act.next != Mode::NotStarted) command.next_ = row.act.next;
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
