#include "replay/Replay.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <exception>
#include <istream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <streambuf>

#include "console/KeyCodes.h"
#include "console/Sim.h"

namespace pellix {

namespace {

// JSON whose members keep the order they were set in.
using Json = nlohmann::ordered_json;

// A whole decimal number from lo to hi.
std::optional<int> Number(std::string_view text, int lo, int hi) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < lo ||
        value > hi)
        return std::nullopt;
    return value;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The events whose word stands alone on its line.
struct NamedEvent {
    std::string_view word;
    Event::Kind kind;
    int key;
};
constexpr NamedEvent kNamedEvents[] = {
    {"enter", Event::Key, key::Enter},
    {"bs", Event::Key, key::Backspace},
    {"lf", Event::Key, key::LineFeed},
    {"ctrl-z", Event::Key, key::CtrlZ},
    {"tab", Event::Key, key::Tab},
    {"esc", Event::Key, key::Escape},
    {"up", Event::Up, 0},
    {"down", Event::Down, 0},
    {"plan", Event::Plan, 0},
    {"close-plan", Event::ClosePlan, 0},
    {"tick", Event::Tick, 0},
    {"finish", Event::Finish, 0},
    {"screen", Event::Screen, 0},
};

// The event of a word and its argument (both without blanks around them);
// false when they make none.
bool ParseWord(std::string_view word, std::string_view arg, Event& event) {
    for (const NamedEvent& named : kNamedEvents) {
        if (named.word == word) {
            event.kind = named.kind;
            event.number = named.key;
            return arg.empty();
        }
    }
    std::optional<int> number;
    if (word == "key" && (number = Number(arg, 0, 65535))) {
        event.kind = Event::Key;
    } else if (word == "click" && (number = Number(arg, 0, kConsoleLines - 1))) {
        event.kind = Event::Click;
    } else {
        return false;
    }
    event.number = *number;
    return true;
}

}  // namespace

std::optional<Event> ParseEvent(std::string_view line) {
    Event event;
    line = TrimLeft(line);
    if (line.empty() || line.front() == '#') return event;
    // The typed text is everything after the blank that follows "type".
    if (line == "type" || line.starts_with("type ")) {
        event.kind = Event::Type;
        event.text = line.substr(std::min(line.size(), std::size_t{5}));
        return event;
    }
    // Any other event's word runs to the first blank.
    std::size_t blank = line.find(' ');
    std::string_view word = line.substr(0, blank);
    std::string_view rest = blank == std::string_view::npos ? "" : line.substr(blank + 1);
    if (!ParseWord(TrimRight(word), TrimLeft(TrimRight(rest)), event)) return std::nullopt;
    return event;
}

bool Apply(Sim& sim, const Event& event, std::ostream& out) {
    switch (event.kind) {
        case Event::Type:
            for (unsigned char c : event.text) sim.KeyPressed(c);
            break;
        case Event::Key:
            sim.KeyPressed(static_cast<std::uint16_t>(event.number));
            break;
        case Event::Up:
            sim.RecallOlder();
            break;
        case Event::Down:
            sim.RecallNewer();
            break;
        case Event::Plan:
            sim.ShowNetworkPlan();
            break;
        case Event::ClosePlan:
            sim.CloseNetworkPlan();
            break;
        case Event::Finish:
            sim.Finish();
            return false;
        case Event::Screen:
            out << SnapshotJson(sim) << '\n';
            break;
        case Event::Skip:
        case Event::Click:  // a click on a console line and the timer's tick
        case Event::Tick:   // change nothing in the router
            break;
    }
    return true;
}

namespace {

// A text of the router's in UTF-8: each byte the character with that code.
std::string Utf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

template <typename Texts>
Json TextArray(const Texts& texts) {
    Json array = Json::array();
    for (const std::string& text : texts) array.push_back(Utf8(text));
    return array;
}

}  // namespace

std::string SnapshotJson(const Sim& sim) {
    const Snapshot snap = sim.Snap();
    Json tasks = Json::array();
    for (const TaskEntry& task : sim.Tasks()) tasks.push_back(task ? Json(*task) : Json());
    // The members in the order the driver's readers expect them.
    Json snapshot = Json::object();
    snapshot["lines"] = TextArray(snap.lines);
    snapshot["pic"] = TextArray(snap.strip);
    snapshot["label"] = Utf8(snap.label);
    snapshot["mode"] = Number(snap.mode);
    snapshot["prompt"] = Utf8(snap.prompt);
    snapshot["slots"] = TextArray(sim.Slots());
    snapshot["tasks"] = std::move(tasks);
    snapshot["history"] = TextArray(sim.History());
    snapshot["plan"] = snap.planShown;
    snapshot["hint"] = Utf8(snap.hint);
    return snapshot.dump();
}

std::string EchoLine(std::string_view line) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : line.substr(0, kMaxEchoBytes)) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    if (line.size() > kMaxEchoBytes) out += "...";
    return out;
}

std::string JsonText(std::string_view text) {
    return Json(Utf8(text)).dump();
}

std::string ScrollBackJson(const Sim& sim) {
    return TextArray(sim.ScrollBack()).dump();
}

namespace {

// The next line of a script, without its LF, read byte by byte from the
// stream's buffer; false at its end. A last line without LF is a line, also
// when a read error cuts it short: the error sets the stream's bad bit.
bool ReadLine(std::istream& script, std::string& line) {
    line.clear();
    std::streambuf& bytes = *script.rdbuf();
    try {
        for (int c; (c = bytes.sbumpc()) != std::char_traits<char>::eof();) {
            if (c == '\n') return true;
            line += static_cast<char>(c);
        }
    } catch (const std::exception&) {  // how a stream's buffer reports a read error
        script.setstate(std::ios::badbit);
    }
    return !line.empty();
}

int Malformed(long number, std::string_view line, std::ostream& out, std::ostream& err) {
    out.flush();
    err << "pellix-replay: line " << number << ": unknown event \"" << EchoLine(line) << "\"";
    if (line.size() > kMaxEchoBytes) err << " (cut, " << line.size() << " bytes in all)";
    err << "\n";
    return 2;
}

}  // namespace

int RunScript(Sim& sim, std::istream& script, std::ostream& out, std::ostream& err) {
    unsigned toldProblem = 0;
    // A score file the router cannot read or write is said once on standard
    // error, as the interactive programs tell the learner.
    auto tellScoreProblem = [&] {
        const ScoreFileProblem& problem = sim.ScoreProblem();
        if (problem.serial == toldProblem) return;
        toldProblem = problem.serial;
        if (problem.action != ScoreFileProblem::Action::None)
            err << "pellix-replay: " << problem.Text() << "\n";
    };
    tellScoreProblem();
    std::string text;
    long number = 0;
    while (ReadLine(script, text)) {
        ++number;
        std::string_view line = text;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::optional<Event> event = ParseEvent(line);
        if (!event) return Malformed(number, line, out, err);
        bool goOn = Apply(sim, *event, out);
        tellScoreProblem();
        if (!goOn) break;
    }
    out.flush();
    if (script.bad()) {
        err << "pellix-replay: cannot read the script after line " << number << "\n";
        return 2;
    }
    return 0;
}

}  // namespace pellix
