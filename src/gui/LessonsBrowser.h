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

// Told when the desktop's opener, started, could not open the page after all
// (xdg-open ended with an error: no web browser, say); the main window says
// so, since the opener's own words go to a standard error nobody reads.
using OpenFailed = std::function<void()>;
OpenFailed& LessonsOpenFailed();

// Opens readme.htm in the folder at the step of the task (0: the top).
// Returns false when the page is missing or no browser could be started.
bool OpenLessons(const std::filesystem::path& folder, int task);

}  // namespace pellix::gui
