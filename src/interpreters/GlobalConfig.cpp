// Global configuration: its commands and its help listing. Rows overlap
// ("en pass" before the password checks, the two networks before "network ",
// the permit entries gated by their deny flags), so their order is part of
// the behaviour.
#include "console/Modes.h"

namespace pellix {

namespace {

// "no router rip" and "no router igrp" both drop the network statements.
constexpr Action ClearNetworks(Action act) {
    return act.Set(slot::SerialNetwork, "")
        .Set(slot::EthernetNetwork, "")
        .Set(slot::ThirdNetwork, "")
        .Set(slot::FourthNetwork, "");
}

constexpr char kOk[] = "OK";
constexpr char kEmpty[] = "";
constexpr SlotTest kList3Denied = SlotIs<slot::List3Deny, kOk>;
constexpr SlotTest kList3Open = SlotIs<slot::List3Deny, kEmpty>;
constexpr SlotTest kList101Denied = SlotIs<slot::List101Deny, kOk>;
constexpr SlotTest kList101Open = SlotIs<slot::List101Deny, kEmpty>;

constexpr auto kRows = Rows(
    std::array{Eq("exit", ToMode(Mode::PrivilegedExec))}, kShowHistoryRows,
    std::array{
        Eq("int e 0", ToMode(Mode::Ethernet0Config)),
        Eq("interface ethernet 0", ToMode(Mode::Ethernet0Config)),
        Eq("int e0", ToMode(Mode::Ethernet0Config)),
        Eq("interface ethernet0", ToMode(Mode::Ethernet0Config)),
        Eq("int s 0", ToMode(Mode::Serial0Config)),
        Eq("interface serial 0", ToMode(Mode::Serial0Config)),
        Eq("int s0", ToMode(Mode::Serial0Config)),
        Eq("interface serial0", ToMode(Mode::Serial0Config)),
        Eq("line vty 0 4", ToMode(Mode::VtyLineConfig)),
        Eq("line con 0", ToMode(Mode::ConsoleLineConfig)),
        Eq("line con0", ToMode(Mode::ConsoleLineConfig)),
        Eq("line console 0", ToMode(Mode::ConsoleLineConfig)),
        Eq("line console0", ToMode(Mode::ConsoleLineConfig)),
        Starts("en pass", Call(SetEnablePassword)),
        Starts("enable password", Call(SetEnablePassword)),
        Starts("enable secret", Call(SetEnableSecret)),
        Starts("no enable password",
               Set(slot::EnablePassword, "").Award(task::EnablePasswordRemoved)),
        Starts("no enable secret", Set(slot::EnableSecret, "").Award(task::EnableSecretRemoved)),
        Starts("hostname", Call(SetHostname)),
        Eq("router rip", Set(slot::Rip, "on").Award(task::RipEnabled)),
        Eq("no router rip", ClearNetworks(Set(slot::Rip, "").Award(task::RipDisabled))),
        Eq("router igrp", Set(slot::Igrp, "on").Award(task::IgrpEnabled)),
        Eq("no router igrp", ClearNetworks(Set(slot::Igrp, "").Award(task::IgrpDisabled))),
        Eq("network 210.16.54.0",
           Set(slot::SerialNetwork, "210.16.54.0").Award(task::SerialNetworkAdded)),
        Eq("network 172.10.0.0",
           Set(slot::EthernetNetwork, "172.10.0.0").Award(task::EthernetNetworkAdded)),
        Eq("ip route 192.168.10.0 255.255.255.0 210.16.54.1",
           Set(slot::RouteTo10, "OK").Award(task::RouteTo10Added)),
        Eq("ip route 192.168.50.0 255.255.255.0 210.16.54.1",
           Set(slot::RouteTo50, "OK").Award(task::RouteTo50Added)),
        Starts("no ip route 192.168.10.0 ", Set(slot::RouteTo10, "").Award(task::RouteTo10Removed)),
        Starts("no ip route 192.168.50.0 ", Set(slot::RouteTo50, "").Award(task::RouteTo50Removed)),
        Starts("network ", Print("Invalid network")),
        Eq("access-list 3 deny 192.168.50.20 0.0.0.0",
           Set(slot::List3Deny, "OK").Award(task::List3DenyAdded)),
        Eq("access-list 3 permit any", Set(slot::List3Permit, "OK").Award(task::List3PermitAdded),
           kList3Denied),
        Eq("access-list 3 permit any", Print(""), kList3Open),
        Eq("access-list 101 deny ip 172.10.0.0 0.0.255.255 eq 80",
           Set(slot::List101Deny, "OK").Award(task::List101DenyAdded)),
        Eq("access-list 101 permit ip any any",
           Set(slot::List101Permit, "OK").Award(task::List101PermitAdded), kList101Denied),
        Eq("access-list 101 permit ip any any", Print(""), kList101Open),
    });

constexpr std::string_view kHelp[] = {
    "These commands are available on this simulation:",
    "  access-list",
    "  enable",
    "  exit",
    "  hostname",
    "  interface",
    "  ip route",
    "  line",
    "  network",
    "  no",
    "  show history",
    "  router",
};

}  // namespace

constinit const ModeDef kGlobalConfigMode{"", true, "(config)#", kRows, true, kHelp};

}  // namespace pellix
