// From the bytes a terminal sends to the keys the learner pressed: printable
// and control characters, function keys, arrows, page keys, the mouse wheel
// and bracketed paste. Terminals differ in what they send for the same key,
// so the decoder knows the sequences of the terminal's own description and
// the common ones besides.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/KeyCodes.h"

namespace pellix::term {

enum class KeyName {
    Character,  // a byte typed or pasted: `code` is the byte
    Function,   // F1 .. F10: `code` is 1 .. 10 (Alt+1 .. Alt+0 count as these)
    Up,
    Down,
    PageUp,
    PageDown,
    WheelUp,
    WheelDown,
    Ignored,  // a complete sequence for a key the console has no use for
};

struct Key {
    KeyName name = KeyName::Ignored;
    std::uint16_t code = 0;
    bool pasted = false;  // arrived inside a bracketed paste
    bool operator==(const Key&) const = default;
};

inline constexpr int kFunctionKeys = 10;

// A sequence the terminal's description gives for a key.
using DescribedKey = std::pair<std::string, Key>;

class KeyDecoder {
  public:
    explicit KeyDecoder(std::vector<DescribedKey> described = {});

    // The keys that the bytes complete; the start of a sequence is held back
    // until its rest arrives or Flush is called.
    std::vector<Key> Feed(std::string_view bytes);
    // Whether bytes are held back waiting for the rest of a sequence.
    bool Waiting() const { return !held_.empty(); }
    // Nothing more came in time: what is held stands for itself (a lone
    // Escape is the Escape key).
    std::vector<Key> Flush();

  private:
    // What the held bytes, starting with ESC, are: a complete key (the first
    // `used` bytes), the start of a paste, the beginning of a sequence still
    // arriving, or no sequence at all (ESC is the Escape key).
    enum class Match { Complete, PasteBegins, Partial, None };
    Match MatchHeld(Key& key, std::size_t& used) const;
    void Decode(std::vector<Key>& keys);
    void DecodePaste(std::vector<Key>& keys);
    void Pasted(std::vector<Key>& keys, unsigned char byte);

    std::vector<DescribedKey> described_;
    std::string held_;
    bool inPaste_ = false;
    bool afterPastedReturn_ = false;
};

}  // namespace pellix::term
