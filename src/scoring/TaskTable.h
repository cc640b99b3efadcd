// The 50 exercise tasks: the table of completed tasks, the note each award
// prints into the status strip, and the score.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace pellix {

inline constexpr int kTaskCount = 50;

// Entry n belongs to task n (entry 0 to none): empty, or the number the
// learner's score file or the router stored there.
using TaskEntry = std::optional<std::int16_t>;
using TaskTable = std::array<TaskEntry, kTaskCount + 1>;

// The note of task 1 to 50; empty for any other number.
std::string_view TaskMessage(int task);

// The sum of all entries, an empty one counting 0. Never overflows.
long SumTasks(const TaskTable& tasks);

// "Score: " with the sign position (a blank, or "-") and the digits.
std::string ScoreCaption(long score);

}  // namespace pellix
