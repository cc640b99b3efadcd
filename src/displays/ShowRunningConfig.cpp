// show running-config: a fixed skeleton; the hostname and three passwords
// are printed from their slots, the rest shown when its slot is set.
#include "console/Command.h"
#include "displays/Display.h"
#include "interpreters/Procedures.h"

namespace pellix {

namespace {

constexpr bool EthernetAccessGroup(const ConfigSlotTable& s) {
    return IsSet<slot::Ethernet0Address>(s) && IsSet<slot::AccessGroup3>(s);
}
constexpr bool SerialAccessGroup(const ConfigSlotTable& s) {
    return IsSet<slot::Serial0Address>(s) && IsSet<slot::AccessGroup101>(s);
}

constexpr DisplayLine kLines[] = {
    {"Building configuration..."},
    {"Current configuration:"},
    {"version 12.1"},
    {"service udp - small - servers"},
    {"service tcp - small - servers"},
    {"HostName ", nullptr, slot::Hostname},
    {"enable secret 5 $1$q4rt$Xb7Kp2LmZ9wQe5TnVy3Hc0", IsSet<slot::EnableSecret>},
    {"enable password ", IsSet<slot::EnablePassword>, slot::EnablePassword},
    {"interface Ethernet0"},
    {" Description Line"},
    {" ip address 172.10.0.1 255.255.0.0", IsSet<slot::Ethernet0Address>},
    {" ip access-group 3 out ", EthernetAccessGroup},
    {"interface Serial0"},
    {" ip address 210.16.54.1 255.255.255.0", IsSet<slot::Serial0Address>},
    {.text = " ip access-group 101 out ",
     .when = SerialAccessGroup,
     .taskAfter = task::RunningConfigShownWithList101},
    {"line con 0"},
    {" password ", IsSet<slot::ConsolePassword>, slot::ConsolePassword},
    {"line vty 0 4"},
    {"password ", IsSet<slot::VtyPassword>, slot::VtyPassword},
    {""},
};

}  // namespace

void ShowRunningConfig(Command& command) {
    command.Award(task::RunningConfigShown);
    PrintDisplay(command, kLines);
}

}  // namespace pellix
