#include "lab/Console.h"

#include <algorithm>

#include "lessons/Lessons.h"

namespace pellix::lab {

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
        case KeyName::Home:
            return -static_cast<int>(kScrollBackLines) - kConsoleLines;
        case KeyName::End:
            return static_cast<int>(kScrollBackLines) + kConsoleLines;
        default:
            return std::nullopt;
    }
}

bool IsTyped(const Key& key, std::uint16_t code) {
    return key.name == KeyName::Character && key.code == code;
}

// The next character of UTF-8 text and its length; a byte that starts no
// character stands for itself.
std::pair<char32_t, std::size_t> NextCharacter(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
    if (length > text.size()) length = 1;
    char32_t character = length == 1 ? lead : lead & (0x7f >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[k]);
        if ((next & 0xc0) != 0x80) return {lead, 1};
        character = (character << 6) | (next & 0x3f);
    }
    return {character, length};
}

}  // namespace

std::vector<std::uint16_t> PastedKeys(std::string_view text) {
    std::vector<std::uint16_t> keys;
    keys.reserve(text.size());
    while (!text.empty()) {
        if (text[0] == '\r' || text[0] == '\n') {
            keys.push_back(key::Enter);
            text.remove_prefix(text.starts_with("\r\n") ? 2 : 1);
            continue;
        }
        const auto [character, length] = NextCharacter(text);
        // Beyond the router's 16-bit codes, a character is one it drops.
        keys.push_back(character > 0xffff ? 0xfffd : static_cast<std::uint16_t>(character));
        text.remove_prefix(length);
    }
    return keys;
}

std::string ScrolledNotice(int lines) {
    return "Scrolled back " + std::to_string(lines) + (lines == 1 ? " line" : " lines") +
           ": PgUp/PgDn, any other key returns";
}

std::string ShiftedNotice(int columns) {
    return "Shifted " + std::to_string(columns) +
           " columns right: Left/Right, any other key returns";
}

Console::Console(Sim& sim, PagePlace place, const FunctionKeyTable& functionKeys)
    : sim_(sim), place_(place), functionKeys_(functionKeys) {
    sim_.DeferScoreSaves();
    NewScoreProblem();  // the score file may have been unreadable at start-up
}

bool Console::NewScoreProblem() {
    const ScoreFileProblem& problem = sim_.ScoreProblem();
    if (problem.action == ScoreFileProblem::Action::None || problem.serial == scoreProblemShown_)
        return false;
    scoreProblemShown_ = problem.serial;
    return true;
}

bool Console::AfterDraw() {
    sim_.SavePendingScore();
    return NewScoreProblem();
}

int Console::ScrolledBack() const {
    // The core may have dropped old lines since the view was scrolled.
    return std::min(scrolledBack_, static_cast<int>(sim_.ScrollBack().size()));
}

const std::string& Console::ShownLine(int k) const {
    const auto& kept = sim_.ScrollBack();
    const int at = static_cast<int>(kept.size()) - ScrolledBack() + k;
    if (at < static_cast<int>(kept.size())) return kept[static_cast<std::size_t>(at)];
    return sim_.Lines()[static_cast<std::size_t>(at) - kept.size()];
}

std::string Console::Notice(bool withScoreProblem) const {
    if (ctrlCUntil_) return std::string(kCtrlCNotice);
    const ScoreFileProblem& problem = sim_.ScoreProblem();
    if (withScoreProblem && problem.action != ScoreFileProblem::Action::None)
        return std::string(kScoreProblemNotice) + problem.Text();
    if (page_ || sim_.PlanShown()) return {};
    if (ScrolledBack() > 0) return ScrolledNotice(ScrolledBack());
    if (shifted_ > 0) return ShiftedNotice(shifted_);
    return {};
}

