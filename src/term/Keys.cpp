#include "term/Keys.h"

#include <charconv>

namespace pellix::term {

namespace {

constexpr char kEsc = '\x1b';
constexpr std::string_view kPasteEnd = "\x1b[201~";
constexpr int kPasteBeginNumber = 200;
constexpr int kWheelUpButton = 64;
constexpr int kWheelDownButton = 65;
constexpr int kMouseModifierBits = 4 | 8 | 16;  // Shift, Alt, Ctrl on a button

using lab::FunctionKey;

// A paste that goes on and on is handed on in parts of this size (never
// between a carriage return and the line feed after it).
constexpr std::size_t kPastePart = 64 * 1024;

// The number a parameter string starts with ("21" of "21;2"), or -1.
int LeadingNumber(std::string_view params) {
    int number = -1;
    std::from_chars(params.data(), params.data() + params.size(), number);
    return number;
}

// "ESC [ n ~" keys: F1 .. F10 are 11 to 15 and 17 to 21 (16 is unused), the
// page keys 5 and 6.
Key TildeKey(int number) {
    if (number >= 11 && number <= 15) return FunctionKey(number - 10);
    if (number >= 17 && number <= 21) return FunctionKey(number - 11);
    if (number == 5) return {KeyName::PageUp};
    if (number == 6) return {KeyName::PageDown};
    return {};
}

Key WheelKey(int button) {
    button &= ~kMouseModifierBits;
    if (button == kWheelUpButton) return {KeyName::WheelUp};
    if (button == kWheelDownButton) return {KeyName::WheelDown};
    return {};  // clicks, releases and motion
}

// Keys sent as ESC O x (and ESC [ x for arrows and F1 .. F4 with modifiers).
Key LetterKey(char letter) {
    switch (letter) {
        case 'A':
            return {KeyName::Up};
        case 'B':
            return {KeyName::Down};
        case 'C':
            return {KeyName::Right};
        case 'D':
            return {KeyName::Left};
        case 'P':
        case 'Q':
        case 'R':
        case 'S':
            return FunctionKey(letter - 'P' + 1);
        default:
            return {};
    }
}

// Alt+digit with the high bit set, as a terminal that sends Alt as the
// eighth bit does (xterm's default outside UTF-8): 0xB0 .. 0xB9; in UTF-8 the
// same characters, U+00B0 .. U+00B9 ("\u00B0" .. "\u00B9"), come as 0xC2 and that byte.
// Taking these as keys costs a learner nothing: the router's commands are
// ASCII, so typed as text such a character could only earn the unknown-command
// answer.
constexpr unsigned char kMetaDigitFirst = 0xb0;
constexpr unsigned char kMetaDigitLast = 0xb9;
constexpr unsigned char kUtf8MetaLead = 0xc2;

Key MetaDigitKey(unsigned char byte) {
    const int digit = byte - kMetaDigitFirst;
    return FunctionKey(digit == 0 ? kFunctionKeys : digit);
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xc0) == 0x80;
}

// How many bytes a UTF-8 character starting with `lead` has (1 for a byte
// that starts none).
std::size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xc2 && lead <= 0xdf) return 2;
    if (lead >= 0xe0 && lead <= 0xef) return 3;
    if (lead >= 0xf0 && lead <= 0xf4) return 4;
    return 1;
}

}  // namespace

KeyDecoder::KeyDecoder(std::vector<DescribedKey> described, Clock::duration sequenceWait)
    : sequenceWait_(sequenceWait) {
    // Only escape sequences need decoding; a description's single bytes
    // (Backspace as ^H, say) arrive as characters anyway.
    for (auto& entry : described)
        if (entry.first.size() > 1 && entry.first.front() == kEsc)
            described_.push_back(std::move(entry));
}

std::vector<Key> KeyDecoder::Feed(std::string_view bytes, Clock::time_point now) {
    if (!bytes.empty()) lastInput_ = now;
    held_.append(bytes);
    std::vector<Key> keys;
    Decode(keys);
    return keys;
}

std::optional<Clock::time_point> KeyDecoder::Deadline() const {
    if (!Waiting()) return std::nullopt;
    return lastInput_ + (EscapeWaiting() ? kEscapeDigitWait : sequenceWait_);
}

std::vector<Key> KeyDecoder::OnTime(Clock::time_point now) {
    const std::optional<Clock::time_point> deadline = Deadline();
    if (!deadline || now < *deadline) return {};
    return Flush();
}

std::vector<Key> KeyDecoder::Flush() {
    std::vector<Key> keys;
    while (!held_.empty() && !inPaste_) {
        // An Escape, or the start of a UTF-8 character whose rest never came.
        keys.push_back(lab::Typed(static_cast<unsigned char>(held_.front())));
        held_.erase(0, 1);
        Decode(keys);
    }
    if (inPaste_) {
        // The end marker never came: what arrived is the paste.
        pasted_ += held_;
        held_.clear();
        EndPaste(keys);
    }
    return keys;
}

void KeyDecoder::EndPaste(std::vector<Key>& keys) {
    inPaste_ = false;
    if (!pasted_.empty()) keys.push_back(lab::Pasted(std::move(pasted_)));
    pasted_.clear();
}

void KeyDecoder::DecodePaste(std::vector<Key>& keys) {
    std::size_t at = 0;
    for (; at < held_.size(); ++at) {
        if (held_[at] != kEsc) continue;
        const std::string_view rest = std::string_view(held_).substr(at);
        if (rest.starts_with(kPasteEnd)) {
            pasted_.append(held_, 0, at);
            held_.erase(0, at + kPasteEnd.size());
            EndPaste(keys);
            return;
        }
        if (kPasteEnd.starts_with(rest)) break;  // the end marker may be arriving
    }
    pasted_.append(held_, 0, at);
    held_.erase(0, at);
    if (pasted_.size() >= kPastePart && pasted_.back() != '\r') {
        keys.push_back(lab::Pasted(std::move(pasted_)));
        pasted_.clear();
    }
}

