#include "scoring/TaskTable.h"

#include <cstdlib>
#include <string>

namespace pellix {

namespace {

constexpr std::array<std::string_view, kTaskCount + 1> kMessages = {
    "",
    "Entered configuration mode",                   // 1
    "Hostname configured",                          // 2
    "Enable password set",                          // 3
    "Secret password set",                          // 4
    "Console Password set",                         // 5
    "Show history executed",                        // 6
    "Show version executed",                        // 7
    "VTY password set",                             // 8
    "Enable password disabled",                     // 9
    "Secret password disabled",                     // 10
    "Running-config copied to startup-config",      // 11
    "Startup-config copied to running-config",      // 12
    "Help commands displayed",                      // 13
    "IP address configured on ethernet interface",  // 14
    "Ethernet interface enabled",                   // 15
    "IP address configured on serial interface",    // 16
    "Serial interface enabled",                     // 17
    "Serial bandwidth configured",                  // 18
    "Serial DCE clock rate set",                    // 19
    "TFTP write sucessful",                         // 20
    "TFTP file loaded",                             // 21
    "IP static route configured",                   // 22
    "IP static route configured",                   // 23
    "IP static route removed",                      // 24
    "IP static route removed",                      // 25
    "RIP configuration enabled",                    // 26
    "RIP configuration disabled",                   // 27
    "IGRP configuration enabled",                   // 28
    "IGRP configuration disabled",                  // 29
    "Network successfully added",                   // 30
    "Network successfully added",                   // 31
    "Running-Config shown",                         // 32
    "Running config shown",                         // 33
    "Ping successful",                              // 34
    "Access list entry added",                      // 35
    "Access list entry added",                      // 36
    "Access list applied",                          // 37
    "Access list entry added",                      // 38
    "Access list entry added",                      // 39
    "Access list applied",                          // 40
    "Ethernet settings displayed",                  // 41
    "Serial settings displayed",                    // 42
    "IP routing information displayed",             // 43
    "Access lists displayed",                       // 44
    "Configuration saved",                          // 45
    "Ping successful",                              // 46
    "Ping successful",                              // 47
    "Ping successful",                              // 48
    "Ping successful",                              // 49
    "Network Plan displayed",                       // 50
};

}  // namespace

std::string_view TaskMessage(int task) {
    if (task < 1 || task > kTaskCount) return {};
    return kMessages[static_cast<std::size_t>(task)];
}

long SumTasks(const TaskTable& tasks) {
    long sum = 0;
    for (const TaskEntry& entry : tasks) sum += entry.value_or(0);
    return sum;
}

std::string ScoreCaption(long score) {
    return std::string("Score: ") + (score < 0 ? "-" : " ") + std::to_string(std::labs(score));
}

}  // namespace pellix
