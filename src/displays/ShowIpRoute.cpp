// show ip route: the connected networks and, as the configuration makes them
// reachable, the two remote networks.
#include "console/Command.h"
#include "displays/Display.h"
#include "interpreters/Procedures.h"

namespace pellix {

namespace {

constexpr bool EthernetHasAddress(const ConfigSlotTable& s) {
    return !s[slot::Ethernet0Address].empty();
}
constexpr bool BothHaveAddresses(const ConfigSlotTable& s) {
    return EthernetHasAddress(s) && !s[slot::Serial0Address].empty();
}
constexpr bool Routing(const ConfigSlotTable& s) {
    return s[slot::Igrp] == "on" || s[slot::Rip] == "on";
}
constexpr bool RouteTo50(const ConfigSlotTable& s) {
    return BothHaveAddresses(s) && (s[slot::RouteTo50] == "OK" || Routing(s));
}
constexpr bool RouteTo10(const ConfigSlotTable& s) {
    return BothHaveAddresses(s) && (s[slot::RouteTo10] == "OK" || Routing(s));
}

constexpr DisplayLine kLines[] = {
    {"C 172.10.0.1 is directly connected, Ethernet0", EthernetHasAddress},
    {"C 210.16.54.0 is directly connected, Serial0", BothHaveAddresses},
    {"S 192.168.50.0 [1/0] via 210.16.54.1", RouteTo50},
    {"S 192.168.10.0 [1/0] via 210.16.54.1", RouteTo10},
};

}  // namespace

void ShowIpRoute(Command& command) {
    command.Award(task::RoutesShown);
    PrintDisplay(command, kLines);
}

}  // namespace pellix
