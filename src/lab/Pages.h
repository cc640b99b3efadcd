// The lab's pages, drawn from the router's state when the learner opens
// them: F1 the steps of the lesson of the next task to do, with the lessons
// page's path; F3 the progress through the 50 tasks; F2 the network plan.
// Each fits the console's 80 columns; the terminal shows them over the
// console, the desktop and the browser in panels of their own.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "console/Sim.h"
#include "lab/Page.h"
#include "scoring/TaskTable.h"

namespace pellix::lab {

// `page` is where the whole lessons page is: its file, or its address on a
// classroom server; the next task's step is named after it ("#task-7").
Page LessonPage(const TaskTable& tasks, std::string_view page);
Page ProgressPage(const TaskTable& tasks);
Page NetworkPlanPage();

// The same for the router's task table and folder, for the function keys.
Page LessonPageOf(const Sim& sim);
Page ProgressPageOf(const Sim& sim);
Page NetworkPlanPageOf(const Sim& sim);

// How many tasks are done, as every progress view says it: "3 of 50 tasks
// done", and when the score label does not count some of them yet (it counts
// at the next prompt), "3 of 50 tasks done (1 counted at the next prompt)".
std::string ProgressCount(const Sim& sim);

}  // namespace pellix::lab