std::string Console::CoachNotice(int width) const {
    const auto room = static_cast<std::size_t>(width);
    if (!hints_ || ScrolledBack() > 0) return {};
    if (sim_.Hint().size() <= room) return sim_.Hint();
    std::string brief = sim_.HintBrief();
    if (brief.size() <= room) return brief;
    std::size_t cut = brief.find_last_of(",:;", room - 2);
    if (cut != std::string::npos && cut > 0) brief = brief.substr(0, cut) + '.';
    return brief;
}

std::optional<int> Console::TakeLessonRequest() {
    std::optional<int> task = lessonRequest_;
    lessonRequest_.reset();
    return task;
}

void Console::SetRoom(int pageRows, bool fits) {
    pageRows_ = std::max(1, pageRows);
    fits_ = fits;
}

std::optional<std::chrono::milliseconds> Console::TimeLeft(Clock::time_point now) const {
    if (!ctrlCUntil_) return std::nullopt;
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::ceil<std::chrono::milliseconds>(*ctrlCUntil_ - now));
}

void Console::OnTime(Clock::time_point now) {
    if (ctrlCUntil_ && now >= *ctrlCUntil_) ctrlCUntil_.reset();
}

void Console::ScrollBy(int lines) {
    const int kept = static_cast<int>(sim_.ScrollBack().size());
    scrolledBack_ = std::clamp(ScrolledBack() + lines, 0, kept);
}

// Sideways no further than the longest line shown needs (its characters).
void Console::ShiftBy(int columns) {
    std::size_t longest = 0;
    for (int k = 0; k < kConsoleLines; ++k) {
        const std::string& line = ShownLine(k);
        longest =
            std::max<std::size_t>(longest, std::count_if(line.begin(), line.end(), [](char c) {
                                      return (static_cast<unsigned char>(c) & 0xc0) != 0x80;
                                  }));
    }
    const int over = std::max(0, static_cast<int>(longest) - kConsoleColumns);
    const int last = (over + kShiftColumns - 1) / kShiftColumns * kShiftColumns;
    shifted_ = std::clamp(shifted_ + columns, 0, last);
}

// Keys that move a page over the console.
bool Console::ScrollPage(const Key& key) {
    const std::optional<int> step = LinesMoved(key, pageRows_, true);
    if (!step) return false;
    const int last = std::max(0, static_cast<int>(page_->page.rows.size()) - pageRows_);
    page_->top = std::clamp(page_->top + *step, 0, last);
    return true;
}

void Console::FunctionKey(int number) {
    const FunctionKeyUse* use = FunctionKeyUseOf(functionKeys_, number);
    if (!use) return;
    switch (use->role) {
        case FunctionRole::NetworkPlan:
            if (sim_.PlanShown())
                sim_.CloseNetworkPlan();
            else
                sim_.ShowNetworkPlan();
            break;
        case FunctionRole::Finish:
            sim_.Finish();
            break;
        case FunctionRole::Hints:
            hints_ = !hints_;
            break;
        case FunctionRole::Page:
            if (page_ && page_->name == use->page) {
                page_.reset();  // its own key closes it
            } else if (place_ == PagePlace::BesideConsole && use->page == PageName::Lesson) {
                lessonRequest_ = NextTask(sim_.Tasks());
            } else if (use->maker) {
                page_ = OpenedPage{use->maker(sim_), use->page, 0, number};
            }
            break;
    }
}

void Console::ClosePages() {
    if (sim_.PlanShown()) sim_.CloseNetworkPlan();
    page_.reset();
}

// A key on a page over the console (a lesson's steps, the progress, the
// network plan): q, Escape or the page's own function key closes it; the
// arrows and page keys scroll it; any other function key closes it and acts
// as in the console (opens its page, the plan, or finishes), as does pasted
// text, which is typed there whole. Other typed keys do nothing: a page
// never takes a key meant for the router without saying so. Returns whether
// the page took the key.
bool Console::PageKey(const Key& key) {
    const bool plan = sim_.PlanShown();
    const int ownKey =
        plan ? FunctionKeyOf(functionKeys_, FunctionRole::NetworkPlan) : page_->functionKey;
    const bool closing = (key.name == KeyName::Function && key.code == ownKey) ||
                         IsTyped(key, 'q') || IsTyped(key, 'Q') || IsTyped(key, key::Escape);
    if (closing || key.name == KeyName::Paste || key.name == KeyName::Function) {
        ClosePages();
        return closing;
    }
    if (!plan) ScrollPage(key);
    return true;
}

