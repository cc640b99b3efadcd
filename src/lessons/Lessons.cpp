#include "lessons/Lessons.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace pellix {

namespace {

// Each fits the terminal's progress view: at most kMaxTaskTitle characters.
constexpr std::array<std::string_view, kTaskCount + 1> kTitles = {
    "",
    "Enter configuration mode",          // 1
    "Name the router R1",                // 2
    "Set the enable password",           // 3
    "Set the enable secret",             // 4
    "Set the console password",          // 5
    "Show the command history",          // 6
    "Show the router's version",         // 7
    "Set the vty password",              // 8
    "Remove the enable password",        // 9
    "Remove the enable secret",          // 10
    "Save running to startup config",    // 11
    "Load startup into running config",  // 12
    "Ask for help with ?",               // 13
    "Address the Ethernet interface",    // 14
    "Bring the Ethernet interface up",   // 15
    "Address the serial interface",      // 16
    "Bring the serial interface up",     // 17
    "Set the serial bandwidth",          // 18
    "Set the DCE clock rate",            // 19
    "Back up the config by TFTP",        // 20
    "Load the config by TFTP",           // 21
    "Static route to 192.168.10.0",      // 22
    "Static route to 192.168.50.0",      // 23
    "Remove route to 192.168.10.0",      // 24
    "Remove route to 192.168.50.0",      // 25
    "Turn RIP on",                       // 26
    "Turn RIP off",                      // 27
    "Turn IGRP on",                      // 28
    "Turn IGRP off",                     // 29
    "Add network 210.16.54.0",           // 30
    "Add network 172.10.0.0",            // 31
    "Show the running config",           // 32
    "Show config with access groups",    // 33
    "Ping any address successfully",     // 34
    "List 3: deny 192.168.50.20",        // 35
    "List 3: permit the rest",           // 36
    "Apply list 3 to Ethernet0",         // 37
    "List 101: deny web from 172.10",    // 38
    "List 101: permit the rest",         // 39
    "Apply list 101 to Serial0",         // 40
    "Show the Ethernet interface",       // 41
    "Show the serial interface",         // 42
    "Show the routing table",            // 43
    "Show the access lists",             // 44
    "Leave configuration with Ctrl-Z",   // 45
    "Ping Router2 at 192.168.50.1",      // 46
    "Ping ServerX at 192.168.50.8",      // 47
    "Ping Router2 at 192.168.10.1",      // 48
    "Ping HostZ at 192.168.10.20",       // 49
    "Look at the network plan",          // 50
};

struct TaskPlace {
    const Lesson* lesson = nullptr;
    int order = 0;  // where the lessons earn it, from 0
};

struct LessonIndex {
    std::array<TaskPlace, kTaskCount + 1> places{};
    std::vector<int> order;
};

const LessonIndex& Index() {
    static const LessonIndex index = [] {
        LessonIndex built;
        for (const Lesson& lesson : Lessons()) {
            for (const LessonBlock& block : lesson.blocks) {
                for (int task : BlockTasks(block)) {
                    if (task < 1 || task > kTaskCount) continue;
                    TaskPlace& place = built.places[static_cast<std::size_t>(task)];
                    if (place.lesson != nullptr) continue;  // the first block that earns it
                    place.lesson = &lesson;
                    place.order = static_cast<int>(built.order.size());
                    built.order.push_back(task);
                }
            }
        }
        return built;
    }();
    return index;
}

}  // namespace

std::string_view TaskTitle(int task) {
    if (task < 1 || task > kTaskCount) return {};
    return kTitles[static_cast<std::size_t>(task)];
}

const Lesson* LessonOfTask(int task) {
    if (task < 1 || task > kTaskCount) return nullptr;
    return Index().places[static_cast<std::size_t>(task)].lesson;
}

std::string TaskAnchor(int task) {
    return "task-" + std::to_string(task);
}

std::span<const int> TasksInLessonOrder() {
    return Index().order;
}

bool TaskDone(const TaskTable& tasks, int task) {
    if (task < 1 || task > kTaskCount) return false;
    return tasks[static_cast<std::size_t>(task)].value_or(0) != 0;
}

int NextTask(const TaskTable& tasks) {
    for (int task : TasksInLessonOrder())
        if (!TaskDone(tasks, task)) return task;
    return 0;
}

int TasksDone(const TaskTable& tasks) {
    int done = 0;
    for (int task = 1; task <= kTaskCount; ++task) done += TaskDone(tasks, task) ? 1 : 0;
    return done;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<LessonInput> BlockInputs(const LessonBlock& block) {
    static constexpr std::array<std::pair<std::string_view, LessonInput::Kind>, 4> kKeys = {{
        {"?", LessonInput::Kind::HelpKey},
        {"Ctrl-Z", LessonInput::Kind::CtrlZ},
        {"Show Network Plan", LessonInput::Kind::ShowPlan},
        {"Close", LessonInput::Kind::ClosePlan},
    }};
    std::vector<LessonInput> inputs;
    for (std::string_view line : SplitLines(block.type)) {
        LessonInput input{LessonInput::Kind::Command, line};
        if (line.size() > 2 && line.front() == '{' && line.back() == '}') {
            std::string_view name = line.substr(1, line.size() - 2);
            for (const auto& [key, kind] : kKeys)
                if (key == name) input = {kind, key};
        }
        inputs.push_back(input);
    }
    return inputs;
}

std::vector<int> BlockTasks(const LessonBlock& block) {
    std::vector<int> tasks;
    std::string_view text = block.tasks;
    while (!text.empty()) {
        std::size_t start = text.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        text.remove_prefix(start);
        int task = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), task);
        if (error != std::errc()) break;
        tasks.push_back(task);
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    }
    return tasks;
}

std::string PlainText(std::string_view text) {
    std::string plain;
    for (char c : text)
        if (c != '`') plain += c;
    return plain;
}

std::vector<Topic> TopicsBefore(const Lesson& lesson) {
    std::vector<Topic> topics;
    for (const Topic& topic : Topics())
        if (topic.before == lesson.anchor) topics.push_back(topic);
    return topics;
}

}  // namespace pellix
