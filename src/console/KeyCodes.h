// The character codes the router's key handler knows, shared by the front
// ends that translate their keyboard into them and by the tests.
#pragma once

#include <cstdint>

namespace pellix::key {

inline constexpr std::uint16_t CtrlC = 3;
inline constexpr std::uint16_t CtrlD = 4;
inline constexpr std::uint16_t Backspace = 8;
inline constexpr std::uint16_t Tab = 9;
inline constexpr std::uint16_t LineFeed = 10;
inline constexpr std::uint16_t Enter = 13;
inline constexpr std::uint16_t CtrlZ = 26;
inline constexpr std::uint16_t Escape = 27;
inline constexpr std::uint16_t Help = '?';
inline constexpr std::uint16_t Delete = 127;

// The codes that type themselves into the input line.
constexpr bool Types(std::uint16_t code) {
    return code >= ' ' && code <= '~';
}

}  // namespace pellix::key
