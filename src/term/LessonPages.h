// The learner's guides in the terminal, as pages over the console like the
// network plan: F1 the steps of the lesson of the next task to do, with the
// lessons page's path; F3 the progress through the 50 tasks, which fits 80x23.
#pragma once

#include <filesystem>

#include "console/Sim.h"
#include "scoring/TaskTable.h"
#include "term/Layout.h"

namespace pellix::term {

Page LessonPage(const TaskTable& tasks, const std::filesystem::path& page);
Page ProgressPage(const TaskTable& tasks);

// The same for the router's task table and folder, for the function keys.
Page LessonPageOf(const Sim& sim);
Page ProgressPageOf(const Sim& sim);

}  // namespace pellix::term