// A key while a page or the plan stands beside the console: Escape closes
// the page (the lab's own first, then the plan); every other key acts as in
// the console. Returns whether the page took the key.
bool Console::BesidePageKey(const Key& key) {
    if (!IsTyped(key, key::Escape)) return false;
    if (page_)
        page_.reset();
    else
        sim_.CloseNetworkPlan();
    return true;
}

void Console::TypeCharacter(std::uint16_t code) {
    // Most terminals send DEL for the Backspace key; the router knows 8.
    sim_.KeyPressed(code == key::Delete ? key::Backspace : code);
}

Outcome Console::Ended() {
    pending_.clear();
    return sim_.Finished() ? Outcome::Finished : Outcome::Continue;
}

Outcome Console::OnKey(const Key& key, Clock::time_point now) {
    if (sim_.Finished()) return Outcome::Finished;
    if (!pending_.empty() && key.name != KeyName::Paste) {
        pending_.push_back({key, false});
        return Outcome::Continue;
    }
    return Act(key, now);
}

Outcome Console::TypePasted(Clock::time_point now) {
    while (!pending_.empty() && !sim_.Finished()) {
        const Waiting next = pending_.front();
        pending_.pop_front();
        if (!next.pasted) {
            if (Act(next.key, now) == Outcome::Finished) return Ended();
            continue;
        }
        TypeCharacter(next.key.code);
        if (next.key.code == key::Enter) break;
    }
    return sim_.Finished() ? Ended() : Outcome::Continue;
}

void Console::Paste(std::string_view text) {
    for (std::uint16_t code : PastedKeys(text)) pending_.push_back({Typed(code), true});
}

Outcome Console::Act(const Key& key, Clock::time_point now) {
    OnTime(now);
    const bool ctrlC = IsTyped(key, key::CtrlC);
    if (ctrlC && ctrlCUntil_) {
        // The second Ctrl-C ends the lab as Finish does.
        sim_.Finish();
        return Ended();
    }
    ctrlCUntil_.reset();
    if (ctrlC) ctrlCUntil_ = now + kSecondCtrlCWait;

    const FunctionKeyUse* use =
        key.name == KeyName::Function ? FunctionKeyUseOf(functionKeys_, key.code) : nullptr;
    if (!fits_) {
        // Nothing typed where it cannot be seen; only Finish acts, as the
        // notice for a small terminal says, whatever was shown.
        if (!use || use->role != FunctionRole::Finish) return Outcome::Continue;
        ClosePages();
        sim_.Finish();
        return Ended();
    }
    if (sim_.PlanShown() || page_) {
        // A first Ctrl-C leaves the page as it is and shows its notice there.
        const bool taken =
            place_ == PagePlace::OverConsole ? ctrlC || PageKey(key) : BesidePageKey(key);
        if (taken) return Outcome::Continue;
    }

    // In the console the arrows recall commands; the other keys that move
    // views move the scroll-back view.
    if (const std::optional<int> step = LinesMoved(key, kPageLines, false)) {
        ScrollBy(-*step);
        return Outcome::Continue;
    }
    if (key.name == KeyName::Left || key.name == KeyName::Right) {
        ShiftBy(key.name == KeyName::Right ? kShiftColumns : -kShiftColumns);
        return Outcome::Continue;
    }
    // Any other key brings the live console back and acts there.
    scrolledBack_ = 0;
    shifted_ = 0;
    switch (key.name) {
        case KeyName::Character:
            TypeCharacter(key.code);
            break;
        case KeyName::Paste:
            Paste(key.text);
            return TypePasted(now);
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
    if (sim_.Finished()) return Ended();
    return Outcome::Continue;
}

}  // namespace pellix::lab
