// Ping of the exercise's nine addresses in the router states that the
// configuration commands produce: each answers all five echoes or none, and
// an answered ping earns the task of the host it reached (a remote one) and
// the task of an answered ping, nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scoring/TaskTable.h"
#include "support/TempFolder.h"
#include "support/Typing.h"

namespace pellix {
namespace {

namespace fs = std::filesystem;
using support::TempFolder;
using support::TypeCommand;

// Each address with the task that reaching it earns besides an answered
// ping's.
struct Address {
    const char* address;
    Task reachedTask;
};
const Address kAddresses[] = {
    {"172.10.0.1", Task::None},
    {"172.10.0.10", Task::None},
    {"172.10.55.20", Task::None},
    {"210.16.54.1", Task::None},
    {"210.16.54.2", Task::None},
    {"192.168.50.1", Task::Host50_1Reached},
    {"192.168.50.8", Task::Host50_8Reached},
    {"192.168.10.1", Task::Host10_1Reached},
    {"192.168.10.20", Task::Host10_20Reached},
};

// The tasks an answered ping to the address earns, in the order earned.
std::vector<Task> TasksOfReaching(const Address& to) {
    if (to.reachedTask == Task::None) return {Task::PingAnswered};
    return {to.reachedTask, Task::PingAnswered};
}

std::vector<std::string> NotesOf(const std::vector<Task>& tasks) {
    std::vector<std::string> notes;
    for (Task task : tasks) notes.emplace_back(TaskMessage(task));
    return notes;
}

// The tasks whose entries a command changed: set, or set where they were not.
std::vector<int> Changed(const TaskTable& before, const TaskTable& after) {
    std::vector<int> changed;
    for (int task = 1; task <= kTaskCount; ++task)
        if (before[static_cast<std::size_t>(task)] != after[static_cast<std::size_t>(task)])
            changed.push_back(task);
    return changed;
}

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
            const Address& to = kAddresses[i];
            const TaskTable before = sim.Tasks();
            TypeCommand(sim, std::string("ping ") + to.address);
            const bool reached = state.reached[i] == 'x';
            const std::vector<Task> earned = reached ? TasksOfReaching(to) : std::vector<Task>{};
            // The answer's last line stands just above the next prompt.
            EXPECT_EQ(sim.Lines()[InputLine - 1], reached ? "Success rate is 100 percent (5/5)"
                                                          : "Success rate is 0 percent (0/5)")
                << state.name << ", ping " << to.address;
            EXPECT_EQ(sim.Lines()[InputLine - 3],
                      std::string("Sending 5, 100-byte ICMP Echoes to ") + to.address +
                          ", timeout is 2 seconds:")
                << state.name;
            // The notes of the tasks earned, and the entries of those not
            // earned before set to 1, no other.
            EXPECT_EQ(sim.StripNotes(), NotesOf(earned))
                << state.name << ", ping " << to.address << ": the tasks' notes";
            std::vector<int> newlyEarned;
            for (Task task : earned) {
                EXPECT_EQ(sim.Tasks()[static_cast<std::size_t>(Number(task))], 1)
                    << state.name << ", ping " << to.address << ": task " << Number(task);
                if (before[static_cast<std::size_t>(Number(task))] != 1)
                    newlyEarned.push_back(Number(task));
            }
            std::sort(newlyEarned.begin(), newlyEarned.end());
            EXPECT_EQ(Changed(before, sim.Tasks()), newlyEarned)
                << state.name << ", ping " << to.address << ": the task entries changed";
        }
    }
}

}  // namespace
}  // namespace pellix
