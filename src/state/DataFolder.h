// Where the interactive front ends keep the learner's files: the folder given
// with --dir, else $XDG_DATA_HOME/pellix (default ~/.local/share/pellix).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace pellix {

// The learner's data folder for the given --dir (if any) and environment.
std::filesystem::path LearnerFolder(const std::optional<std::filesystem::path>& dir);

// How much of a missing folder's path may be created: all of the default
// folder's; of a folder the learner named, only the last folder, so that a
// typing error in a parent's name is told instead of starting the learner
// over in a new place.
enum class FolderCreation { WithParents, LastOnly };

// How the folder for the given --dir (if any) may be created.
FolderCreation CreationFor(const std::optional<std::filesystem::path>& dir);

// Creates the folder when it is missing and places the delivered
// "router1.cfg" (the router right after "reset config") in it when it has
// none. Returns an error text, or "" when the folder is ready.
std::string PrepareLearnerFolder(const std::filesystem::path& folder,
                                 FolderCreation creation = FolderCreation::WithParents);

// The delivered "router1.cfg": line 1 "Router", lines 2 to 100 empty.
std::string DeliveredStartupConfig();

}  // namespace pellix
