// The router's configuration files in the working folder: the startup
// configuration "router1.cfg" and the files of the TFTP copies, each holding
// the whole slot table (state/ConfigFile.h).
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "state/ConfigFile.h"
#include "state/ConfigSlots.h"
#include "state/Files.h"

namespace pellix {

inline constexpr std::string_view kStartupConfigFile = "router1.cfg";

// Writes slots 1 to 100 to the file, replacing it as a whole.
FileWrite SaveConfigFile(const std::filesystem::path& file, const ConfigSlotTable& slots);

// Slots 1 to 100 from the file, or the reason there are none: a file that
// holds fewer than 100 lines gives none (TooShort).
struct ConfigRead {
    std::optional<SavedSlots> slots;
    FileError error = FileError::None;
};
ConfigRead LoadConfigFile(const std::filesystem::path& file);

// Whether the TFTP copies take this file name: only letters, digits, "-", "_"
// and "`", so that no accepted name reaches outside the working folder.
bool TftpFileNameAccepted(std::string_view name);

}  // namespace pellix
