// The lessons page in the learner's data folder: the welcome text tells the
// learner to read readme.htm, so the programs place the installed page beside
// router1.cfg and user.dat, and refresh it when a newer one is installed.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellix {

inline constexpr std::string_view kLessonsPageFile = "readme.htm";

// The running program's file (from /proc/self/exe), or nothing.
std::optional<std::filesystem::path> RunningProgramFile();

// The installed lessons page for the program at programFile: beside an
// installed program (../share/doc/pellix), in the build tree (../readme.htm),
// or where this build installs it. Nothing when none exists.
std::optional<std::filesystem::path> InstalledLessonsPage(const std::filesystem::path& programFile);

// Copies the installed page into the folder when the folder has none or an
// older one (by modification time); the copy takes the installed page's time.
// No other file is touched. Returns an error text, or "" when nothing had to
// be done or the copy succeeded.
std::string PlaceLessonsPage(const std::filesystem::path& folder,
                             const std::filesystem::path& installed);

// The page in the folder, with the place of a task's step: a file URL for a
// browser ("file:///.../readme.htm#task-7"); no anchor for task 0.
std::string LessonsPageUrl(const std::filesystem::path& folder, int task);

}  // namespace pellix
