#include "replay/Replay.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <exception>
#include <istream>
#include <ostream>
#include <streambuf>
#include <vector>

#include "console/KeyCodes.h"
#include "console/Sim.h"

namespace pellix {

namespace {

// A whole decimal number from lo to hi.
std::optional<int> Number(std::string_view text, int lo, int hi) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < lo ||
        value > hi)
        return std::nullopt;
    return value;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

void Quote(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 15];
                } else if (c >= 0x80) {  // the byte as U+0080..U+00FF
                    out += static_cast<char>(0xC0 | (c >> 6));
                    out += static_cast<char>(0x80 | (c & 0x3F));
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
}

template <typename Range>
void QuoteAll(std::string& out, const Range& texts) {
    out += '[';
    bool first = true;
    for (const auto& text : texts) {
        if (!first) out += ',';
        first = false;
        Quote(out, text);
    }
    out += ']';
}

}  // namespace

namespace {

struct SimpleEvent {
    std::string_view word;
    Event::Kind kind;
    int key;
};
constexpr SimpleEvent kSimpleEvents[] = {
    {"enter", Event::Key, key::Enter},  {"lf", Event::Key, key::LineFeed},
    {"bs", Event::Key, key::Backspace}, {"ctrl-z", Event::Key, key::CtrlZ},
    {"tab", Event::Key, key::Tab},      {"esc", Event::Key, key::Escape},
    {"up", Event::Up, 0},         {"down", Event::Down, 0},
    {"plan", Event::Plan, 0},     {"close-plan", Event::ClosePlan, 0},
    {"tick", Event::Tick, 0},     {"finish", Event::Finish, 0},
    {"screen", Event::Screen, 0},
};

// Parses a line into event; false when the line is malformed.
bool ParseInto(std::string_view line, Event& event) {
    event.kind = Event::Skip;
    event.number = 0;
    event.text = {};
    std::string_view body = TrimLeft(line);
    if (body.empty() || body.front() == '#') return true;
    // The event's word runs to the first blank. Words are short: a plain
    // scan is quicker here than a library search.
    std::size_t blank = 0;
    while (blank < body.size() && body[blank] != ' ') ++blank;
    std::string_view word = body.substr(0, blank);
    std::string_view rest = blank < body.size() ? body.substr(blank + 1) : std::string_view();
    if (word == "type") {
        event.kind = Event::Type;
        event.text = rest;
        return true;
    }
    std::string_view arg = TrimLeft(TrimRight(rest));
    word = TrimRight(word);  // not empty: it starts with no blank
    for (const SimpleEvent& simple : kSimpleEvents)
        if (simple.word.size() == word.size() && simple.word.front() == word.front() &&
            simple.word == word) {
            event.kind = simple.kind;
            event.number = simple.key;
            return arg.empty();
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
    if (!ParseInto(line, event)) return std::nullopt;
    return event;
}

bool Apply(Sim& sim, const Event& event, std::ostream& out) {
    switch (event.kind) {
        case Event::Skip:
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
        case Event::Type:
            for (unsigned char c : event.text) sim.KeyPressed(c);
            break;
        case Event::Plan:
            sim.ShowNetworkPlan();
            break;
        case Event::ClosePlan:
            sim.CloseNetworkPlan();
            break;
        case Event::Click:
            sim.LineClicked(event.number);
            break;
        case Event::Tick:
            sim.Tick();
            break;
        case Event::Finish:
            sim.Finish();
            return false;
        case Event::Screen:
            out << SnapshotJson(sim) << '\n';
            break;
    }
    return true;
}

std::string SnapshotJson(const Sim& sim) {
    Snapshot snap = sim.Snap();
    std::string out = "{\"lines\":";
    QuoteAll(out, snap.lines);
    out += ",\"pic\":";
    QuoteAll(out, snap.strip);
    out += ",\"label\":";
    Quote(out, snap.label);
    out += ",\"mode\":" + std::to_string(Number(snap.mode));
    out += ",\"prompt\":";
    Quote(out, snap.prompt);
    out += ",\"slots\":";
    QuoteAll(out, sim.Slots());
    out += ",\"tasks\":[";
    for (std::size_t i = 0; i < sim.Tasks().size(); ++i) {
        if (i) out += ',';
        out += sim.Tasks()[i] ? std::to_string(*sim.Tasks()[i]) : "null";
    }
    out += "],\"history\":";
    QuoteAll(out, sim.History());
    out += ",\"plan\":";
    out += snap.planShown ? "true" : "false";
    out += '}';
    return out;
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
    std::string out;
    Quote(out, text);
    return out;
}

std::string ScrollBackJson(const Sim& sim) {
    std::string out;
    QuoteAll(out, sim.ScrollBack());
    return out;
}

namespace {

// A script's lines, read from its stream in large blocks and handed out as
// views into the block: no dearer than a plain C line reader. A line that
// spans two blocks is put together in a string of its own.
class ScriptLines {
  public:
    explicit ScriptLines(std::istream& in) : in_(in) {}

    // The next line, without its LF; false at the end of the script or when
    // it cannot be read further (then Failed()).
    bool Next(std::string_view& line) {
        if (fromCarry_) {
            carry_.clear();
            fromCarry_ = false;
        }
        for (;;) {
            const char* start = block_.data() + begin_;
            std::size_t left = end_ - begin_;
            if (const auto* lf = static_cast<const char*>(std::memchr(start, '\n', left))) {
                auto length = static_cast<std::size_t>(lf - start);
                begin_ += length + 1;
                if (carry_.empty()) {
                    line = std::string_view(start, length);
                    return true;
                }
                carry_.append(start, length);
                return FromCarry(line);
            }
            carry_.append(start, left);
            if (!Fill()) return !carry_.empty() && FromCarry(line);  // a last line without LF
        }
    }
    bool Failed() const { return failed_; }

  private:
    static constexpr std::size_t kBlock = 1 << 16;

    bool FromCarry(std::string_view& line) {
        line = carry_;
        fromCarry_ = true;
        return true;
    }
    // Takes what the stream has read so far, asking it to read more when it
    // has nothing left: a read error then loses none of what came before.
    bool Fill() {
        begin_ = end_ = 0;
        if (ended_) return false;
        std::streamsize got = 0;
        try {
            std::streambuf* source = in_.rdbuf();
            if (source && source->sgetc() != std::char_traits<char>::eof()) {
                std::streamsize held = std::min<std::streamsize>(source->in_avail(), kBlock);
                got = source->sgetn(block_.data(), held);
            }
        } catch (const std::exception&) {  // the stream's buffer reports a read error so
            failed_ = true;
        }
        if (got <= 0) {
            ended_ = true;
            return false;
        }
        end_ = static_cast<std::size_t>(got);
        return true;
    }

    std::istream& in_;
    std::vector<char> block_ = std::vector<char>(kBlock);
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::string carry_;
    bool fromCarry_ = false;
    bool ended_ = false;
    bool failed_ = false;
};

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
    ScriptLines lines(script);
    std::string_view line;
    Event event;
    long number = 1;
    for (; lines.Next(line); ++number) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!ParseInto(line, event)) {
            out.flush();
            err << "pellix-replay: line " << number << ": unknown event \"" << EchoLine(line)
                << "\"";
            if (line.size() > kMaxEchoBytes) err << " (cut, " << line.size() << " bytes in all)";
            err << "\n";
            return 2;
        }
        bool goOn = Apply(sim, event, out);
        tellScoreProblem();
        if (!goOn) break;
    }
    out.flush();
    if (lines.Failed() || script.bad()) {
        err << "pellix-replay: cannot read the script after line " << number - 1 << "\n";
        return 2;
    }
    return 0;
}

}  // namespace pellix
