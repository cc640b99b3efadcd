#include "state/StartupConfig.h"

#include <utility>

namespace pellix {

FileWrite SaveConfigFile(const std::filesystem::path& file, const ConfigSlotTable& slots) {
    return ReplaceFileAtomically(file, WriteConfigText(slots));
}

ConfigRead LoadConfigFile(const std::filesystem::path& file) {
    FileRead read = ReadWholeFile(file);
    if (!read.data) return {std::nullopt, read.error};
    std::optional<SavedSlots> saved = ReadConfigText(*read.data);
    if (!saved) return {std::nullopt, FileError::TooShort};
    return {std::move(saved), FileError::None};
}

bool TftpFileNameAccepted(std::string_view name) {
    for (unsigned char c : name) {
        bool refused = c < '-' || c > 'z' || (c >= ':' && c <= '@') || (c >= '[' && c <= '^') ||
                       c == '.' || c == '/';
        if (refused) return false;
    }
    return true;
}

}  // namespace pellix
