// From the bytes a terminal sends to the keys the learner pressed: printable
// and control characters, function keys, arrows, page keys, the mouse wheel
// and bracketed paste (handed on as one pasted text). Terminals differ in what they send for the
// same key, so the decoder knows the sequences of the terminal's own description and the common
// ones besides. Where a terminal has no function keys, Alt+1 .. Alt+0 stand in for F1 .. F10,
// in whichever form the terminal sends Alt+digit: Escape then the digit, the digit's byte with
// the high bit set (0xB1 for Alt+1), or that byte's character in UTF-8 ("\u00B1").
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/KeyCodes.h"
#include "lab/Key.h"

namespace pellix::term {

using lab::Key;
using lab::KeyName;
using lab::kFunctionKeys;

// A sequence the terminal's description gives for a key.
using DescribedKey = std::pair<std::string, Key>;

using Clock = std::chrono::steady_clock;

// How long the start of an escape sequence waits for its rest before it
// stands for itself.
inline constexpr Clock::duration kSequenceWait = std::chrono::milliseconds(300);
// How long a lone Escape waits for a digit (Escape, then 3, is F3) before it
// is the Escape key; the notice line says so meanwhile.
inline constexpr Clock::duration kEscapeDigitWait = std::chrono::seconds(1);
inline constexpr std::string_view kEscapeDigitNotice =
    "Escape: press a digit now for F1..F10 (0 = F10)";

class KeyDecoder {
  public:
    explicit KeyDecoder(std::vector<DescribedKey> described = {},
                        Clock::duration sequenceWait = kSequenceWait);

    // The keys that the bytes, arriving at `now`, complete; the start of a
    // sequence is held back until its rest arrives or its time is up.
    std::vector<Key> Feed(std::string_view bytes, Clock::time_point now = {});
    // Whether bytes are held back waiting for the rest of a sequence.
    bool Waiting() const { return !held_.empty() || inPaste_; }
    // When what is held stands for itself if nothing more comes (nothing
    // when nothing is held): a lone Escape waits kEscapeDigitWait for its
    // digit, any other start of a sequence the shorter sequence wait.
    std::optional<Clock::time_point> Deadline() const;
    // The keys whose time is up at `now` (see Deadline).
    std::vector<Key> OnTime(Clock::time_point now);
    // Whether a lone Escape waits for a digit, and the notice saying so ("").
    bool EscapeWaiting() const { return !inPaste_ && held_ == "\x1b"; }
    std::string_view Notice() const { return EscapeWaiting() ? kEscapeDigitNotice : ""; }
    // Nothing more came in time: what is held stands for itself (a lone
    // Escape is the Escape key; a paste whose end never came is pasted).
    std::vector<Key> Flush();

  private:
    // What the held bytes, starting with ESC, are: a complete key (the first
    // `used` bytes), the start of a paste, the beginning of a sequence still
    // arriving, or no sequence at all (ESC is the Escape key).
    enum class Match { Complete, PasteBegins, Partial, None };
    Match MatchHeld(Key& key, std::size_t& used) const;
    static Match MatchControlSequence(std::string_view held, Key& key, std::size_t& used);
    void Decode(std::vector<Key>& keys);
    void DecodePaste(std::vector<Key>& keys);
    bool DecodeHighByte(std::vector<Key>& keys);
    void EndPaste(std::vector<Key>& keys);

    std::vector<DescribedKey> described_;
    Clock::duration sequenceWait_;
    Clock::time_point lastInput_{};
    std::string held_;
    bool inPaste_ = false;
    std::string pasted_;  // the paste so far, handed on whole at its end
};

}  // namespace pellix::term
