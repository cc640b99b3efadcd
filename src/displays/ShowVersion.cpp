// show version: a fixed text; only the uptime line names the hostname.
#include "console/Command.h"
#include "displays/Display.h"
#include "interpreters/Procedures.h"

namespace pellix {

namespace {

constexpr DisplayLine kLines[] = {
    {"Copyright (c) 1986-2001 by Vantric Systems, Inc."},
    {"Compiled Mon 18-Dec-01 12:31 by qvorn"},
    {"Image text-base: 0x0801C8AC, data-base: 0x02005000"},
    {"ROM: System Bootstrap, Version 12.1, EARLY DEPLOYMENT RELEASE SOFTWARE (fc1)"},
    {"ROM: 2500 Software (C2500-BOOT-R), Version 12.1(10)AA, EARLY DEPLOYMENT RELEASE software "
     "(fc1)"},
    {"", nullptr, slot::Hostname, " uptime is 0 weeks, 0 days, 0 hours, 0 minutes"},
    {"System restarted by power-on"},
    {"System image file is 'flash:c2500-ny-1.111-9.AA', booted via flash"},
    {"C 2500 (68360) processor (revision C) with 1536K/512K bytes of memory."},
    {"Processor board ID 00000000"},
    {"Bridging software."},
    {"X.25 software, Version 2.0, NET2, BFE and GOSIP compliant."},
    {"1 Ethernet/IEEE 802.3 interface."},
    {"1 Serial(sync/async) network interface."},
    {"System/IO memory with parity disabled"},
    {"8K bytes of non-volatile configuration memory."},
    {"4096K bytes of processor board PCMCIA flash (Read ONLY)"},
    {"Configuration register is 0x2102"},
    {""},
};

}  // namespace

void ShowVersion(Command& command) {
    command.Award(task::VersionShown);
    PrintDisplay(command, kLines);
}

}  // namespace pellix
