// show interface for Ethernet0 and Serial0: canned lines, the first line,
// the address line and (Ethernet0) the counters line chosen by the slots.
#include "console/Command.h"
#include "displays/Display.h"
#include "interpreters/Procedures.h"

namespace pellix {

namespace {

constexpr bool EthernetUp(const ConfigSlotTable& s) {
    return s[slot::Ethernet0Up] == "no";
}
constexpr bool EthernetDown(const ConfigSlotTable& s) {
    return !EthernetUp(s);
}
// Ethernet0 holds the exercise's own address, the only one its "Internet
// address" line shows (any address at all: EthernetHasAddress).
constexpr bool EthernetHasLabAddress(const ConfigSlotTable& s) {
    return s[slot::Ethernet0Address] == "172.10.0.1";
}
constexpr bool EthernetHasAddress(const ConfigSlotTable& s) {
    return !s[slot::Ethernet0Address].empty();
}
constexpr bool EthernetNoAddress(const ConfigSlotTable& s) {
    return !EthernetHasAddress(s);
}
constexpr bool SerialUp(const ConfigSlotTable& s) {
    return s[slot::Serial0Up] == "no";
}
constexpr bool SerialDown(const ConfigSlotTable& s) {
    return !SerialUp(s);
}
constexpr bool SerialHasAddress(const ConfigSlotTable& s) {
    return !s[slot::Serial0Address].empty();
}
constexpr bool SerialNoAddress(const ConfigSlotTable& s) {
    return !SerialHasAddress(s);
}

constexpr DisplayLine kEthernet0[] = {
    {"Ethernet0 is up, line protocol is up", EthernetUp},
    {"Ethernet0 is up, line protocol is down", EthernetDown},
    {"  Hardware is QUICC Ethernet, address is 00e0.1eec.afb8 "},
    {"  Description: line"},
    {"  Internet address is 172.10.0.1/16", EthernetHasLabAddress},
    {"  MTU 1500 bytes, BW 10000 Kbit, DLY 1000 usec, rely 255/255, load 1/255"},
    {"  Encapsulation ARPA, loopback not set, keepalive set (10 sec)"},
    {"  ARP type: ARPA, ARP Timeout 04:00:00"},
    {"  Last input 00:00:00, output 00:00:00, output hang never"},
    {"Last clearing of 'show interface' counters never", EthernetNoAddress},
    {"Last clearing of 'show interface' counters ", EthernetHasAddress, slot::Ethernet0Cleared},
    {"  Queueing strategy: fifo"},
    {"  Output queue 0/40, 0 drops; input queue 0/75, 0 drops"},
    {"  5 minute input rate 0 bits/sec, 1 packets/sec"},
    {"  5 minute output rate 0 bits/sec, 1 packets/sec"},
    {"     0 packets input, 0 bytes, 0 no buffer"},
    {"     Received 0 broadcasts, 0 runts, 0 giants"},
    {"     0 input errors, 0 CRC, 0 frame, 0 overrun, 0 ignored, 0 abort"},
    {"     0 input packets with dribble condition detected"},
    {"     0 packets output, 0 bytes, 0 underruns"},
    {"     0 output errors, 47 collisions, 0 interface resets"},
    {"Note: statistics have been simulated for this exercise."},
};

constexpr DisplayLine kSerial0[] = {
    {"Serial0 is up, line protocol is up", SerialUp},
    {"Serial0 is down, line protocol is down", SerialDown},
    {"  Hardware is QUICC Serial"},
    {"  Internet address is 210.16.54.1/24", SerialHasAddress},
    {"", SerialNoAddress},
    {"  MTU 1500 bytes, BW 1544 Kbit, DLY 20000 usec, rely 255/255, load 1/255"},
    {"  Encapsulation HDLC, loopback not set, keepalive set (10 sec)"},
    {"  Last input never, output never, output hang never"},
    {"  Last clearing of 'show interface' counters never"},
    {"  Input queue: 0/75/0 (size/max/drops); Total output drops: 0"},
    {"  Output queue: 0/64/0 (size/threshold/drops)"},
    {"     Conversations  0/0 (active/max active)"},
    {"  5 minute input rate 0 bits/sec, 0 packets/sec"},
    {"  5 minute output rate 0 bits/sec, 0 packets/sec"},
    {"     0 packets input, 0 bytes, 0 no buffer"},
    {"     Received 0 broadcasts, 0 runts, 0 giants"},
    {"     0 input errors, 0 CRC, 0 frame, 0 overrun, 0 ignored, 0 abort"},
    {"     0 packets output, 0 bytes, 0 underruns"},
    {"     DCD=up  DSR=up  DTR=down  RTS=down  CTS=up"},
    {"Note: statistics have been simulated for this exercise."},
};

}  // namespace

void ShowInterfaceEthernet0(Command& command) {
    command.Award(task::Ethernet0Shown);
    PrintDisplay(command, kEthernet0);
}

void ShowInterfaceSerial0(Command& command) {
    command.Award(task::Serial0Shown);
    PrintDisplay(command, kSerial0);
}

}  // namespace pellix
