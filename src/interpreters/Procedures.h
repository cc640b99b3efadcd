// The procedures that the interpreters' rows call and that live in their own
// files: ping, the hostname and password handlers, the displays.
#pragma once

#include <cstdint>

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

// displays/
void ShowVersion(Command& command);
void ShowInterfaceEthernet0(Command& command);
void ShowInterfaceSerial0(Command& command);
void ShowRunningConfig(Command& command);
void ShowIpRoute(Command& command);
void ShowAccessLists(Command& command);

// scoring/ResetScore.cpp
void ResetScore(Command& command);

}  // namespace pellix
