// Mode 3, global configuration: InterpretGlobalConfig and
// ListGlobalConfigCommands. Rows overlap ("en pass" before the password
// checks, the two networks before "network ", the permit entries gated by
// their deny flags), so their order is part of the behaviour.
#include "console/Modes.h"
#include "console/Sim.h"
#include "interpreters/Procedures.h"

namespace pellix {

namespace {

// "no router rip" and "no router igrp" both drop the network statements.
constexpr Action ClearNetworks(Action act) {
    return act.Set(slot::SerialNetwork, "")
        .Set(slot::EthernetNetwork, "")
        .Set(slot::ThirdNetwork, "")
        .Set(slot::FourthNetwork, "");
}

constexpr Guard kList3Denied{slot::List3Deny, "OK"};
constexpr Guard kList3Open{slot::List3Deny, ""};
constexpr Guard kList101Denied{slot::List101Deny, "OK"};
constexpr Guard kList101Open{slot::List101Deny, ""};

constexpr Row kRows[] = {
    Eq("exit", ToMode(Mode::PrivilegedExec)),
    Abbrev("sh h", "sh history", Call(ShowHistory)),
    Abbrev("show h", "show history", Call(ShowHistory)),
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
    Starts("no enable password", Set(slot::EnablePassword, "").Award(9)),
    Starts("no enable secret", Set(slot::EnableSecret, "").Award(10)),
    Starts("hostname", Call(SetHostname)),
    Eq("router rip", Set(slot::Rip, "on").Award(26)),
    Eq("no router rip", ClearNetworks(Set(slot::Rip, "").Award(27))),
    Eq("router igrp", Set(slot::Igrp, "on").Award(28)),
    Eq("no router igrp", ClearNetworks(Set(slot::Igrp, "").Award(29))),
    Eq("network 210.16.54.0", Set(slot::SerialNetwork, "210.16.54.0").Award(30)),
    Eq("network 172.10.0.0", Set(slot::EthernetNetwork, "172.10.0.0").Award(31)),
    Eq("ip route 192.168.10.0 255.255.255.0 210.16.54.1", Set(slot::RouteTo10, "OK").Award(22)),
    Eq("ip route 192.168.50.0 255.255.255.0 210.16.54.1", Set(slot::RouteTo50, "OK").Award(23)),
    Starts("no ip route 192.168.10.0 ", Set(slot::RouteTo10, "").Award(24)),
    Starts("no ip route 192.168.50.0 ", Set(slot::RouteTo50, "").Award(25)),
    Starts("network ", Print("Invalid network")),
    Eq("access-list 3 deny 192.168.50.20 0.0.0.0", Set(slot::List3Deny, "OK").Award(35)),
    Eq("access-list 3 permit any", Set(slot::List3Permit, "OK").Award(36), kList3Denied),
    Eq("access-list 3 permit any", Print(""), kList3Open),
    Eq("access-list 101 deny ip 172.10.0.0 0.0.255.255 eq 80",
       Set(slot::List101Deny, "OK").Award(38)),
    Eq("access-list 101 permit ip any any", Set(slot::List101Permit, "OK").Award(39),
       kList101Denied),
    Eq("access-list 101 permit ip any any", Print(""), kList101Open),
};

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

constinit const ModeDef kGlobalConfigMode{
    Mode::GlobalConfig, "", true, "(config)#", kRows, true, kHelp};

}  // namespace pellix
