// What the router's procedures may do while one command runs. The rows of
// the mode tables, the procedures they call, the dialogs and the displays
// reach the run state only through this: they read the command and the
// configuration, print console lines and strip notes, write slots, award
// tasks and name the mode the router goes to next.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "console/Mode.h"
#include "scoring/TaskTable.h"
#include "state/ConfigFile.h"
#include "state/ConfigSlots.h"

namespace pellix {

class Sim;

inline constexpr int kHistoryEntries = 10;
using CommandHistory = std::array<std::string, kHistoryEntries>;  // entry 1 at index 0

// What the dialogs remember from one answer to the next.
struct DialogState {
    // The "Password:" prompt after "enable": wrong answers so far.
    int passwordFailures = 0;
    // "copy running-config tftp": whether the host answered was the TFTP
    // server, reachable through Ethernet0.
    bool uploadHostReached = false;
    // "copy tftp running-config": the file name answered.
    std::string downloadFile;
};

// Called only when a procedure names a mode that no table or dialog
// declares; not constexpr, so such a procedure does not compile.
void ProcedureGoesToAnUndeclaredMode();

// The mode a procedure sends the router to: a declared mode, checked where
// the procedure names it.
struct NextMode {
    consteval NextMode(Mode m) : mode(m) {
        if (!IsDeclared(m)) ProcedureGoesToAnUndeclaredMode();
    }
    Mode mode;
};

class Command {
  public:
    // The command as typed after the prompt, without blanks at either end.
    const std::string& Text() const { return text_; }

    // ---- The running configuration ----
    const ConfigSlotTable& Slots() const;
    const std::string& Slot(int k) const { return Slots()[static_cast<std::size_t>(k)]; }
    void SetSlot(int k, std::string_view value);
    // Slots 1 to 100 from a configuration file, all at once.
    void LoadSlots(SavedSlots&& saved);
    // Every slot emptied.
    void ClearSlots();

    // ---- The console and the status strip ----
    // Scrolls the console up one line and prints the text on the bottom line
    // (an empty line when there is none).
    void PrintLine(std::string_view text = {});
    // A note in the status strip.
    void Note(std::string_view text);

    // ---- Scoring ----
    // Marks the task done and puts its note in the strip.
    void Award(Task task);
    // Every task entry back to 0.
    void ResetScore();

    // ---- Where the router goes ----
    // The mode the router is in once this command is done; without a call it
    // stays in the mode it is in.
    void GoTo(NextMode next) { next_ = next.mode; }

    // ---- What the command may read besides ----
    const CommandHistory& History() const;
    // A file of the router's working folder (the startup configuration, the
    // TFTP server's files).
    std::filesystem::path File(std::string_view name) const;
    DialogState& Dialog();

    // The mode's answer to a command it does not know (the "%Unknown
    // command" line) marks the command, so that the coach may hint.
    void MarkUnknown() { unknown_ = true; }
    bool AnsweredUnknown() const { return unknown_; }

  private:
    friend class Sim;
    // Sets the next mode a matched row names (checked by Action::ToMode).
    friend void Interpret(Command& command, const ModeDef& mode);
    Command(Sim& sim, std::string text) : sim_(sim), text_(std::move(text)) {}

    Sim& sim_;
    std::string text_;
    std::optional<Mode> next_;
    bool unknown_ = false;
};

}  // namespace pellix
