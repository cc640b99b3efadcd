#include "term/Console.h"

#include <algorithm>

#include "term/FunctionKeys.h"

namespace pellix::term {

namespace {

constexpr std::uint16_t kBackspace = 8;
constexpr std::uint16_t kDelete = 127;

}  // namespace

Console::Console(Sim& sim, int rows, int cols) : sim_(sim), rows_(rows), cols_(cols) {}

void Console::OnResize(int rows, int cols) {
    rows_ = rows;
    cols_ = cols;
}

void Console::OnTick() {
    sim_.Timer1_Timer();
}

void Console::OnTime(Clock::time_point now) {
    if (ctrlCUntil_ && now >= *ctrlCUntil_) ctrlCUntil_.reset();
}

void Console::ScrollBy(int lines) {
    const int kept = static_cast<int>(sim_.ScrollBack().size());
    scrolledBack_ = std::clamp(scrolledBack_ + lines, 0, kept);
}

// Keys that move a page over the console; any other key closes it.
bool Console::ScrollPage(const Key& key) {
    const int shown = PageRowsShown(rows_);
    const int last = std::max(0, static_cast<int>(page_->page.rows.size()) - shown);
    int step = 0;
    switch (key.name) {
        case KeyName::Up:
            step = -1;
            break;
        case KeyName::Down:
            step = 1;
            break;
        case KeyName::WheelUp:
            step = -kWheelLines;
            break;
        case KeyName::WheelDown:
            step = kWheelLines;
            break;
        case KeyName::PageUp:
            step = -shown;
            break;
        case KeyName::PageDown:
            step = shown;
            break;
        default:
            return false;
    }
    page_->top = std::clamp(page_->top + step, 0, last);
    return true;
}

void Console::FunctionKey(int number) {
    const FunctionKeyUse* use = FunctionKeyUseOf(number);
    if (!use) return;
    switch (use->role) {
        case FunctionRole::NetworkPlan:
            sim_.ShowNetworkPlan();
            break;
        case FunctionRole::Finish:
            sim_.Finish();
            break;
        case FunctionRole::Page:
            if (use->page) page_ = OpenPage{use->page(sim_), 0};
            break;
    }
}

Outcome Console::OnKey(const Key& key, Clock::time_point now) {
    OnTime(now);
    const bool ctrlC = key.name == KeyName::Character && key.code == kCtrlC && !key.pasted;
    if (ctrlC && ctrlCUntil_) {
        // The second Ctrl-C ends the program as Finish does.
        sim_.Finish();
        return Outcome::Finished;
    }
    ctrlCUntil_.reset();
    if (ctrlC) ctrlCUntil_ = now + kSecondCtrlCWait;

    const bool isFinish = key.name == KeyName::Function && FunctionKeyUseOf(key.code) != nullptr &&
                          FunctionKeyUseOf(key.code)->role == FunctionRole::Finish;
    if (!Fits(rows_, cols_)) {
        // Nothing typed where it cannot be seen; only Finish acts.
        if (isFinish && !sim_.PlanShown() && !page_) FunctionKey(key.code);
        return sim_.Finished() ? Outcome::Finished : Outcome::Continue;
    }
    if (sim_.PlanShown()) {
        // Any key closes the plan (Ctrl-C aside) and is not typed.
        if (!ctrlC) sim_.CloseNetworkPlan();
        return Outcome::Continue;
    }
    if (page_) {
        if (!ScrollPage(key) && !ctrlC) page_.reset();
        return Outcome::Continue;
    }

    switch (key.name) {
        case KeyName::PageUp:
            ScrollBy(kPageLines);
            return Outcome::Continue;
        case KeyName::PageDown:
            ScrollBy(-kPageLines);
            return Outcome::Continue;
        case KeyName::WheelUp:
            ScrollBy(kWheelLines);
            return Outcome::Continue;
        case KeyName::WheelDown:
            ScrollBy(-kWheelLines);
            return Outcome::Continue;
        default:
            break;
    }
    // Any other key brings the live console back and acts there.
    scrolledBack_ = 0;
    switch (key.name) {
        case KeyName::Character:
            // Most terminals send DEL for the Backspace key; the router knows 8.
            sim_.Form_KeyPress(key.code == kDelete ? kBackspace : key.code);
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
    return sim_.Finished() ? Outcome::Finished : Outcome::Continue;
}

Screen Console::Draw() const {
    if (sim_.PlanShown()) return PageScreen(NetworkPlanPage(), 0, rows_, cols_);
    if (page_) return PageScreen(page_->page, page_->top, rows_, cols_);
    ConsoleView view;
    view.scrollBack = &sim_.ScrollBack();
    view.scrolledBack = scrolledBack_;
    if (ctrlCUntil_) view.notice = kCtrlCNotice;
    view.hint = KeyHint();
    return ConsoleScreen(sim_.Snap(), view, rows_, cols_);
}

std::string FinishedLine(const Sim& sim) {
    return "Score: " + std::to_string(SumTasks(sim.Tasks)) + " of " + std::to_string(kTaskCount) +
           ", saved in " + sim.Folder().string();
}

}  // namespace pellix::term
