#include "scoring/TaskTable.h"

#include <cstdlib>
#include <iterator>
#include <string>

namespace pellix {

namespace {

// The one task table: every task with the note its award prints, in the
// order of the tasks' numbers.
struct TaskRow {
    Task task;
    std::string_view note;
};

constexpr TaskRow kTasks[] = {
    {task::ConfigModeEntered, "Entered configuration mode"},
    {task::HostnameConfigured, "Hostname configured"},
    {task::EnablePasswordSet, "Enable password set"},
    {task::EnableSecretSet, "Secret password set"},
    {task::ConsolePasswordSet, "Console Password set"},
    {task::HistoryShown, "Show history executed"},
    {task::VersionShown, "Show version executed"},
    {task::VtyPasswordSet, "VTY password set"},
    {task::EnablePasswordRemoved, "Enable password disabled"},
    {task::EnableSecretRemoved, "Secret password disabled"},
    {task::RunningConfigSaved, "Running-config copied to startup-config"},
    {task::StartupConfigLoaded, "Startup-config copied to running-config"},
    {task::HelpListed, "Help commands displayed"},
    {task::Ethernet0Addressed, "IP address configured on ethernet interface"},
    {task::Ethernet0Enabled, "Ethernet interface enabled"},
    {task::Serial0Addressed, "IP address configured on serial interface"},
    {task::Serial0Enabled, "Serial interface enabled"},
    {task::Serial0BandwidthSet, "Serial bandwidth configured"},
    {task::Serial0ClockRateSet, "Serial DCE clock rate set"},
    {task::ConfigUploaded, "TFTP write sucessful"},
    {task::ConfigDownloaded, "TFTP file loaded"},
    {task::RouteTo10Added, "IP static route configured"},
    {task::RouteTo50Added, "IP static route configured"},
    {task::RouteTo10Removed, "IP static route removed"},
    {task::RouteTo50Removed, "IP static route removed"},
    {task::RipEnabled, "RIP configuration enabled"},
    {task::RipDisabled, "RIP configuration disabled"},
    {task::IgrpEnabled, "IGRP configuration enabled"},
    {task::IgrpDisabled, "IGRP configuration disabled"},
    {task::SerialNetworkAdded, "Network successfully added"},
    {task::EthernetNetworkAdded, "Network successfully added"},
    {task::RunningConfigShown, "Running-Config shown"},
    {task::RunningConfigShownWithList101, "Running config shown"},
    {task::PingAnswered, "Ping successful"},
    {task::List3DenyAdded, "Access list entry added"},
    {task::List3PermitAdded, "Access list entry added"},
    {task::List3Applied, "Access list applied"},
    {task::List101DenyAdded, "Access list entry added"},
    {task::List101PermitAdded, "Access list entry added"},
    {task::List101Applied, "Access list applied"},
    {task::Ethernet0Shown, "Ethernet settings displayed"},
    {task::Serial0Shown, "Serial settings displayed"},
    {task::RoutesShown, "IP routing information displayed"},
    {task::AccessListsShown, "Access lists displayed"},
    {task::CtrlZPressed, "Configuration saved"},
    {task::Host50_1Reached, "Ping successful"},
    {task::Host50_8Reached, "Ping successful"},
    {task::Host10_1Reached, "Ping successful"},
    {task::Host10_20Reached, "Ping successful"},
    {task::NetworkPlanShown, "Network Plan displayed"},
};

constexpr bool ListsEveryTaskOnceInOrder() {
    if (std::size(kTasks) != kTaskCount) return false;
    for (int k = 0; k < kTaskCount; ++k)
        if (Number(kTasks[k].task) != k + 1) return false;
    return true;
}
static_assert(ListsEveryTaskOnceInOrder(), "the task table must list tasks 1 to 50 in order");

}  // namespace

std::string_view TaskMessage(int task) {
    if (task < 1 || task > kTaskCount) return {};
    return kTasks[task - 1].note;
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
