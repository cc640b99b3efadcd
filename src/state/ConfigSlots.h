// The running configuration: one flat table of text slots, every setting at
// a fixed slot number. Slots 1 to 100 are what the configuration files hold;
// slot 0 belongs to no setting.
#pragma once

#include <array>
#include <string>

namespace pellix {

inline constexpr int kFirstSavedSlot = 1;
inline constexpr int kLastSlot = 100;
using ConfigSlotTable = std::array<std::string, kLastSlot + 1>;

// Slot numbers that more than one part of the router reads.
namespace slot {
inline constexpr int Hostname = 1;
inline constexpr int EnablePassword = 2;
inline constexpr int EnableSecret = 3;
inline constexpr int VtyPassword = 4;
inline constexpr int ConsolePassword = 5;
inline constexpr int Igrp = 8;
inline constexpr int Rip = 9;
inline constexpr int Ethernet0Address = 20;
inline constexpr int Ethernet0Up = 22;
inline constexpr int Ethernet0Cleared = 23;
inline constexpr int Serial0Address = 25;
inline constexpr int Serial0Up = 27;
inline constexpr int RouteTo50 = 33;
inline constexpr int RouteTo10 = 34;
inline constexpr int AccessGroup3 = 40;
inline constexpr int List3Deny = 41;
inline constexpr int List3Permit = 42;
inline constexpr int AccessGroup101 = 45;
inline constexpr int List101Deny = 46;
inline constexpr int List101Permit = 47;
}  // namespace slot

}  // namespace pellix
