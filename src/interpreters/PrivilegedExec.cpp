// Privileged EXEC: its commands and its help listing.
#include "console/Modes.h"

namespace pellix {

namespace {

constexpr auto kRows = Rows(
    std::array{Abbrev("exit", "exit", ToMode(Mode::UserExec))}, kShowHistoryRows, kShowVersionRows,
    std::array{
        Abbrev("sh run", "sh running-config", Call(ShowRunningConfig)),
        Abbrev("show run", "show running-config", Call(ShowRunningConfig)),
        Eq("sh int e0", Call(ShowInterfaceEthernet0)),
        Eq("sh int e 0", Call(ShowInterfaceEthernet0)),
        Eq("show interface ethernet 0", Call(ShowInterfaceEthernet0)),
        Eq("show interface ethernet0", Call(ShowInterfaceEthernet0)),
        Eq("sh int s0", Call(ShowInterfaceSerial0)),
        Eq("sh int s 0", Call(ShowInterfaceSerial0)),
        Eq("sh ip route", Call(ShowIpRoute)),
        Eq("show ip route", Call(ShowIpRoute)),
        Eq("show interface serial 0", Call(ShowInterfaceSerial0)),
        Eq("show interface serial0", Call(ShowInterfaceSerial0)),
        Abbrev("show acce", "show access-list", Call(ShowAccessLists)),
        Abbrev("sh acce", "sh access-list", Call(ShowAccessLists)),
        Abbrev("disa", "disable", ToMode(Mode::UserExec)),
        Abbrev("conf", "configure", ToMode(Mode::ConfigSource)),
        Abbrev("conf", "config terminal", kEnterConfigMode),
        Abbrev("conf", "configure terminal", ToMode(Mode::GlobalConfig)),
        Eq("copy run start", Call(CopyRunningToStartup)),
        Eq("copy running-config startup-config", Call(CopyRunningToStartup)),
        Eq("copy start run", Call(CopyStartupToRunning)),
        Eq("copy startup-config running-config", Call(CopyStartupToRunning)),
        Eq("copy run tftp", ToMode(Mode::UploadHost)),
        Eq("copy running-config tftp", ToMode(Mode::UploadHost)),
        Eq("copy tftp run", ToMode(Mode::DownloadHost)),
        Eq("copy tftp running-config", ToMode(Mode::DownloadHost)),
        Starts("ping", Call(Ping)),
    });

constexpr std::string_view kHelp[] = {
    "These commands are available on this simulation:",
    "  copy running-config startup-config",
    "  copy startup-config running-config",
    "  copy running-config tftp",
    "  copy tftp running-config",
    "  configure",
    "  disable",
    "  exit",
    "  ping",
    "  show history",
    "  show interface",
    "  show ip route",
    "  show running-config",
    "  show version",
};

}  // namespace

constinit const ModeDef kPrivilegedExecMode{"", true, "#", kRows, true, kHelp};

}  // namespace pellix
