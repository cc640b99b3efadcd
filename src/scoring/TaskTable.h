// The 50 exercise tasks: their names, the table of completed tasks, the note
// each award prints into the status strip, and the score.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace pellix {

inline constexpr int kTaskCount = 50;

// Every task by what the learner did to earn it. The numbers are the ones
// the learner sees (the lessons, the progress window, "user.dat"), so each
// keeps its number; the note each prints is in the task table of
// TaskTable.cpp.
enum class Task : std::uint8_t {
    None = 0,  // no task
    ConfigModeEntered = 1,
    HostnameConfigured = 2,
    EnablePasswordSet = 3,
    EnableSecretSet = 4,
    ConsolePasswordSet = 5,
    HistoryShown = 6,
    VersionShown = 7,
    VtyPasswordSet = 8,
    EnablePasswordRemoved = 9,
    EnableSecretRemoved = 10,
    RunningConfigSaved = 11,
    StartupConfigLoaded = 12,
    HelpListed = 13,
    Ethernet0Addressed = 14,
    Ethernet0Enabled = 15,
    Serial0Addressed = 16,
    Serial0Enabled = 17,
    Serial0BandwidthSet = 18,
    Serial0ClockRateSet = 19,
    ConfigUploaded = 20,
    ConfigDownloaded = 21,
    RouteTo10Added = 22,
    RouteTo50Added = 23,
    RouteTo10Removed = 24,
    RouteTo50Removed = 25,
    RipEnabled = 26,
    RipDisabled = 27,
    IgrpEnabled = 28,
    IgrpDisabled = 29,
    SerialNetworkAdded = 30,
    EthernetNetworkAdded = 31,
    RunningConfigShown = 32,
    RunningConfigShownWithList101 = 33,  // "show run" reaching list 101 on Serial0
    PingAnswered = 34,
    List3DenyAdded = 35,
    List3PermitAdded = 36,
    List3Applied = 37,
    List101DenyAdded = 38,
    List101PermitAdded = 39,
    List101Applied = 40,
    Ethernet0Shown = 41,
    Serial0Shown = 42,
    RoutesShown = 43,
    AccessListsShown = 44,
    CtrlZPressed = 45,  // its note says "Configuration saved"
    Host50_1Reached = 46,
    Host50_8Reached = 47,
    Host10_1Reached = 48,
    Host10_20Reached = 49,
    NetworkPlanShown = 50,
};

namespace task {
using enum Task;
}  // namespace task

constexpr int Number(Task task) {
    return static_cast<int>(task);
}

// Entry n belongs to task n (entry 0 to none): empty, or the number the
// learner's score file or the router stored there.
using TaskEntry = std::optional<std::int16_t>;
using TaskTable = std::array<TaskEntry, kTaskCount + 1>;

// The note of task 1 to 50; empty for any other number.
std::string_view TaskMessage(int task);
inline std::string_view TaskMessage(Task task) {
    return TaskMessage(Number(task));
}

// The sum of all entries, an empty one counting 0. Never overflows.
long SumTasks(const TaskTable& tasks);

// "Score: " with the sign position (a blank, or "-") and the digits.
std::string ScoreCaption(long score);

}  // namespace pellix
