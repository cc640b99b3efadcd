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

// The slots that hold a setting, by what they hold; every other slot is
// only saved, loaded and reset.
namespace slot {
inline constexpr int Hostname = 1;
inline constexpr int EnablePassword = 2;
inline constexpr int EnableSecret = 3;
inline constexpr int VtyPassword = 4;
inline constexpr int ConsolePassword = 5;
inline constexpr int Igrp = 8;
inline constexpr int Rip = 9;
// The network statements: 210.16.54.0, 172.10.0.0, and two that no command
// sets but "no router rip" and "no router igrp" empty with them.
inline constexpr int SerialNetwork = 11;
inline constexpr int EthernetNetwork = 12;
inline constexpr int ThirdNetwork = 13;
inline constexpr int FourthNetwork = 14;
inline constexpr int Ethernet0Address = 20;
inline constexpr int Ethernet0Mask = 21;
inline constexpr int Ethernet0Up = 22;
inline constexpr int Ethernet0Cleared = 23;
inline constexpr int Serial0Address = 25;
inline constexpr int Serial0Mask = 26;
inline constexpr int Serial0Up = 27;
inline constexpr int Serial0Bandwidth = 30;
inline constexpr int Serial0ClockRate = 31;
inline constexpr int RouteTo50 = 33;
inline constexpr int RouteTo10 = 34;
inline constexpr int AccessGroup3 = 40;
inline constexpr int List3Deny = 41;
inline constexpr int List3Permit = 42;
inline constexpr int AccessGroup101 = 45;
inline constexpr int List101Deny = 46;
inline constexpr int List101Permit = 47;
}  // namespace slot

// An interface passes traffic once it has its address and is out of shutdown
// ("no shutdown" sets its up slot to "no"): pings through it are answered,
// and through Ethernet0 the TFTP server is reached.
inline bool Ethernet0Passes(const ConfigSlotTable& table) {
    return !table[slot::Ethernet0Address].empty() && table[slot::Ethernet0Up] == "no";
}
inline bool Serial0Passes(const ConfigSlotTable& table) {
    return !table[slot::Serial0Address].empty() && table[slot::Serial0Up] == "no";
}

}  // namespace pellix
