// ping: the answer is decided from the slots alone, by the table of the
// exercise's nine addresses. Every rule that applies counts (a remote
// address can earn its task twice).
#include <string>

#include "console/Command.h"
#include "interpreters/Procedures.h"

namespace pellix {

namespace {

using Reach = bool (*)(const ConfigSlotTable&);

bool StaticTo50(const ConfigSlotTable& s) {
    return Serial0Passes(s) && s[slot::RouteTo50] == "OK";
}
bool StaticTo10(const ConfigSlotTable& s) {
    return Serial0Passes(s) && s[slot::RouteTo10] == "OK";
}
bool Routed(const ConfigSlotTable& s) {
    return (!s[slot::Rip].empty() || !s[slot::Igrp].empty()) && s[slot::Serial0Up] == "no";
}

struct PingRule {
    std::string_view command;
    Reach reach;
    Task task;
};

using enum Task;

constexpr PingRule kRules[] = {
    {"ping 172.10.0.1", Ethernet0Passes, None},
    {"ping 172.10.0.10", Ethernet0Passes, None},
    {"ping 172.10.55.20", Ethernet0Passes, None},
    {"ping 210.16.54.1", Serial0Passes, None},
    {"ping 210.16.54.2", Serial0Passes, None},
    {"ping 192.168.50.1", StaticTo50, Host50_1Reached},
    {"ping 192.168.50.8", StaticTo50, Host50_8Reached},
    {"ping 192.168.10.1", StaticTo10, Host10_1Reached},
    {"ping 192.168.10.20", StaticTo10, Host10_20Reached},
    {"ping 192.168.50.1", Routed, Host50_1Reached},
    {"ping 192.168.50.8", Routed, Host50_8Reached},
    {"ping 192.168.10.1", Routed, Host10_1Reached},
    {"ping 192.168.10.20", Routed, Host10_20Reached},
};

}  // namespace

void Ping(Command& command) {
    const std::string& text = command.Text();
    bool reached = false;
    for (const PingRule& rule : kRules) {
        if (text != rule.command || !rule.reach(command.Slots())) continue;
        reached = true;
        command.Award(rule.task);
    }
    std::string address = text.size() < 6 ? "0.0.0.0" : text.substr(5);

    command.PrintLine();
    command.PrintLine("Type escape sequence to abort.");
    command.PrintLine("Sending 5, 100-byte ICMP Echoes to " + address + ", timeout is 2 seconds:");
    if (reached) {
        command.PrintLine("!!!!!");
        command.PrintLine("Success rate is 100 percent (5/5)");
        command.Award(task::PingAnswered);
    } else {
        command.PrintLine(".....");
        command.PrintLine("Success rate is 0 percent (0/5)");
    }
}

}  // namespace pellix
