// The procedures that the interpreters' rows call and that live in their own
// files: ping, the hostname and password handlers, the displays.
#pragma once

namespace pellix {

class Sim;

// interpreters/Ping.cpp
void Ping(Sim& sim);

// interpreters/Passwords.cpp
void SetHostname(Sim& sim);
void SetEnablePassword(Sim& sim);
void SetEnableSecret(Sim& sim);
void SetLinePassword(Sim& sim, int slot, int task);

// displays/
void ShowVersion(Sim& sim);
void ShowInterfaceEthernet0(Sim& sim);
void ShowInterfaceSerial0(Sim& sim);
void ShowRunningConfig(Sim& sim);
void ShowIpRoute(Sim& sim);
void ShowAccessLists(Sim& sim);

// scoring/ResetScore.cpp
void ResetScore(Sim& sim);

}  // namespace pellix
