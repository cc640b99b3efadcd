// The procedures that the interpreters' rows call and that live in their own
// files: ping, the hostname and password handlers, the copies, the displays.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "state/Files.h"

namespace pellix {

class Command;
enum class Task : std::uint8_t;

// interpreters/Ping.cpp
void Ping(Command& command);

// interpreters/Passwords.cpp
void SetHostname(Command& command);
void SetEnablePassword(Command& command);
void SetEnableSecret(Command& command);
void SetLinePassword(Command& command, int slot, Task task);

// interpreters/Copies.cpp
// "copy running-config startup-config"
void CopyRunningToStartup(Command& command);
// "copy startup-config running-config"
void CopyStartupToRunning(Command& command);
// Start-up: loads "router1.cfg"; returns the "%Error" line, or "" when loaded.
std::string LoadStartupConfig(Command& command);
// Whole-table moves between the slots and a configuration file in the
// working folder, shared with the TFTP copies. A load changes no slot unless
// the file holds all 100 lines.
FileWrite SaveSlotsToFile(Command& command, std::string_view name);
FileError LoadSlotsFromFile(Command& command, std::string_view name);

// displays/
void ShowVersion(Command& command);
void ShowInterfaceEthernet0(Command& command);
void ShowInterfaceSerial0(Command& command);
void ShowRunningConfig(Command& command);
void ShowIpRoute(Command& command);
void ShowAccessLists(Command& command);

}  // namespace pellix
