// The startup configuration "router1.cfg": saving the running configuration
// into it, loading it back, and clearing the running configuration.
#pragma once

#include <string>
#include <string_view>

#include "state/Files.h"

namespace pellix {

class Command;

inline constexpr std::string_view kStartupConfigFile = "router1.cfg";

// Whole-table moves between the slots and a configuration file in the
// working folder, shared with the TFTP copies. A load changes no slot unless
// the file holds all 100 lines.
FileWrite SaveSlotsToFile(Command& command, std::string_view name);
FileError LoadSlotsFromFile(Command& command, std::string_view name);

// "copy running-config startup-config"
void CopyRunningToStartup(Command& command);
// "copy startup-config running-config"
void CopyStartupToRunning(Command& command);
// Start-up: loads "router1.cfg"; returns the "%Error" line, or "" when loaded.
std::string LoadStartupConfig(Command& command);
// "reset config"
void ResetConfig(Command& command);

// Whether the TFTP copies take this file name: only letters, digits, "-", "_"
// and "`", so that no accepted name reaches outside the working folder.
bool TftpFileNameAccepted(std::string_view name);

}  // namespace pellix
