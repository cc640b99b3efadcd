#include "term/PlainLog.h"

#include <algorithm>
#include <limits>

#include "lab/Pages.h"
#include "term/Layout.h"

namespace pellix::term {

namespace {

std::string TrimmedEnd(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// How many characters a UTF-8 text has (its bytes but the continuations).
std::size_t Characters(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xc0) != 0x80;
    }));
}

}  // namespace

std::string LogText(std::string_view text) {
    std::string shown(text);
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) c = '?';
    }
    return shown;
}

PlainLog::PlainLog(const lab::Console& console) : console_(console) {}

std::string PlainLog::Start() {
    const Sim& sim = console_.Router();
    std::string out = std::string(kCaption) + ": " + lab::KeyHint(console_.FunctionKeys()) + "\n";
    bool blankBefore = false;
    bool written = false;
    for (int k = 0; k < InputLine; ++k) {
        const std::string& line = sim.Lines()[static_cast<std::size_t>(k)];
        if (line.empty()) {
            blankBefore = written;
            continue;
        }
        if (blankBefore) out += "\n";
        out += LogText(line) + "\n";
        blankBefore = false;
        written = true;
    }
    scrolled_ = sim.LinesScrolled();
    strip_ = sim.StripNotes();
    label_ = sim.Label();
    Retype(out, LogText(sim.InputText()));
    return out;
}

std::string PlainLog::Update(std::string_view keyNotice) {
    std::string out;
    const bool commandRan = console_.Router().LinesScrolled() != scrolled_;
    NewLines(out);
    const Sim& sim = console_.Router();
    // Notes added to the strip are written as they come (a note the next
    // command prints again as the strip's only one is not written twice).
    const std::vector<std::string>& notes = sim.StripNotes();
    std::size_t known = 0;
    if (notes.size() >= strip_.size() && std::equal(strip_.begin(), strip_.end(), notes.begin()))
        known = strip_.size();
    for (std::size_t k = known; k < notes.size(); ++k)
        OwnLine(out, std::string(kPlainStatus) + LogText(notes[k]));
    strip_ = notes;
    if (sim.Label() != label_) {
        label_ = sim.Label();
        OwnLine(out, LogText(label_));
    }
    // The coach's hint is cleared by each command: what it holds after one
    // is new even when it reads as before.
    Notes(out, keyNotice, commandRan);
    Page(out);
    if (shown_ == Shown::Console) Retype(out, LogText(sim.InputText()));
    return out;
}

std::string PlainLog::End() {
    std::string out;
    if (!typed_.empty()) out += "\n";
    typed_.clear();
    return out;
}

PlainLog::Shown PlainLog::ShownNow() const {
    if (console_.Router().PlanShown()) return Shown::Plan;
    switch (console_.OpenPage()) {
        case lab::PageName::Lesson:
            return Shown::Lesson;
        case lab::PageName::Progress:
            return Shown::Progress;
        case lab::PageName::None:
            break;
    }
    return Shown::Console;
}

// The router's lines that left the input line's place since the last call:
// the first is the line that was being typed, the others are the answer.
void PlainLog::NewLines(std::string& out) {
    const Sim& sim = console_.Router();
    const std::uint64_t total = sim.LinesScrolled();
    if (total == scrolled_) return;
    const auto& kept = sim.ScrollBack();
    const std::size_t available = kept.size() + static_cast<std::size_t>(InputLine);
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(total - scrolled_, available));
    scrolled_ = total;
    for (std::size_t k = available - count; k < available; ++k) {
        const std::string& line = k < kept.size() ? kept[k] : sim.Lines()[k - kept.size()];
        Retype(out, LogText(line));
        out += "\n";
        typed_.clear();
    }
}

// A line of its own, after the line being typed if there is one (which is
// written again after it).
void PlainLog::OwnLine(std::string& out, std::string_view text) {
    if (!typed_.empty()) out += "\n";
    typed_.clear();
    out += std::string(text) + "\n";
}

// Brings the log's current line to `now`: erased characters backspaced over,
// the new ones written.
void PlainLog::Retype(std::string& out, const std::string& now) {
    std::size_t same = 0;
    while (same < typed_.size() && same < now.size() && typed_[same] == now[same]) ++same;
    // Never back into the middle of a character.
    while (same > 0 && same < typed_.size() &&
           (static_cast<unsigned char>(typed_[same]) & 0xc0) == 0x80)
        --same;
    for (std::size_t k = Characters(std::string_view(typed_).substr(same)); k > 0; --k)
        out += "\b \b";
    out += now.substr(same);
    typed_ = now;
}

// A page that opened: written whole, then the keys that close it.
void PlainLog::Page(std::string& out) {
    const Shown now = ShownNow();
    if (now == shown_) return;
    shown_ = now;
    if (now == Shown::Console) return;
    const lab::Page page = now == Shown::Plan ? lab::NetworkPlanPage() : *console_.ShownPage();
    OwnLine(out, LogText(page.caption));
    for (const std::string& row : page.rows) out += TrimmedEnd(LogText(row)) + "\n";
    out += std::string(kPlainPageEnd) + LogText(page.hint) + "\n";
}

void PlainLog::Notes(std::string& out, std::string_view keyNotice, bool commandRan) {
    const std::string notice = keyNotice.empty() ? console_.Notice() : std::string(keyNotice);
    if (notice != notice_) {
        notice_ = notice;
        if (!notice.empty()) OwnLine(out, LogText(notice));
    }
    const std::string hint = console_.CoachNotice(std::numeric_limits<int>::max() / 2);
    if (hint != hint_ || commandRan) {
        hint_ = hint;
        if (!hint.empty()) OwnLine(out, std::string(kPlainHint) + LogText(hint));
    }
}

}  // namespace pellix::term
