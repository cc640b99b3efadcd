#include "console/Sim.h"

#include <utility>

#include "console/Dispatch.h"
#include "console/KeyCodes.h"
#include "interpreters/Procedures.h"
#include "lessons/RealRouter.h"
#include "state/Files.h"

namespace pellix {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

Sim::Sim(std::filesystem::path folder) : folder_(std::move(folder)) {}

// ---- The console lines ----

void Sim::NewLine() {
    if (scrollBack_.size() == kScrollBackLines) scrollBack_.pop_front();
    scrollBack_.push_back(std::move(lines_[0]));
    ++linesScrolled_;
    for (int k = 0; k < InputLine; ++k) lines_[k] = std::move(lines_[k + 1]);
    lines_[InputLine].clear();
}

void Sim::PrintLine(std::string_view text) {
    NewLine();
    lines_[InputLine] = text;
}

// ---- Events ----

void Sim::Start() {
    RemoveStaleTemporaries(folder_);
    LoadScoreFile();
    scoreCounted_ = SumTasks(tasks_);  // the label shows no count before the first prompt
    mode_ = Mode::UserExec;
    label_ = "OK";
    Command startUp(*this, "");
    std::string loadError = LoadStartupConfig(startUp);
    std::string& host = slots_[slot::Hostname];
    if (host.empty()) host = "Router";

    // The welcome screen.
    lines_[1] = "This router simulator is designed specifically for use with the included";
    lines_[2] = "lessons. Please view the readme.htm file for lessons and instructions. ";
    lines_[6] = host + " con0 is now available";
    lines_[9] = "Press RETURN to get started.";
    lines_[11] = loadError;
    prompt_ = host + ">";
    lines_[InputLine] = prompt_;
    scrollBack_.clear();  // the console starts blank: nothing above the welcome
}

void Sim::KeyPressed(std::uint16_t code) {
    if (finished_) return;
    // Characters beyond the bound are dropped like keys the router ignores.
    std::string& input = lines_[InputLine];
    if (key::Types(code) && input.size() < prompt_.size() + kMaxTypedChars)
        input += static_cast<char>(code);
    if (code == key::Enter || code == key::LineFeed) RunCommand();
    if (code == key::CtrlZ && LeftByCtrlZ(mode_)) HandleCtrlZ();
    if (code == key::Help) ShowHelp();
    if (code == key::Backspace && input.size() > prompt_.size()) input.pop_back();
}

// ---- History recall ----

void Sim::RecallOlder() {
    if (finished_ || !TakesCommands(mode_)) return;
    for (int k = recallPosition_ - 1; k >= 0; --k)
        if (!history_[k].empty()) return Recall(k);
}

void Sim::RecallNewer() {
    if (finished_ || !TakesCommands(mode_) || recallPosition_ == kHistoryEntries) return;
    for (int k = recallPosition_ + 1; k < kHistoryEntries; ++k)
        if (!history_[k].empty()) return Recall(k);
    Recall(kHistoryEntries);
}

void Sim::Recall(int position) {
    recallPosition_ = position;
    lines_[InputLine] = prompt_;
    if (position < kHistoryEntries) lines_[InputLine] += history_[position];
}

void Sim::ShowNetworkPlan() {
    if (finished_) return;
    AwardTask(task::NetworkPlanShown);
    planShown_ = true;
}

void Sim::CloseNetworkPlan() {
    planShown_ = false;
}

void Sim::Finish() {
    if (finished_) return;
    DropPendingScoreSaves();
    SaveScoreFile();
    finished_ = true;
}

Snapshot Sim::Snap() const {
    return {lines_, strip_.Printed(), label_, mode_, prompt_, planShown_, hint_};
}

// ---- Dispatch ----

void Sim::RunCommand() {
    const std::string& line = lines_[InputLine];
    std::string_view typed =
        line.size() > prompt_.size() ? std::string_view(line).substr(prompt_.size()) : "";
    Command command(*this, std::string(TrimBlanks(typed)));
    if (command.Text().size() > 1) {
        std::move(history_.begin() + 1, history_.end(), history_.begin());
        history_.back() = command.Text();
    }
    strip_.Cls();
    hint_.clear();
    hintBrief_.clear();
    if (const ModeDef* def = FindMode(mode_)) Interpret(command, *def);
    if (command.AnsweredUnknown()) {
        hint_ = CoachHint(mode_, command.Text());
        hintBrief_ = CoachHintBrief(mode_, command.Text());
    }
    if (command.next_) mode_ = *command.next_;
    NewLine();
    SaveScoreAndPrompt();
}

std::string Sim::PromptOf(Mode which) const {
    const ModeDef* def = FindMode(which);
    if (!def) return prompt_;
    std::string prompt(def->before);
    if (def->withHostname) prompt += slots_[slot::Hostname];
    prompt += def->after;
    return prompt;
}

void Sim::SaveScoreAndPrompt() {
    if (deferScoreSaves_)
        ++pendingScoreSaves_;
    else
        SaveScoreFile();
    recallPosition_ = kHistoryEntries;
    prompt_ = PromptOf(mode_);
    lines_[InputLine] = prompt_;
    label_ = ScoreCaption(SumTasks(tasks_));
    scoreCounted_ = SumTasks(tasks_);
}

void Sim::ShowHelp() {
    AwardTask(task::HelpListed);
    if (const ModeDef* def = FindMode(mode_); def && !def->help.empty()) {
        for (std::string_view line : def->help) PrintLine(line);
        NewLine();
    }
    SaveScoreAndPrompt();
}

void Sim::HandleCtrlZ() {
    AwardTask(task::CtrlZPressed);
    mode_ = Mode::PrivilegedExec;
    lines_[InputLine] += "^Z";
    prompt_ = lines_[InputLine];
    RunCommand();
}

// ---- Scoring ----

void Sim::AwardTask(Task task) {
    if (task == Task::None) return;
    tasks_[static_cast<std::size_t>(Number(task))] = 1;
    strip_.Print(TaskMessage(task));
}

void Sim::SavePendingScore() {
    if (pendingScoreSaves_ == 0) return;
    --pendingScoreSaves_;
    DropPendingScoreSaves();
    SaveScoreFile();
}

// The saves left out would each have drawn the fillers of every record: their
// draws are made all the same, so that the file is exactly what saving at
// every prompt would have left.
void Sim::DropPendingScoreSaves() {
    for (; pendingScoreSaves_ > 0; --pendingScoreSaves_) SkipScoreFillers(fillers_);
}

void Sim::SaveScoreFile() {
    // A score file that exists but could not be read is never overwritten:
    // the run keeps its score in memory only.
    if (scoreProblem_.action == ScoreFileProblem::Action::Read) return;
    // One that cannot be written keeps its old content; the router says
    // nothing about it, the front end tells the learner.
    FileError error = ReplaceFileAtomically(FileInFolder(kScoreFile),
                                            WriteScoreText(tasks_, fillers_), Durability::Content)
                          .error;
    if (error == FileError::None)
        scoreProblem_.action = ScoreFileProblem::Action::None;
    else
        RecordScoreProblem(ScoreFileProblem::Action::Write, error);
}

void Sim::LoadScoreFile() {
    FileRead read = ReadWholeFile(FileInFolder(kScoreFile));
    tasks_ = read.data ? ReadScoreText(*read.data) : TaskTable{};
    // A missing file is the first run's; any other failure leaves the file
    // alone for the whole run.
    if (!read.data && read.error != FileError::NotFound)
        RecordScoreProblem(ScoreFileProblem::Action::Read, read.error);
}

void Sim::RecordScoreProblem(ScoreFileProblem::Action action, FileError error) {
    if (scoreProblem_.action == action && scoreProblem_.error == error) return;  // told already
    scoreProblem_.action = action;
    scoreProblem_.error = error;
    scoreProblem_.file = FileInFolder(kScoreFile);
    ++scoreProblem_.serial;
}

// ---- What a command's procedures may do ----

const ConfigSlotTable& Command::Slots() const {
    return sim_.slots_;
}

void Command::SetSlot(int k, std::string_view value) {
    sim_.slots_[static_cast<std::size_t>(k)] = value;
}

void Command::LoadSlots(SavedSlots&& saved) {
    StoreSavedSlots(sim_.slots_, std::move(saved));
}

void Command::ClearSlots() {
    for (std::string& text : sim_.slots_) text.clear();
}

void Command::PrintLine(std::string_view text) {
    sim_.PrintLine(text);
}

void Command::Note(std::string_view text) {
    sim_.strip_.Print(text);
}

void Command::Award(Task task) {
    sim_.AwardTask(task);
}

void Command::ResetScore() {
    sim_.tasks_.fill(std::int16_t{0});
}

const CommandHistory& Command::History() const {
    return sim_.history_;
}

std::filesystem::path Command::File(std::string_view name) const {
    return sim_.FileInFolder(name);
}

DialogState& Command::Dialog() {
    return sim_.dialog_;
}

}  // namespace pellix
