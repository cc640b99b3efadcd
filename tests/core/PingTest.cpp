// Ping of the exercise's nine addresses in the router states that the
// configuration commands produce: each answers all five echoes or none.
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "support/TempFolder.h"
#include "support/Typing.h"

namespace pellix {
namespace {

namespace fs = std::filesystem;
using support::TempFolder;
using support::TypeCommand;

const char* const kAddresses[] = {
    "172.10.0.1",   "172.10.0.10",  "172.10.55.20", "210.16.54.1",   "210.16.54.2",
    "192.168.50.1", "192.168.50.8", "192.168.10.1", "192.168.10.20",
};

// Commands typed in global configuration mode.
const std::vector<std::string> kEthernetUp = {"int e0", "ip address 172.10.0.1 255.255.0.0",
                                              "no shutdown", "exit"};
const std::vector<std::string> kSerialUp = {"int s0", "ip address 210.16.54.1 255.255.255.0",
                                            "no shutdown", "exit"};
const std::vector<std::string> kSerialUpNoAddress = {"int s0", "no shutdown", "exit"};
const std::string kRouteTo50 = "ip route 192.168.50.0 255.255.255.0 210.16.54.1";
const std::string kRouteTo10 = "ip route 192.168.10.0 255.255.255.0 210.16.54.1";

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(Ping, NineAddressesInEveryRouterState) {
    struct State {
        const char* name;
        std::vector<std::string> commands;
        const char* reached;  // one mark per address, in the order above
    };
    const State states[] = {
        {"reset router", {}, "---------"},
        {"Ethernet0 addressed but shut down",
         {"int e0", "ip address 172.10.0.1 255.255.0.0", "exit"},
         "---------"},
        {"Ethernet0 up", kEthernetUp, "xxx------"},
        {"both interfaces up", Join({kEthernetUp, kSerialUp}), "xxxxx----"},
        {"static route to 192.168.50.0", Join({kEthernetUp, kSerialUp, {kRouteTo50}}), "xxxxxxx--"},
        {"static route to 192.168.10.0 only", Join({kSerialUp, {kRouteTo10}}), "---xx--xx"},
        {"both static routes", Join({kSerialUp, {kRouteTo50, kRouteTo10}}), "---xxxxxx"},
        {"static routes, Serial0 without address",
         Join({kSerialUpNoAddress, {kRouteTo50, kRouteTo10}}), "---------"},
        {"RIP, Serial0 up without address", Join({kSerialUpNoAddress, {"router rip"}}),
         "-----xxxx"},
        {"IGRP, Serial0 up", Join({kSerialUp, {"router igrp"}}), "---xxxxxx"},
        {"RIP but Serial0 shut down",
         Join({kSerialUp, {"router rip", "int s0", "shutdown", "exit"}}), "---------"},
        {"RIP removed again", Join({kSerialUp, {"router rip", "no router rip"}}), "---xx----"},
        {"routes removed again",
         Join({kSerialUp,
               {kRouteTo50, kRouteTo10, "no ip route 192.168.50.0 x",
                "no ip route 192.168.10.0 x"}}),
         "---xx----"},
        {"everything, then Ethernet0 shut down",
         Join({kEthernetUp, kSerialUp, {kRouteTo50, kRouteTo10, "int e0", "shutdown", "exit"}}),
         "---xxxxxx"},
    };
    for (const State& state : states) {
        TempFolder folder;
        Sim sim(folder.Path());
        sim.Start();
        for (const char* command : {"enable", "configure terminal"}) TypeCommand(sim, command);
        for (const std::string& command : state.commands) TypeCommand(sim, command);
        TypeCommand(sim, "exit");
        ASSERT_EQ(sim.CurrentMode(), Mode::PrivilegedExec) << state.name;
        for (int i = 0; i < 9; ++i) {
            TypeCommand(sim, std::string("ping ") + kAddresses[i]);
            const bool reached = state.reached[i] == 'x';
            // The answer's last line stands just above the next prompt.
            EXPECT_EQ(sim.Lines()[InputLine - 1], reached ? "Success rate is 100 percent (5/5)"
                                                          : "Success rate is 0 percent (0/5)")
                << state.name << ", ping " << kAddresses[i];
            EXPECT_EQ(sim.Lines()[InputLine - 3],
                      std::string("Sending 5, 100-byte ICMP Echoes to ") + kAddresses[i] +
                          ", timeout is 2 seconds:")
                << state.name;
        }
    }
}

}  // namespace
}  // namespace pellix
