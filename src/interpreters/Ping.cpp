// ping: the answer is decided from the slots alone, by the table of the
// exercise's nine addresses. Every rule that applies counts (a remote
// address can earn its task twice).
#include <string>

#include "console/Sim.h"
#include "interpreters/Procedures.h"

namespace pellix {

namespace {

using Reach = bool (*)(const Sim&);

bool EthernetUp(const Sim& s) {
    return !s.Slot(slot::Ethernet0Address).empty() && s.Slot(slot::Ethernet0Up) == "no";
}
bool SerialUp(const Sim& s) {
    return !s.Slot(slot::Serial0Address).empty() && s.Slot(slot::Serial0Up) == "no";
}
bool StaticTo50(const Sim& s) {
    return SerialUp(s) && s.Slot(slot::RouteTo50) == "OK";
}
bool StaticTo10(const Sim& s) {
    return SerialUp(s) && s.Slot(slot::RouteTo10) == "OK";
}
bool Routed(const Sim& s) {
    return (!s.Slot(slot::Rip).empty() || !s.Slot(slot::Igrp).empty()) &&
           s.Slot(slot::Serial0Up) == "no";
}

struct PingRule {
    std::string_view command;
    Reach reach;
    int task;
};

constexpr PingRule kRules[] = {
    {"ping 172.10.0.1", EthernetUp, 0},     {"ping 172.10.0.10", EthernetUp, 0},
    {"ping 172.10.55.20", EthernetUp, 0},   {"ping 210.16.54.1", SerialUp, 0},
    {"ping 210.16.54.2", SerialUp, 0},      {"ping 192.168.50.1", StaticTo50, 46},
    {"ping 192.168.50.8", StaticTo50, 47},  {"ping 192.168.10.1", StaticTo10, 48},
    {"ping 192.168.10.20", StaticTo10, 49}, {"ping 192.168.50.1", Routed, 46},
    {"ping 192.168.50.8", Routed, 47},      {"ping 192.168.10.1", Routed, 48},
    {"ping 192.168.10.20", Routed, 49},
};

}  // namespace

void Ping(Sim& sim) {
    const std::string& command = sim.CommandText;
    sim.PingReached = 0;
    for (const PingRule& rule : kRules) {
        if (command != rule.command || !rule.reach(sim)) continue;
        sim.PingReached = 1;
        if (rule.task) sim.AwardTask(rule.task);
    }
    sim.PingAddress = command.size() < 6 ? "0.0.0.0" : command.substr(5);

    sim.NewLine();
    sim.PrintLine("Type escape sequence to abort.");
    sim.PrintLine("Sending 5, 100-byte ICMP Echoes to " + sim.PingAddress +
                  ", timeout is 2 seconds:");
    if (sim.PingReached == 1) {
        sim.PrintLine("!!!!!");
        sim.PrintLine("Success rate is 100 percent (5/5)");
        sim.AwardTask(34);
    } else {
        sim.PrintLine(".....");
        sim.PrintLine("Success rate is 0 percent (0/5)");
    }
}

}  // namespace pellix