KeyDecoder::Match KeyDecoder::MatchHeld(Key& key, std::size_t& used) const {
    const std::string_view held = held_;
    bool describedPartial = false;
    for (const auto& [sequence, described] : described_) {
        if (held.starts_with(sequence)) {
            key = described;
            used = sequence.size();
            return Match::Complete;
        }
        if (std::string_view(sequence).starts_with(held)) describedPartial = true;
    }
    if (describedPartial || held.size() < 2) return Match::Partial;
    key = {};
    const char second = held[1];
    if (second >= '0' && second <= '9') {
        // Alt+1 .. Alt+0 (or Escape, then the digit) for F1 .. F10.
        key = FunctionKey(second == '0' ? kFunctionKeys : second - '0');
        used = 2;
        return Match::Complete;
    }
    if (second == 'O') {
        if (held.size() < 3) return Match::Partial;
        key = held[2] == 'M' ? lab::Typed(key::Enter) : LetterKey(held[2]);
        used = 3;
        return Match::Complete;
    }
    if (second != '[') return Match::None;
    if (held.size() < 3) return Match::Partial;
    if (held[2] == '[') {
        // The Linux console's F1 .. F5: ESC [ [ A .. ESC [ [ E.
        if (held.size() < 4) return Match::Partial;
        if (held[3] >= 'A' && held[3] <= 'E') key = FunctionKey(held[3] - 'A' + 1);
        used = 4;
        return Match::Complete;
    }
    if (held[2] == 'M') {
        // A mouse report in the old form: button, column and row as bytes.
        if (held.size() < 6) return Match::Partial;
        key = WheelKey(static_cast<unsigned char>(held[3]) - 32);
        used = 6;
        return Match::Complete;
    }
    return MatchControlSequence(held, key, used);
}

// ESC [ parameters, intermediates and a final byte: a key, the start of a
// paste, or the beginning of a sequence still arriving.
KeyDecoder::Match KeyDecoder::MatchControlSequence(std::string_view held, Key& key,
                                                   std::size_t& used) {
    std::size_t end = 2;
    while (end < held.size() && held[end] >= 0x30 && held[end] <= 0x3f) ++end;
    while (end < held.size() && held[end] >= 0x20 && held[end] <= 0x2f) ++end;
    if (end == held.size()) return Match::Partial;
    const char final = held[end];
    const std::string_view params = held.substr(2, end - 2);
    if (final < 0x40 || final > 0x7e) {
        // Broken off by a byte that cannot end it: drop what came so far.
        used = end;
        return Match::Complete;
    }
    used = end + 1;
    if (final == '~') {
        const int number = LeadingNumber(params);
        if (number == kPasteBeginNumber) return Match::PasteBegins;
        key = TildeKey(number);
    } else if ((final == 'M') && params.starts_with('<')) {
        key = WheelKey(LeadingNumber(params.substr(1)));
    } else {
        key = LetterKey(final);
    }
    return Match::Complete;
}

// A byte with the high bit set: Alt+digit in its 8-bit or its UTF-8 form,
// or a character typed, each of its bytes handed on as before. Returns false
// while a UTF-8 character's rest is awaited.
bool KeyDecoder::DecodeHighByte(std::vector<Key>& keys) {
    const auto lead = static_cast<unsigned char>(held_.front());
    std::size_t length = Utf8Length(lead);
    for (std::size_t k = 1; k < length; ++k) {
        if (k == held_.size()) return false;
        if (!IsContinuation(static_cast<unsigned char>(held_[k]))) length = 1;
    }
    const auto second = length == 2 ? static_cast<unsigned char>(held_[1]) : 0;
    if (lead == kUtf8MetaLead && second >= kMetaDigitFirst && second <= kMetaDigitLast) {
        keys.push_back(MetaDigitKey(second));
    } else if (length == 1 && lead >= kMetaDigitFirst && lead <= kMetaDigitLast) {
        keys.push_back(MetaDigitKey(lead));  // not inside a UTF-8 character: the 8-bit form
    } else {
        for (std::size_t k = 0; k < length; ++k)
            keys.push_back(lab::Typed(static_cast<unsigned char>(held_[k])));
    }
    held_.erase(0, length);
    return true;
}

void KeyDecoder::Decode(std::vector<Key>& keys) {
    while (!held_.empty()) {
        if (inPaste_) {
            DecodePaste(keys);
            if (inPaste_) return;  // all pasted so far is out; the rest is awaited
            continue;
        }
        if (static_cast<unsigned char>(held_.front()) >= 0x80) {
            if (!DecodeHighByte(keys)) return;
            continue;
        }
        if (held_.front() != kEsc) {
            keys.push_back(lab::Typed(static_cast<unsigned char>(held_.front())));
            held_.erase(0, 1);
            continue;
        }
        Key key;
        std::size_t used = 0;
        switch (MatchHeld(key, used)) {
            case Match::Partial:
                return;
            case Match::None:
                keys.push_back(lab::Typed(key::Escape));
                held_.erase(0, 1);
                break;
            case Match::Complete:
                held_.erase(0, used);
                keys.push_back(key);
                break;
            case Match::PasteBegins:
                held_.erase(0, used);
                inPaste_ = true;
                pasted_.clear();
                break;
        }
    }
}

}  // namespace pellix::term
