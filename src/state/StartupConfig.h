// The startup configuration "router1.cfg": saving the running configuration
// into it, loading it back, and clearing the running configuration.
#pragma once

#include <string>
#include <string_view>

#include "state/Files.h"

namespace pellix {

class Sim;

inline constexpr std::string_view kStartupConfigFile = "router1.cfg";

// Whole-table moves between the slots and a configuration file in the
// working folder, shared with the TFTP copies. A load changes no slot unless
// the file holds all 100 lines.
FileWrite SaveSlotsToFile(Sim& sim, std::string_view name);
FileError LoadSlotsFromFile(Sim& sim, std::string_view name);

// "copy running-config startup-config"
void CopyRunningToStartup(Sim& sim);
// "copy startup-config running-config"
void CopyStartupToRunning(Sim& sim);
// Start-up: loads "router1.cfg"; returns the "%Error" line, or "" when loaded.
std::string LoadStartupConfig(Sim& sim);
// "reset config"
void ResetConfig(Sim& sim);

// Whether the TFTP copies take this file name: only letters, digits, "-", "_"
// and "`", so that no accepted name reaches outside the working folder.
bool TftpFileNameAccepted(std::string_view name);

}  // namespace pellix
