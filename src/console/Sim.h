// The whole run of the simulated router, free of any toolkit: the console
// lines, the status strip, the score label, the mode and its prompt, the
// history, the dialogs' small state, the configuration slots and the task
// table. Front ends deliver events and draw the snapshot after each one; the
// core never calls a front end.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "console/KeyCodes.h"
#include "console/Mode.h"
#include "scoring/ScoreFile.h"
#include "scoring/TaskTable.h"
#include "state/ConfigSlots.h"

namespace pellix {

inline constexpr int kConsoleLines = 21;
inline constexpr int InputLine = kConsoleLines - 1;
inline constexpr int kHistoryEntries = 10;
// How many characters the learner can type after a prompt: far above any
// command, so that whatever is pasted the input line stays bounded.
inline constexpr std::size_t kMaxTypedChars = 4096;
// How many lines that scrolled off the top of the console are kept.
inline constexpr std::size_t kScrollBackLines = 1000;

// The one-line status strip under the console: the notes printed since it
// was last cleared, first printed first. The strip shows only the first; it
// keeps at most kMaxPrinted so that endless "?" presses cannot grow it.
class Strip {
  public:
    static constexpr std::size_t kMaxPrinted = 64;
    void Cls() { printed_.clear(); }
    void Print(std::string_view text) {
        if (printed_.size() < kMaxPrinted) printed_.emplace_back(text);
    }
    const std::vector<std::string>& Printed() const { return printed_; }

  private:
    std::vector<std::string> printed_;
};

// What every front end draws after an event.
struct Snapshot {
    std::array<std::string, kConsoleLines> lines;
    std::vector<std::string> strip;  // the notes in the status strip, first printed first
    std::string label;               // the score label
    Mode mode = Mode::NotStarted;
    std::string prompt;
    bool planShown = false;
};

class Sim {
  public:
    explicit Sim(std::filesystem::path folder);

    // ---- Events a front end delivers ----
    // The main window's start-up: the score file, the startup configuration
    // and the welcome screen.
    void Start();
    // A key pressed, with its character code (Enter 13, Backspace 8, Ctrl-Z
    // 26, "?" for help; printable characters are typed).
    void KeyPressed(std::uint16_t code);
    // A click on a console line, and the tick of the front end's one-second
    // timer. Neither changes the router; a front end delivers them where it
    // has them and decides itself where the keyboard goes (the desktop
    // program gives the input line the focus on both, on a tick only while
    // the network plan is not shown).
    void LineClicked(int line);
    void Tick();
    // The Up and Down arrow keys: history recall in the command modes.
    void RecallOlder();
    void RecallNewer();
    // "Show Network Plan", the plan's "Close", and "Finish".
    void ShowNetworkPlan();
    void CloseNetworkPlan();
    void Finish();
    // A front end that repaints before the score file is written, so that
    // Enter answers as fast as a text field, calls DeferScoreSaves() once:
    // each prompt then only marks the file for saving, and the front end
    // calls SavePendingScore() once it has drawn. Finish saves at once.
    void DeferScoreSaves() { deferScoreSaves_ = true; }
    void SavePendingScore();

    // ---- What a front end reads ----
    Snapshot Snap() const;
    const std::array<std::string, kConsoleLines>& Lines() const { return Txt; }
    const std::string& InputText() const { return Txt[InputLine]; }
    // The lines that scrolled off the top of the console, oldest first.
    const std::deque<std::string>& ScrollBack() const { return scrollBack_; }
    const std::vector<std::string>& StripNotes() const { return pic.Printed(); }
    const std::string& Label() const { return Lbllevel; }
    Mode CurrentMode() const { return mode; }
    const std::string& CurrentPrompt() const { return Prompt; }
    bool PlanShown() const { return planShown_; }
    bool Finished() const { return finished_; }
    const std::filesystem::path& Folder() const { return folder_; }
    // What went wrong with "user.dat", if anything: a front end tells the
    // learner once, outside the console and the strip (see ScoreFileProblem).
    const ScoreFileProblem& ScoreProblem() const { return scoreProblem_; }
    // For pellix-replay and the tests: the configuration slots, the task
    // table and the history (entry 1, the oldest, first).
    const ConfigSlotTable& Slots() const { return ConfigSlots; }
    const TaskTable& Tasks() const { return tasks_; }
    const std::array<std::string, kHistoryEntries>& History() const { return CommandHistory; }

    // ---- The router's procedures, for the interpreters and displays ----
    void NewLine();
    void PrintLine(std::string_view text);
    void RunCommand();
    void ShowPrompt();
    void ShowHelp();
    void HandleCtrlZ();
    void AwardTask(int task);
    void SaveScoreFile();
    void LoadScoreFile();
    std::string PromptOf(Mode mode) const;
    std::filesystem::path FileInFolder(std::string_view name) const { return folder_ / name; }
    std::string& Slot(int k) { return ConfigSlots[static_cast<std::size_t>(k)]; }
    const std::string& Slot(int k) const { return ConfigSlots[static_cast<std::size_t>(k)]; }

    // ---- Run state ----
    std::array<std::string, kConsoleLines> Txt;
    Strip pic;
    std::string Lbllevel;
    Mode mode = Mode::NotStarted;
    Mode DispatchMode = Mode::NotStarted;
    std::string Prompt;
    std::string CommandText;
    std::array<std::string, kHistoryEntries> CommandHistory;  // entry 1 at index 0
    int PasswordSlot = 0;
    Mode PasswordPassMode = Mode::NotStarted;
    Mode PasswordFailMode = Mode::NotStarted;
    int PasswordFailures = 0;
    ConfigSlotTable ConfigSlots;
    TaskTable tasks_{};
    std::string PingAddress;
    int PingReached = 0;
    int TftpStatus = 0;
    std::string TftpFileName;

  private:
    void Recall(int position);
    void DropPendingScoreSaves();
    void RecordScoreProblem(ScoreFileProblem::Action action, FileError error);

    std::filesystem::path folder_;
    std::deque<std::string> scrollBack_;
    // Where history recall stands: an index into CommandHistory, or
    // kHistoryEntries for just after the newest entry.
    int recallPosition_ = kHistoryEntries;
    FillerSource fillers_;
    bool planShown_ = false;
    bool finished_ = false;
    bool deferScoreSaves_ = false;
    int pendingScoreSaves_ = 0;  // prompts since the last save, when deferred
    ScoreFileProblem scoreProblem_;
};

}  // namespace pellix
