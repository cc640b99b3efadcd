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

#include "console/Command.h"
#include "console/KeyCodes.h"
#include "console/Mode.h"
#include "scoring/ScoreFile.h"
#include "scoring/TaskTable.h"
#include "state/ConfigSlots.h"

namespace pellix {

inline constexpr int kConsoleLines = 21;
inline constexpr int InputLine = kConsoleLines - 1;
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
    // The coach's hint about the last command, outside the console (empty
    // when there is none): see CoachHint.
    std::string hint;
};

class Sim {
  public:
    explicit Sim(std::filesystem::path folder);

    // ---- Events a front end delivers ----
    // The main window's start-up: the score file, the startup configuration
    // and the welcome screen.
    void Start();
    // A key pressed, with its character code (key::Enter, key::Backspace,
    // key::CtrlZ, key::Help; printable characters are typed).
    void KeyPressed(std::uint16_t code);
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
    // Whether a prompt since the last save left the score file to be saved.
    bool ScoreSavePending() const { return pendingScoreSaves_ > 0; }

    // ---- What a front end reads ----
    Snapshot Snap() const;
    const std::array<std::string, kConsoleLines>& Lines() const { return lines_; }
    const std::string& InputText() const { return lines_[InputLine]; }
    // The lines that scrolled off the top of the console, oldest first.
    const std::deque<std::string>& ScrollBack() const { return scrollBack_; }
    // How many lines have left the top of the console since the start, kept
    // or not: a front end that writes each line once counts the new ones.
    std::uint64_t LinesScrolled() const { return linesScrolled_; }
    const std::vector<std::string>& StripNotes() const { return strip_.Printed(); }
    const std::string& Label() const { return label_; }
    Mode CurrentMode() const { return mode_; }
    const std::string& CurrentPrompt() const { return prompt_; }
    bool PlanShown() const { return planShown_; }
    // The coach's hint about the last command: what a real router does with a
    // command this lab answered as unknown, and what this lab takes instead.
    // Empty when there is none; the next command clears it. Front ends show it
    // outside the router's lines, or not at all when the learner turned the
    // coach off.
    const std::string& Hint() const { return hint_; }
    // Its second half alone ("This lab takes ..."), for one short line.
    const std::string& HintBrief() const { return hintBrief_; }
    bool Finished() const { return finished_; }
    // The score the label counts: the label is brought up to date at each
    // prompt, so a task earned since is done but not yet counted.
    long ScoreCounted() const { return scoreCounted_; }
    const std::filesystem::path& Folder() const { return folder_; }
    // What went wrong with "user.dat", if anything: a front end tells the
    // learner once, outside the console and the strip (see ScoreFileProblem).
    const ScoreFileProblem& ScoreProblem() const { return scoreProblem_; }
    // For pellix-replay and the tests: the configuration slots, the task
    // table and the history (entry 1, the oldest, first).
    const ConfigSlotTable& Slots() const { return slots_; }
    const TaskTable& Tasks() const { return tasks_; }
    const CommandHistory& History() const { return history_; }

  private:
    friend class Command;

    // A command typed at the prompt (Enter, or Ctrl-Z with what was typed):
    // history, the mode's table, the prompt that follows.
    void RunCommand();
    void SaveScoreAndPrompt();
    void ShowHelp();
    void HandleCtrlZ();
    void NewLine();
    void PrintLine(std::string_view text);
    void AwardTask(Task task);
    std::string PromptOf(Mode mode) const;
    void SaveScoreFile();
    void LoadScoreFile();
    std::filesystem::path FileInFolder(std::string_view name) const { return folder_ / name; }
    void Recall(int position);
    void DropPendingScoreSaves();
    void RecordScoreProblem(ScoreFileProblem::Action action, FileError error);

    // ---- Run state ----
    std::array<std::string, kConsoleLines> lines_;
    Strip strip_;
    std::string label_;
    Mode mode_ = Mode::NotStarted;
    std::string prompt_;
    std::string hint_;
    std::string hintBrief_;
    CommandHistory history_;
    ConfigSlotTable slots_;
    TaskTable tasks_{};
    DialogState dialog_;
    std::filesystem::path folder_;
    std::deque<std::string> scrollBack_;
    std::uint64_t linesScrolled_ = 0;
    // Where history recall stands: an index into the history, or
    // kHistoryEntries for just after the newest entry.
    int recallPosition_ = kHistoryEntries;
    FillerSource fillers_;
    bool planShown_ = false;
    bool finished_ = false;
    bool deferScoreSaves_ = false;
    int pendingScoreSaves_ = 0;  // prompts since the last save, when deferred
    long scoreCounted_ = 0;
    ScoreFileProblem scoreProblem_;
};

}  // namespace pellix
