// A learner's files as one download for the instructor: a zip archive.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace pellix::serve {

// The plain files of the learner's folder (not hidden ones, not links, not
// folders, not the PIN file with its hash) as a zip archive, each file in a
// folder of the learner's name.
// Nothing, with the reason in `error`, when the archive cannot be made.
std::optional<std::string> LearnerArchive(const std::filesystem::path& folder, std::string& error);

}  // namespace pellix::serve
