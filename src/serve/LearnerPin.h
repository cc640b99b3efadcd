// Learner PINs: a learner name belongs to whoever first chose a PIN for it.
// The PIN is kept only as a slow, salted hash (yescrypt, through the
// system's crypt library) in a file of the learner's folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellix::serve {

inline constexpr std::size_t kMinPinLength = 4;
inline constexpr std::size_t kMaxPinLength = 12;
// The file in the learner's folder that holds the PIN's hash.
inline constexpr std::string_view kPinFileName = "learner.pin";
inline constexpr std::string_view kPinRule = "A PIN is 4 to 12 digits.";

// True for 4 to 12 ASCII digits.
bool ValidPin(std::string_view pin);

// The PIN's hash with a new random salt, or nothing when the crypt library
// cannot make one. `cost` is yescrypt's (1 to 11), 0 the library's default;
// the hash says which, and checking it takes as long as making it.
std::optional<std::string> HashPin(std::string_view pin, unsigned long cost = 0);
// Whether the PIN is the one hashed (the hash compared in constant time).
bool PinMatches(std::string_view pin, std::string_view hash);

// What the learner's folder says about the PIN.
struct StoredPin {
    enum class State { None, Set, Unreadable } state = State::None;
    std::string hash;   // when Set
    std::string error;  // when Unreadable: why
};
StoredPin ReadPin(const std::filesystem::path& folder);
// Writes the hash as the folder's PIN file, whole or not at all; returns an
// error text or "".
std::string WritePin(const std::filesystem::path& folder, std::string_view hash);
// Removes the folder's PIN file: the next login chooses a new PIN. Returns
// an error text or "".
std::string RemovePin(const std::filesystem::path& folder);

}  // namespace pellix::serve
