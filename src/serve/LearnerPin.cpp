#include "serve/LearnerPin.h"

#include <crypt.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>

#include "state/Files.h"

namespace pellix::serve {

namespace {

// yescrypt at the crypt library's default cost; the salt's random bytes
// come from the system.
constexpr char kHashPrefix[] = "$y$";

// The crypt library's answer for the PIN and the setting (a salt or a whole
// hash), or "" when it fails.
std::string Crypt(std::string_view pin, const char* setting) {
    const std::string phrase(pin);
    auto data = std::make_unique<crypt_data>();
    const char* hashed = crypt_r(phrase.c_str(), setting, data.get());
    // A failure is NULL or a string beginning with '*'.
    if (!hashed || hashed[0] == '*') return {};
    return hashed;
}

}  // namespace

bool ValidPin(std::string_view pin) {
    return pin.size() >= kMinPinLength && pin.size() <= kMaxPinLength &&
           std::all_of(pin.begin(), pin.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::string> HashPin(std::string_view pin, unsigned long cost) {
    char salt[CRYPT_GENSALT_OUTPUT_SIZE];
    if (!crypt_gensalt_rn(kHashPrefix, cost, nullptr, 0, salt, sizeof salt)) return std::nullopt;
    std::string hash = Crypt(pin, salt);
    if (hash.empty()) return std::nullopt;
    return hash;
}

bool PinMatches(std::string_view pin, std::string_view hash) {
    if (!hash.starts_with(kHashPrefix)) return false;
    const std::string again = Crypt(pin, std::string(hash).c_str());
    unsigned char difference = again.size() == hash.size() ? 0 : 1;
    for (std::size_t i = 0; i < std::min(again.size(), hash.size()); ++i)
        difference |= static_cast<unsigned char>(again[i] ^ hash[i]);
    return difference == 0;
}

StoredPin ReadPin(const std::filesystem::path& folder) {
    const FileRead read = ReadWholeFile(folder / kPinFileName);
    StoredPin stored;
    if (read.error == FileError::NotFound) return stored;
    if (!read.data) {
        stored.state = StoredPin::State::Unreadable;
        stored.error = std::string(Describe(read.error));
        return stored;
    }
    const std::string hash = read.data->substr(0, read.data->find_first_of("\r\n"));
    if (!hash.starts_with(kHashPrefix)) {
        stored.state = StoredPin::State::Unreadable;
        stored.error = "it holds no PIN hash";
        return stored;
    }
    stored.state = StoredPin::State::Set;
    stored.hash = hash;
    return stored;
}

std::string WritePin(const std::filesystem::path& folder, std::string_view hash) {
    const FileWrite written =
        ReplaceFileAtomically(folder / kPinFileName, std::string(hash) + "\n");
    return written.error == FileError::None ? "" : std::string(Describe(written.error));
}

std::string RemovePin(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::remove(folder / kPinFileName, ec);
    return ec ? ec.message() : "";
}

}  // namespace pellix::serve
