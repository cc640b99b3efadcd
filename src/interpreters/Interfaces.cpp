// Modes 4 and 5, interface configuration for Ethernet0 and Serial0:
// InterpretEthernet0, InterpretSerial0 and their listings. One table with a
// column per interface; an empty text marks a row the interface lacks.
#include "console/Modes.h"
#include "console/Sim.h"

namespace pellix {

namespace {

using IfaceRow = ColumnRow<2>;
enum { Ethernet0, Serial0 };

constexpr Action kInvalidSubnet = Print("Invalid subnet").Print("");
constexpr Action kInvalidAddress = Print("Invalid IP address").Print("");

constexpr std::array<IfaceRow, 11> kTable = {{
    {Test::Equals, {"exit", "exit"}, {}, {ToMode(Mode::GlobalConfig), ToMode(Mode::GlobalConfig)}},
    {Test::Abbrev, {"sh h", "sh h"}, "sh history", {Call(ShowHistory), Call(ShowHistory)}},
    {Test::Abbrev, {"show h", "show h"}, "show history", {Call(ShowHistory), Call(ShowHistory)}},
    {Test::Equals,
     {"ip address 172.10.0.1 255.255.0.0", "ip address 210.16.54.1 255.255.255.0"},
     {},
     {Set(slot::Ethernet0Address, "172.10.0.1").Set(slot::Ethernet0Mask, "255.255.0.0").Award(14),
      Set(slot::Serial0Address, "210.16.54.1").Set(slot::Serial0Mask, "255.255.255.0").Award(16)}},
    {Test::StartsWith,
     {"ip address 172.10.0.1 ", "ip address 210.16.54.1 "},
     {},
     {kInvalidSubnet, kInvalidSubnet}},
    {Test::StartsWith, {"ip address ", "ip address "}, {}, {kInvalidAddress, kInvalidAddress}},
    {Test::Equals,
     {"", "bandwidth 56"},
     {},
     {Nothing(), Set(slot::Serial0Bandwidth, "56").Award(18)}},
    {Test::Equals,
     {"", "clock rate 56000"},
     {},
     {Nothing(), Set(slot::Serial0ClockRate, "56000").Award(19)}},
    {Test::Abbrev,
     {"no s", "no s"},
     "no shutdown",
     {Set(slot::Ethernet0Up, "no").Award(15), Set(slot::Serial0Up, "no").Award(17)}},
    {Test::Abbrev,
     {"shut", "shut"},
     "shutdown",
     {Set(slot::Ethernet0Up, ""), Set(slot::Serial0Up, "")}},
    {Test::Equals,
     {"ip access-group 3", "ip access-group 101"},
     {},
     {Set(slot::AccessGroup3, "OK").Award(37), Set(slot::AccessGroup101, "OK").Award(40)}},
}};

constexpr auto kEthernet0Rows = Column(kTable, Ethernet0);
constexpr auto kSerial0Rows = Column(kTable, Serial0);

constexpr std::string_view kEthernet0Help[] = {
    "These commands are available on this simulation:",
    "  exit",
    "  ip address",
    "  no shutdown",
    "  show history",
    "  shutdown",
};

constexpr std::string_view kSerial0Help[] = {
    "These commands are available on this simulation:",
    "  bandwidth 56",
    "  clock rate 56000",
    "  exit",
    "  ip address",
    "  no shutdown",
    "  show history",
    "  shutdown",
};

}  // namespace

constinit const ModeDef kEthernet0Mode{Mode::Ethernet0Config, "",   true,          "(config-if)#",
                                       kEthernet0Rows,        true, kEthernet0Help};
constinit const ModeDef kSerial0Mode{Mode::Serial0Config, "",   true,        "(config-if)#",
                                     kSerial0Rows,        true, kSerial0Help};

}  // namespace pellix
