#include "term/Console.h"

#include <algorithm>

namespace pellix::term {

namespace {

// How many lines a key moves a view towards its end (back, when negative),
// or nothing for a key that moves no view.
std::optional<int> LinesMoved(const Key& key, int pageLines, bool arrows) {
    switch (key.name) {
        case KeyName::Up:
            return arrows ? std::optional(-1) : std::nullopt;
        case KeyName::Down:
            return arrows ? std::optional(1) : std::nullopt;
        case KeyName::WheelUp:
            return -kWheelLines;
        case KeyName::WheelDown:
            return kWheelLines;
        case KeyName::PageUp:
            return -pageLines;
        case KeyName::PageDown:
            return pageLines;
        default:
            return std::nullopt;
    }
}

}  // namespace

Console::Console(Sim& sim, int rows, int cols, const FunctionKeyTable& functionKeys)
    : sim_(sim), functionKeys_(functionKeys), rows_(rows), cols_(cols) {
    ShowScoreProblem();  // the score file may have been unreadable at start-up
}

bool Console::ShowScoreProblem() {
    const ScoreFileProblem& problem = sim_.ScoreProblem();
    if (problem.action == ScoreFileProblem::Action::None || problem.serial == scoreProblemShown_)
        return false;
    scoreProblemShown_ = problem.serial;
    return true;
}

// The one-line notice: a first Ctrl-C's, else a standing score-file
// problem's, else none.
std::string Console::Notice() const {
    if (ctrlCUntil_) return std::string(kCtrlCNotice);
    const ScoreFileProblem& problem = sim_.ScoreProblem();
    if (problem.action != ScoreFileProblem::Action::None && problem.serial == scoreProblemShown_)
        return std::string(kScoreProblemNotice) + problem.Text();
    return {};
}

// The coach's hint about the last command, on the console's notice line
// when no other notice stands and the view is live: whole when it fits the
// line, else its second half, what this lab takes (up to the last clause
// that fits, when even that is too wide).
std::string Console::CoachNotice() const {
    constexpr auto kWidth = static_cast<std::size_t>(kFrameCols);
    if (!hints_ || scrolledBack_ > 0) return {};
    if (sim_.Hint().size() <= kWidth) return sim_.Hint();
    std::string brief = sim_.HintBrief();
    if (brief.size() <= kWidth) return brief;
    std::size_t cut = brief.find_last_of(",:;", kWidth - 2);
    if (cut != std::string::npos && cut > 0) brief = brief.substr(0, cut) + '.';
    return brief;
}

void Console::OnResize(int rows, int cols) {
    rows_ = rows;
    cols_ = cols;
}

void Console::OnTick() {
    sim_.Tick();
}

void Console::OnTime(Clock::time_point now) {
    if (ctrlCUntil_ && now >= *ctrlCUntil_) ctrlCUntil_.reset();
}

void Console::ScrollBy(int lines) {
    const int kept = static_cast<int>(sim_.ScrollBack().size());
    scrolledBack_ = std::clamp(scrolledBack_ + lines, 0, kept);
}

// Keys that move a page over the console.
bool Console::ScrollPage(const Key& key) {
    const int shown = PageRowsShown(rows_);
    const std::optional<int> step = LinesMoved(key, shown, true);
    if (!step) return false;
    const int last = std::max(0, static_cast<int>(page_->page.rows.size()) - shown);
    page_->top = std::clamp(page_->top + *step, 0, last);
    return true;
}

void Console::FunctionKey(int number) {
    const FunctionKeyUse* use = FunctionKeyUseOf(functionKeys_, number);
    if (!use) return;
    switch (use->role) {
        case FunctionRole::NetworkPlan:
            sim_.ShowNetworkPlan();
            break;
        case FunctionRole::Finish:
            sim_.Finish();
            break;
        case FunctionRole::Page:
            if (use->page) page_ = OpenPage{use->page(sim_), 0, number};
            break;
    }
}

void Console::ClosePages() {
    if (sim_.PlanShown()) sim_.CloseNetworkPlan();
    page_.reset();
}

// A key on a page the learner opened (a lesson's steps, the progress, the
// network plan): q, Escape or the page's own function key closes it; the
// arrows and page keys scroll it; any other function key closes it and acts
// as in the console (opens its page, the plan, or finishes), as does pasted
// text, which is typed there whole. Other typed keys do nothing: a page
// never takes a key meant for the router without saying so. Returns whether
// the page took the key.
bool Console::PageKey(const Key& key) {
    const bool plan = sim_.PlanShown();
    int ownKey = page_ ? page_->functionKey : 0;
    for (const FunctionKeyUse& use : functionKeys_)
        if (plan && use.role == FunctionRole::NetworkPlan) ownKey = use.number;
    const bool closing = (key.name == KeyName::Function && key.code == ownKey) ||
                         (key.name == KeyName::Character && !key.pasted &&
                          (key.code == 'q' || key.code == 'Q' || key.code == key::Escape));
    if (closing || key.pasted || key.name == KeyName::Function) {
        ClosePages();
        return closing;
    }
    if (!plan) ScrollPage(key);
    return true;
}

Outcome Console::OnKey(const Key& key, Clock::time_point now) {
    OnTime(now);
    const bool ctrlC = key.name == KeyName::Character && key.code == key::CtrlC && !key.pasted;
    if (ctrlC && ctrlCUntil_) {
        // The second Ctrl-C ends the program as Finish does.
        sim_.Finish();
        return Outcome::Finished;
    }
    ctrlCUntil_.reset();
    if (ctrlC) ctrlCUntil_ = now + kSecondCtrlCWait;

    const FunctionKeyUse* use =
        key.name == KeyName::Function ? FunctionKeyUseOf(functionKeys_, key.code) : nullptr;
    const bool isFinish = use && use->role == FunctionRole::Finish;
    if (!Fits(rows_, cols_)) {
        // Nothing typed where it cannot be seen; only Finish acts, as the
        // notice for a small terminal says, whatever was shown.
        if (!isFinish) return Outcome::Continue;
        if (sim_.PlanShown()) sim_.CloseNetworkPlan();
        page_.reset();
        FunctionKey(key.code);
        return Outcome::Finished;
    }
    if (sim_.PlanShown() || page_) {
        // A first Ctrl-C leaves the page as it is and shows its notice there.
        if (ctrlC || PageKey(key)) return Outcome::Continue;
    }

    // In the console the arrows recall commands; the other keys that move
    // views move the scroll-back view.
    if (const std::optional<int> step = LinesMoved(key, kPageLines, false)) {
        ScrollBy(-*step);
        return Outcome::Continue;
    }
    // Any other key brings the live console back and acts there.
    scrolledBack_ = 0;
    switch (key.name) {
        case KeyName::Character:
            // Most terminals send DEL for the Backspace key; the router knows 8.
            sim_.KeyPressed(key.code == key::Delete ? key::Backspace : key.code);
            break;
        case KeyName::Up:
            sim_.RecallOlder();
            break;
        case KeyName::Down:
            sim_.RecallNewer();
            break;
        case KeyName::Function:
            FunctionKey(key.code);
            break;
        default:
            break;
    }
    if (sim_.Finished()) return Outcome::Finished;
    ShowScoreProblem();
    return Outcome::Continue;
}

Screen Console::Draw() const {
    if (sim_.PlanShown()) return PageScreen(NetworkPlanPage(), 0, rows_, cols_, Notice());
    if (page_) return PageScreen(page_->page, page_->top, rows_, cols_, Notice());
    ConsoleView view;
    view.scrollBack = &sim_.ScrollBack();
    view.scrolledBack = scrolledBack_;
    view.notice = Notice();
    if (view.notice.empty()) view.notice = CoachNotice();
    view.hint = KeyHint(functionKeys_);
    return ConsoleScreen(sim_.Snap(), view, rows_, cols_);
}

std::string FinishedLine(const Sim& sim) {
    const std::string score =
        "Score: " + std::to_string(SumTasks(sim.Tasks())) + " of " + std::to_string(kTaskCount);
    const ScoreFileProblem& problem = sim.ScoreProblem();
    if (problem.action != ScoreFileProblem::Action::None)
        return score + ", not saved: " + problem.Text();
    return score + ", saved in " + sim.Folder().string();
}

}  // namespace pellix::term
