#include "console/Sim.h"

#include <utility>

#include "console/Dispatch.h"
#include "console/KeyCodes.h"
#include "state/Files.h"
#include "state/StartupConfig.h"

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
    scrollBack_.push_back(std::move(Txt[0]));
    for (int k = 0; k < InputLine; ++k) Txt[k] = std::move(Txt[k + 1]);
    Txt[InputLine].clear();
}

void Sim::PrintLine(std::string_view text) {
    NewLine();
    Txt[InputLine] = text;
}

// ---- Events ----

void Sim::Start() {
    RemoveStaleTemporaries(folder_);
    LoadScoreFile();
    mode = Mode::UserExec;
    Lbllevel = "OK";
    std::string loadError = LoadStartupConfig(*this);
    if (Slot(slot::Hostname).empty()) Slot(slot::Hostname) = "Router";

    // The welcome screen.
    const std::string& host = Slot(slot::Hostname);
    Txt[1] = "This router simulator is designed specifically for use with the included";
    Txt[2] = "lessons. Please view the readme.htm file for lessons and instructions. ";
    Txt[6] = host + " con0 is now available";
    Txt[9] = "Press RETURN to get started.";
    Txt[11] = loadError;
    Prompt = host + ">";
    Txt[InputLine] = Prompt;
    scrollBack_.clear();  // the console starts blank: nothing above the welcome
}

void Sim::KeyPressed(std::uint16_t code) {
    if (finished_) return;
    // Characters beyond the bound are dropped like keys the router ignores.
    if (key::Types(code) && Txt[InputLine].size() < Prompt.size() + kMaxTypedChars)
        Txt[InputLine] += static_cast<char>(code);
    if (code == key::Enter || code == key::LineFeed) RunCommand();
    if (code == key::CtrlZ && LeftByCtrlZ(mode)) HandleCtrlZ();
    if (code == key::Help) ShowHelp();
    if (code == key::Backspace && Txt[InputLine].size() > Prompt.size()) Txt[InputLine].pop_back();
}

void Sim::LineClicked(int) {}

void Sim::Tick() {}

// ---- History recall ----

void Sim::RecallOlder() {
    if (finished_ || !TakesCommands(mode)) return;
    for (int k = recallPosition_ - 1; k >= 0; --k)
        if (!CommandHistory[k].empty()) return Recall(k);
}

void Sim::RecallNewer() {
    if (finished_ || !TakesCommands(mode) || recallPosition_ == kHistoryEntries) return;
    for (int k = recallPosition_ + 1; k < kHistoryEntries; ++k)
        if (!CommandHistory[k].empty()) return Recall(k);
    Recall(kHistoryEntries);
}

void Sim::Recall(int position) {
    recallPosition_ = position;
    Txt[InputLine] = Prompt;
    if (position < kHistoryEntries) Txt[InputLine] += CommandHistory[position];
}

void Sim::ShowNetworkPlan() {
    if (finished_) return;
    AwardTask(50);
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
    return {Txt, pic.Printed(), Lbllevel, mode, Prompt, planShown_};
}

// ---- Dispatch ----

void Sim::RunCommand() {
    const std::string& line = Txt[InputLine];
    std::string_view typed =
        line.size() > Prompt.size() ? std::string_view(line).substr(Prompt.size()) : "";
    CommandText = TrimBlanks(typed);
    if (CommandText.size() > 1) {
        std::move(CommandHistory.begin() + 1, CommandHistory.end(), CommandHistory.begin());
        CommandHistory.back() = CommandText;
    }
    DispatchMode = mode;
    pic.Cls();
    if (const ModeDef* mode = FindMode(DispatchMode)) Interpret(*this, *mode);
    CommandText.clear();
    NewLine();
    ShowPrompt();
}

std::string Sim::PromptOf(Mode which) const {
    const ModeDef* def = FindMode(which);
    if (!def) return Prompt;
    std::string prompt(def->before);
    if (def->withHostname) prompt += Slot(slot::Hostname);
    prompt += def->after;
    return prompt;
}

void Sim::ShowPrompt() {
    if (deferScoreSaves_)
        ++pendingScoreSaves_;
    else
        SaveScoreFile();
    recallPosition_ = kHistoryEntries;
    Prompt = PromptOf(mode);
    Txt[InputLine] = Prompt;
    Lbllevel = ScoreCaption(SumTasks(tasks_));
}

void Sim::ShowHelp() {
    AwardTask(13);
    DispatchMode = mode;
    if (const ModeDef* mode = FindMode(DispatchMode); mode && !mode->help.empty()) {
        for (std::string_view line : mode->help) PrintLine(line);
        NewLine();
    }
    ShowPrompt();
}

void Sim::HandleCtrlZ() {
    AwardTask(45);
    mode = Mode::PrivilegedExec;
    Txt[InputLine] += "^Z";
    Prompt = Txt[InputLine];
    RunCommand();
}

// ---- Scoring ----

void Sim::AwardTask(int task) {
    if (task < 0 || task > kTaskCount) return;
    tasks_[static_cast<std::size_t>(task)] = 1;
    if (task >= 1) pic.Print(TaskMessage(task));
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

}  // namespace pellix
