#include "replay/Replay.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <exception>
#include <istream>
#include <iterator>
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
// The events that take no argument, by the length of their word: a script's
// events are looked up a million times a second, so a word is compared only
// with the few words of its own length.
constexpr std::size_t kLongestSimpleWord = 10;
constexpr SimpleEvent kSimpleEvents[][3] = {
    {},
    {},
    {{"lf", Event::Key, key::LineFeed}, {"bs", Event::Key, key::Backspace}, {"up", Event::Up, 0}},
    {{"tab", Event::Key, key::Tab}, {"esc", Event::Key, key::Escape}},
    {{"down", Event::Down, 0}, {"plan", Event::Plan, 0}, {"tick", Event::Tick, 0}},
    {{"enter", Event::Key, key::Enter}},
    {{"ctrl-z", Event::Key, key::CtrlZ},
     {"finish", Event::Finish, 0},
     {"screen", Event::Screen, 0}},
    {},
    {},
    {},
    {{"close-plan", Event::ClosePlan, 0}},
};
static_assert(std::size(kSimpleEvents) == kLongestSimpleWord + 1);

// Up to the first eight bytes of a word as one number, the first byte
// lowest: with the length, a word is told from the others of its length in
// one comparison.
constexpr std::uint64_t Packed(std::string_view word) {
    std::uint64_t packed = 0;
    for (std::size_t k = 0; k < word.size() && k < 8; ++k)
        packed |= std::uint64_t{static_cast<unsigned char>(word[k])} << (8 * k);
    return packed;
}

struct PackedTable {
    std::uint64_t words[kLongestSimpleWord + 1][3] = {};
};
constexpr PackedTable kPackedWords = [] {
    PackedTable table;
    for (std::size_t length = 0; length <= kLongestSimpleWord; ++length)
        for (std::size_t k = 0; k < 3; ++k)
            table.words[length][k] = Packed(kSimpleEvents[length][k].word);
    return table;
}();

