// From the terminal's keys to the router's events.
#pragma once

#include <cstdint>

#include "console/Sim.h"

namespace pellix::term {

enum class KeyKind {
    Type,       // a character code for the console's key handler
    ShowPlan,   // F2: "Show Network Plan"
    Finish,     // F10: "Finish"
    Interrupt,  // Ctrl-C: end at once, as an interrupted program does
    Resize,     // the terminal changed its size
    Ignore,     // a key the router has no use for (arrows, other function keys)
};

struct KeyAction {
    KeyKind kind = KeyKind::Ignore;
    std::uint16_t code = 0;
    bool operator==(const KeyAction&) const = default;
};

// What a key read from the terminal (a byte or one of the curses key codes,
// the terminal in raw mode with the keypad on) stands for.
KeyAction MapKey(int key);

enum class Outcome { Continue, Finished, Interrupted };

// Delivers one key to the router. While the network plan is shown, any key
// but Ctrl-C closes it and is not typed. While the terminal is too small to
// show the console, only F10 and Ctrl-C act: what is typed there unseen is
// dropped.
Outcome HandleKey(Sim& sim, int key, bool screenFits);

}  // namespace pellix::term
