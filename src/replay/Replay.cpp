#include "replay/Replay.h"

#include <charconv>
#include <istream>
#include <ostream>

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

std::optional<Event> ParseEvent(std::string_view line) {
    std::string_view body = TrimLeft(line);
    if (body.empty() || body.front() == '#') return Event{};
    std::size_t blank = body.find(' ');
    std::string_view word = body.substr(0, blank);
    if (word == "type")
        return Event{Event::Type, 0,
                     std::string(blank == std::string_view::npos ? "" : body.substr(blank + 1))};
    std::string_view arg = blank == std::string_view::npos
                               ? std::string_view()
                               : TrimLeft(TrimRight(body.substr(blank + 1)));
    word = TrimRight(word);

    struct Simple {
        std::string_view word;
        Event::Kind kind;
        int key;
    };
    static constexpr Simple kSimple[] = {
        {"enter", Event::Key, 13},    {"lf", Event::Key, 10},
        {"bs", Event::Key, 8},        {"ctrl-z", Event::Key, 26},
        {"tab", Event::Key, 9},       {"esc", Event::Key, 27},
        {"up", Event::Up, 0},         {"down", Event::Down, 0},
        {"plan", Event::Plan, 0},     {"close-plan", Event::ClosePlan, 0},
        {"tick", Event::Tick, 0},     {"finish", Event::Finish, 0},
        {"screen", Event::Screen, 0},
    };
    for (const Simple& s : kSimple)
        if (word == s.word)
            return arg.empty() ? std::optional(Event{s.kind, s.key, {}}) : std::nullopt;
    if (word == "key") {
        if (auto code = Number(arg, 0, 65535)) return Event{Event::Key, *code, {}};
    } else if (word == "click") {
        if (auto index = Number(arg, 0, kConsoleLines - 1)) return Event{Event::Click, *index, {}};
    }
    return std::nullopt;
}

bool Apply(Sim& sim, const Event& event, std::ostream& out) {
    switch (event.kind) {
        case Event::Skip:
            break;
        case Event::Key:
            sim.Form_KeyPress(static_cast<std::uint16_t>(event.number));
            break;
        case Event::Up:
            sim.RecallOlder();
            break;
        case Event::Down:
            sim.RecallNewer();
            break;
        case Event::Type:
            for (unsigned char c : event.text) sim.Form_KeyPress(c);
            break;
        case Event::Plan:
            sim.ShowNetworkPlan();
            break;
        case Event::ClosePlan:
            sim.CloseNetworkPlan();
            break;
        case Event::Click:
            sim.Txt_Click(event.number);
            break;
        case Event::Tick:
            sim.Timer1_Timer();
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
    QuoteAll(out, snap.pic);
    out += ",\"label\":";
    Quote(out, snap.label);
    out += ",\"mode\":" + std::to_string(snap.mode);
    out += ",\"prompt\":";
    Quote(out, snap.prompt);
    out += ",\"slots\":";
    QuoteAll(out, sim.ConfigSlots);
    out += ",\"tasks\":[";
    for (std::size_t i = 0; i < sim.Tasks.size(); ++i) {
        if (i) out += ',';
        out += sim.Tasks[i] ? std::to_string(*sim.Tasks[i]) : "null";
    }
    out += "],\"history\":";
    QuoteAll(out, sim.CommandHistory);
    out += ",\"plan\":";
    out += snap.plan ? "true" : "false";
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
    std::string line;
    long number = 1;
    for (; std::getline(script, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::optional<Event> event = ParseEvent(line);
        if (!event) {
            out.flush();
            err << "pellix-replay: line " << number << ": unknown event \"" << EchoLine(line)
                << "\"";
            if (line.size() > kMaxEchoBytes) err << " (cut, " << line.size() << " bytes in all)";
            err << "\n";
            return 2;
        }
        bool goOn = Apply(sim, *event, out);
        tellScoreProblem();
        if (!goOn) break;
    }
    out.flush();
    if (script.bad()) {
        err << "pellix-replay: cannot read the script after line " << number - 1 << "\n";
        return 2;
    }
    return 0;
}

}  // namespace pellix
