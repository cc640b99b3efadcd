#include "serve/KeyDecoder.h"

#define NCURSES_NOMACROS
#include <curses.h>

namespace pellix::serve {

namespace {

constexpr char kEsc = 27;
constexpr int kCarriageReturn = 13;
constexpr int kLineFeed = 10;

// The escape sequences of the common terminals (xterm and its kin, the Linux
// console, PuTTY, VT100 keypads), without the leading Esc.
struct Sequence {
    std::string_view bytes;
    int key;
};

const Sequence kSequences[] = {
    {"[A", KEY_UP},      {"OA", KEY_UP},     {"[B", KEY_DOWN},    {"OB", KEY_DOWN},
    {"[C", KEY_RIGHT},   {"OC", KEY_RIGHT},  {"[D", KEY_LEFT},    {"OD", KEY_LEFT},
    {"[H", KEY_HOME},    {"OH", KEY_HOME},   {"[1~", KEY_HOME},   {"[7~", KEY_HOME},
    {"[F", KEY_END},     {"OF", KEY_END},    {"[4~", KEY_END},    {"[8~", KEY_END},
    {"[2~", KEY_IC},     {"[3~", KEY_DC},    {"[5~", KEY_PPAGE},  {"[6~", KEY_NPAGE},
    {"OP", KEY_F(1)},    {"[11~", KEY_F(1)}, {"[[A", KEY_F(1)},   {"OQ", KEY_F(2)},
    {"[12~", KEY_F(2)},  {"[[B", KEY_F(2)},  {"OR", KEY_F(3)},    {"[13~", KEY_F(3)},
    {"[[C", KEY_F(3)},   {"OS", KEY_F(4)},   {"[14~", KEY_F(4)},  {"[[D", KEY_F(4)},
    {"[15~", KEY_F(5)},  {"[[E", KEY_F(5)},  {"[17~", KEY_F(6)},  {"[18~", KEY_F(7)},
    {"[19~", KEY_F(8)},  {"[20~", KEY_F(9)}, {"[21~", KEY_F(10)}, {"[23~", KEY_F(11)},
    {"[24~", KEY_F(12)}, {"OM", KEY_ENTER},
};

bool IsFinal(char c) {
    return c >= 0x40 && c <= 0x7e;
}

// How many bytes after the Esc at the start of `rest` form one sequence:
// 0 when more bytes are needed, -1 when the Esc stands alone.
int SequenceLength(std::string_view rest) {
    if (rest.size() < 2) return 0;
    const char intro = rest[1];
    if (intro == 'O') return rest.size() < 3 ? 0 : 2;
    if (intro != '[') return -1;
    // The Linux console's function keys: Esc [ [ letter.
    if (rest.size() >= 3 && rest[2] == '[') return rest.size() < 4 ? 0 : 3;
    // A control sequence: parameters and intermediates up to a final byte.
    for (std::size_t i = 2; i < rest.size(); ++i) {
        if (IsFinal(rest[i])) return static_cast<int>(i);
        // Neither a parameter nor an intermediate: the sequence is broken
        // off before this byte, which counts as typed again.
        const auto c = static_cast<unsigned char>(rest[i]);
        if (c < 0x20 || c > 0x3f) return static_cast<int>(i) - 1;
    }
    return 0;
}

int KeyOf(std::string_view sequence) {
    for (const Sequence& s : kSequences)
        if (s.bytes == sequence) return s.key;
    return -1;  // a key the router has no use for (modified arrows, mouse, ...)
}

}  // namespace

std::vector<int> KeyDecoder::Feed(std::string_view bytes) {
    pending_.append(bytes);
    std::vector<int> keys;
    Decode(keys, false);
    return keys;
}

std::vector<int> KeyDecoder::Flush() {
    std::vector<int> keys;
    Decode(keys, true);
    return keys;
}

void KeyDecoder::Decode(std::vector<int>& keys, bool flushing) {
    std::size_t i = 0;
    while (i < pending_.size()) {
        const auto byte = static_cast<unsigned char>(pending_[i]);
        if (byte == kEsc) {
            const std::string_view rest = std::string_view(pending_).substr(i);
            int length = SequenceLength(rest.substr(0, kMaxSequence + 1));
            if (length == 0 && rest.size() > kMaxSequence) length = kMaxSequence;  // too long
            if (length == 0 && !flushing) break;  // wait for the rest of it
            afterCarriageReturn_ = false;
            if (length <= 0) {
                keys.push_back(kEsc);
                ++i;
                continue;
            }
            const int key = KeyOf(rest.substr(1, static_cast<std::size_t>(length)));
            if (key >= 0) keys.push_back(key);
            i += static_cast<std::size_t>(length) + 1;
            continue;
        }
        ++i;
        // Enter comes as CR LF or CR NUL in the telnet protocol, or as a
        // bare CR from some clients: each is one Enter key.
        if (afterCarriageReturn_ && (byte == kLineFeed || byte == 0)) {
            afterCarriageReturn_ = false;
            continue;
        }
        afterCarriageReturn_ = byte == kCarriageReturn;
        if (byte == 0) continue;
        keys.push_back(byte);
    }
    pending_.erase(0, i);
}

}  // namespace pellix::serve
