// A task's entry in a task table (the router's, or one read from
// "user.dat"), by the task's name.
#pragma once

#include <cstddef>

#include "scoring/TaskTable.h"

namespace pellix::support {

inline const TaskEntry& EntryOf(const TaskTable& tasks, Task task) {
    return tasks[static_cast<std::size_t>(Number(task))];
}
inline TaskEntry& EntryOf(TaskTable& tasks, Task task) {
    return tasks[static_cast<std::size_t>(Number(task))];
}

}  // namespace pellix::support
