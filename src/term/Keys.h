// From the bytes a terminal sends to the keys the learner pressed: printable
// and control characters, function keys, arrows, page keys, the mouse wheel
// and bracketed paste (handed on as one pasted text). Terminals differ in what they send for the
// same key, so the decoder knows the sequences of the terminal's own description and the common
// ones besides.
#pragma once

#include <cstdint>
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

class KeyDecoder {
  public:
    explicit KeyDecoder(std::vector<DescribedKey> described = {});

    // The keys that the bytes complete; the start of a sequence is held back
    // until its rest arrives or Flush is called.
    std::vector<Key> Feed(std::string_view bytes);
    // Whether bytes are held back waiting for the rest of a sequence.
    bool Waiting() const { return !held_.empty() || inPaste_; }
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
    void EndPaste(std::vector<Key>& keys);

    std::vector<DescribedKey> described_;
    std::string held_;
    bool inPaste_ = false;
    std::string pasted_;  // the paste so far, handed on whole at its end
};

}  // namespace pellix::term