// The event of a word that takes no argument, or null.
[[gnu::always_inline]] inline const SimpleEvent* FindSimple(std::string_view word,
                                                            std::uint64_t packed) {
    if (word.size() > kLongestSimpleWord) return nullptr;
    for (std::size_t k = 0; k < 3; ++k)
        if (kPackedWords.words[word.size()][k] == packed &&
            (word.size() <= 8 || kSimpleEvents[word.size()][k].word == word))
            return &kSimpleEvents[word.size()][k];
    return nullptr;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// How many bytes past its end a line from a script's reader may be read: the
// reader keeps that many after every line, so a word is taken in one load.
constexpr std::size_t kReadableAfterLine = 8;

// The events whose word takes a number.
[[gnu::noinline]] bool ParseNumbered(std::string_view word, std::string_view arg, Event& event) {
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

// The word that starts at at and runs to the first blank or end, with the
// first eight of its bytes packed. With readableAfter, the eight bytes from
// at may be read whatever the length of the line.
struct Word {
    std::size_t length;
    std::uint64_t packed;
};
[[gnu::noinline]] Word WordByScan(const char* at, const char* end) {
    std::size_t length = 0;
    while (at + length != end && at[length] != ' ') ++length;
    return {length, Packed(std::string_view(at, length))};
}
[[gnu::always_inline]] inline Word WordAt(const char* at, const char* end, bool readableAfter) {
    auto left = static_cast<std::size_t>(end - at);
    // The load puts the first byte lowest on little-endian machines only.
    if (std::endian::native == std::endian::little && readableAfter) {
        std::uint64_t chunk;
        std::memcpy(&chunk, at, sizeof chunk);
        // The lowest byte that is a blank, found with the usual trick for a
        // zero byte (exact for the lowest one) after turning blanks into zeros.
        constexpr std::uint64_t kOnes = 0x0101010101010101, kBlanks = kOnes * ' ';
        std::uint64_t zeros = chunk ^ kBlanks;
        zeros = (zeros - kOnes) & ~zeros & (kOnes << 7);
        std::size_t length = zeros ? static_cast<std::size_t>(__builtin_ctzll(zeros)) / 8 : 8;
        if (length < 8 || left <= 8) {
            length = std::min(length, left);
            return {length, length < 8 ? chunk & ((std::uint64_t{1} << (8 * length)) - 1) : chunk};
        }
    }
    return WordByScan(at, end);
}

// Parses a line into event; false when the line is malformed.
[[gnu::always_inline]] inline bool ParseInto(std::string_view line, Event& event,
                                             bool readableAfter) {
    event.kind = Event::Skip;
    event.number = 0;
    event.text = {};
    const char* at = line.data();
    const char* end = at + line.size();
    while (at != end && IsBlank(*at)) ++at;
    if (at == end || *at == '#') return true;
    // The event's word runs to the first blank.
    auto [length, packed] = WordAt(at, end, readableAfter);
    std::string_view word(at, length);
    const char* blank = at + length;
    std::string_view rest =
        blank != end ? std::string_view(blank + 1, static_cast<std::size_t>(end - blank - 1))
                     : std::string_view();
    static constexpr std::uint64_t kType = Packed("type");
    if (length == 4 && packed == kType) {
        event.kind = Event::Type;
        event.text = rest;
        return true;
    }
    std::string_view arg = TrimLeft(TrimRight(rest));
    if (IsBlank(word.back())) {  // not empty: it starts with no blank
        word = TrimRight(word);
        packed = Packed(word);
    }
    if (const SimpleEvent* simple = FindSimple(word, packed)) {
        event.kind = simple->kind;
        event.number = simple->key;
        return arg.empty();
    }
    return ParseNumbered(word, arg, event);
}

}  // namespace

std::optional<Event> ParseEvent(std::string_view line) {
    Event event;
    if (!ParseInto(line, event, false)) return std::nullopt;
    return event;
}

namespace {

// The commonest events, the learner's keys, sent to the router; false for
// any other event. Inlined where a script's events are run one by one.
[[gnu::always_inline]] inline bool PressKeys(Sim& sim, const Event& event) {
    if (event.kind == Event::Type) {
        for (unsigned char c : event.text) sim.KeyPressed(c);
        return true;
    }
    if (event.kind == Event::Key) {
        sim.KeyPressed(static_cast<std::uint16_t>(event.number));
        return true;
    }
    return false;
}

}  // namespace

bool Apply(Sim& sim, const Event& event, std::ostream& out) {
    if (PressKeys(sim, event)) return true;
    switch (event.kind) {
        case Event::Skip:
        case Event::Key:
        case Event::Type:
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
        case Event::Click:
        case Event::Tick:
            break;  // a click on a line and the focus timer change nothing in the router
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
    out += ",\"hint\":";
    Quote(out, snap.hint);
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
// spans two blocks is put together in a string of its own. Every line is
// followed by kReadableAfterLine bytes that may be read.
class ScriptLines {
  public:
    explicit ScriptLines(std::istream& in) : in_(in) {}

    // The next line, without its LF; false at the end of the script or when
    // it cannot be read further (then Failed()).
    [[gnu::always_inline]] bool Next(std::string_view& line) {
        if (!fromCarry_) {  // the usual case: a whole line in the block
            const char* start = block_.data() + begin_;
            if (const auto* lf =
                    static_cast<const char*>(std::memchr(start, '\n', end_ - begin_))) {
                auto length = static_cast<std::size_t>(lf - start);
                begin_ += length + 1;
                line = std::string_view(start, length);
                return true;
            }
        }
        return NextAcrossBlocks(line);
    }
    bool Failed() const { return failed_; }

  private:
    static constexpr std::size_t kBlock = 1 << 16;

    [[gnu::noinline]] bool NextAcrossBlocks(std::string_view& line) {
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

    bool FromCarry(std::string_view& line) {
        std::size_t length = carry_.size();
        carry_.append(kReadableAfterLine, '\0');
        line = std::string_view(carry_.data(), length);
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
    std::vector<char> block_ = std::vector<char>(kBlock + kReadableAfterLine);
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
        if (!ParseInto(line, event, true)) {
            out.flush();
            err << "pellix-replay: line " << number << ": unknown event \"" << EchoLine(line)
                << "\"";
            if (line.size() > kMaxEchoBytes) err << " (cut, " << line.size() << " bytes in all)";
            err << "\n";
            return 2;
        }
        bool goOn = PressKeys(sim, event) || Apply(sim, event, out);
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
