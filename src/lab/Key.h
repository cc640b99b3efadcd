// A key the learner pressed, as every front end delivers it to the lab
// console: a character typed, a function key, a key that moves a view, or a
// pasted text. Each front end maps its own input (a terminal's bytes, a
// window's key events, a page's keyboard events) to these.
#pragma once

#include <cstdint>
#include <string>

#include "console/KeyCodes.h"

namespace pellix::lab {

enum class KeyName {
    Character,  // a character typed: `code` is its code (key::Enter, key::CtrlZ, 'a' ...)
    Function,   // F1 .. F10: `code` is 1 .. 10
    Up,
    Down,
    PageUp,
    PageDown,
    WheelUp,
    WheelDown,
    Home,     // the view to the oldest kept line
    End,      // the view back to the live console
    Left,     // the view sideways, towards the lines' beginnings
    Right,    // the view sideways, along lines too long for the console
    Paste,    // a pasted text: `text`, its line ends as the clipboard had them
    Ignored,  // a key the console has no use for
};

struct Key {
    KeyName name = KeyName::Ignored;
    std::uint16_t code = 0;
    std::string text;  // for KeyName::Paste
    bool operator==(const Key&) const = default;
};

inline constexpr int kFunctionKeys = 10;

inline Key Typed(std::uint16_t code) {
    return {KeyName::Character, code, {}};
}
inline Key FunctionKey(int number) {
    return {KeyName::Function, static_cast<std::uint16_t>(number), {}};
}
inline Key Pasted(std::string text) {
    return {KeyName::Paste, 0, std::move(text)};
}

}  // namespace pellix::lab
