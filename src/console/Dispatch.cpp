#include "console/Dispatch.h"

#include <string>

#include "console/Modes.h"
#include "console/Sim.h"

namespace pellix {

namespace {

const ModeDef* const kModes[] = {
    &kUserExecMode,       &kPrivilegedExecMode, &kGlobalConfigMode, &kEthernet0Mode,
    &kSerial0Mode,        &kVtyLineMode,        &kConsoleLineMode,  &kUploadHostMode,
    &kUploadFileMode,     &kDownloadHostMode,   &kDownloadFileMode, &kDownloadConfirmMode,
    &kEnablePasswordMode, &kConfigSourceMode,
};

void Perform(Sim& sim, const Action& act) {
    if (act.call) act.call(sim);
    for (const SlotWrite& w : act.writes)
        if (w.slot >= 0) sim.Slot(w.slot) = w.value;
    if (act.task) sim.AwardTask(act.task);
    for (const char* line : act.lines)
        if (line) sim.PrintLine(line);
    if (act.next != Mode::NotStarted) sim.mode = act.next;
}

}  // namespace

const ModeDef* FindMode(Mode mode) {
    for (const ModeDef* def : kModes)
        if (def->mode == mode) return def;
    return nullptr;
}

void Interpret(Sim& sim, const ModeDef& mode) {
    for (const Row& row : mode.rows) {
        if (RowHolds(row, sim.CommandText, sim.ConfigSlots)) {
            Perform(sim, row.act);
            return;
        }
    }
    if (mode.closing && !sim.CommandText.empty()) PrintUnknownCommand(sim);
}

void ShowHistory(Sim& sim) {
    sim.AwardTask(6);
    for (const std::string& entry : sim.CommandHistory)
        if (!entry.empty()) sim.PrintLine(" " + entry);
}

void EnterConfigMode(Sim& sim) {
    sim.PrintLine("Enter configuration commands, one per line.  End with CNTL/Z.");
    sim.AwardTask(1);
}

void PrintUnknownCommand(Sim& sim) {
    sim.PrintLine("Translating '" + sim.CommandText + "'... %Unknown command or computer name.");
}

}  // namespace pellix
