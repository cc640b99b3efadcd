// Opening the lessons page in the learner's web browser at a task's step.
// Browsers are handed a small page of our own that forwards to the step,
// since openers drop the "#task-N" of a file address on the way.
#pragma once

#include <QUrl>
#include <filesystem>
#include <functional>

namespace pellix::gui {

// What opens an address in the learner's browser; tests replace it.
using UrlOpener = std::function<bool(const QUrl&)>;
UrlOpener& LessonsUrlOpener();

// Opens readme.htm in the folder at the step of the task (0: the top).
// Returns false when the page is missing or no browser could be started.
bool OpenLessons(const std::filesystem::path& folder, int task);

}  // namespace pellix::gui
