// Where the interactive front ends keep the learner's files: the folder given
// with --dir, else $XDG_DATA_HOME/pellix (default ~/.local/share/pellix).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace pellix {

// The learner's data folder for the given --dir (if any) and environment.
std::filesystem::path LearnerFolder(const std::optional<std::filesystem::path>& dir);

// Creates the folder when it is missing and places the delivered
// "router1.cfg" (the router right after "reset config") in it when it has
// none. Returns an error text, or "" when the folder is ready.
std::string PrepareLearnerFolder(const std::filesystem::path& folder);

// The delivered "router1.cfg": line 1 "Router", lines 2 to 100 empty.
std::string DeliveredStartupConfig();

}  // namespace pellix
