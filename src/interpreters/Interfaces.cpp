// Interface configuration for Ethernet0 and Serial0: their commands and
// listings. One table with a column per interface; an empty text marks a row
// the interface lacks.
#include "console/Modes.h"

namespace pellix {

namespace {

using IfaceRow = ColumnRow<2>;
enum { Ethernet0, Serial0 };

constexpr Action kInvalidSubnet = Print("Invalid subnet").Print("");
constexpr Action kInvalidAddress = Print("Invalid IP address").Print("");

constexpr std::array<IfaceRow, 8> kTable = {{
    {Test::Equals,
     {"ip address 172.10.0.1 255.255.0.0", "ip address 210.16.54.1 255.255.255.0"},
     {},
     {Set(slot::Ethernet0Address, "172.10.0.1")
          .Set(slot::Ethernet0Mask, "255.255.0.0")
          .Award(task::Ethernet0Addressed),
      Set(slot::Serial0Address, "210.16.54.1")
          .Set(slot::Serial0Mask, "255.255.255.0")
          .Award(task::Serial0Addressed)}},
    {Test::StartsWith,
     {"ip address 172.10.0.1 ", "ip address 210.16.54.1 "},
     {},
     {kInvalidSubnet, kInvalidSubnet}},
    {Test::StartsWith, {"ip address ", "ip address "}, {}, {kInvalidAddress, kInvalidAddress}},
    {Test::Equals,
     {"", "bandwidth 56"},
     {},
     {Nothing(), Set(slot::Serial0Bandwidth, "56").Award(task::Serial0BandwidthSet)}},
    {Test::Equals,
     {"", "clock rate 56000"},
     {},
     {Nothing(), Set(slot::Serial0ClockRate, "56000").Award(task::Serial0ClockRateSet)}},
    {Test::Abbrev,
     {"no s", "no s"},
     "no shutdown",
     {Set(slot::Ethernet0Up, "no").Award(task::Ethernet0Enabled),
      Set(slot::Serial0Up, "no").Award(task::Serial0Enabled)}},
    {Test::Abbrev,
     {"shut", "shut"},
     "shutdown",
     {Set(slot::Ethernet0Up, ""), Set(slot::Serial0Up, "")}},
    {Test::Equals,
     {"ip access-group 3", "ip access-group 101"},
     {},
     {Set(slot::AccessGroup3, "OK").Award(task::List3Applied),
      Set(slot::AccessGroup101, "OK").Award(task::List101Applied)}},
}};

constexpr auto kEthernet0Rows = ConfigSubmodeRows(kTable, Ethernet0);
constexpr auto kSerial0Rows = ConfigSubmodeRows(kTable, Serial0);

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

constinit const ModeDef kEthernet0Mode{"",   true,          "(config-if)#", kEthernet0Rows,
                                       true, kEthernet0Help};
constinit const ModeDef kSerial0Mode{"", true, "(config-if)#", kSerial0Rows, true, kSerial0Help};

}  // namespace pellix
