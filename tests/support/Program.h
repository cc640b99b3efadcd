// A program run as a learner runs it from a shell: what it printed on its
// standard output and error, and how it ended.
#pragma once

#include <filesystem>
#include <string>

#include "support/TempFolder.h"

namespace pellix::support {

struct ProgramRun {
    int status = -1;  // the exit status; -1 when it did not exit by itself
    std::string out;
    std::string err;
};

// The path quoted for the shell.
std::string ShellQuoted(const std::filesystem::path& path);

// Runs the shell command line; its standard error goes through a file in
// the folder's parent, so that the working folder holds only what the
// program wrote there.
ProgramRun RunShell(const std::string& command, const TempFolder& folder);

}  // namespace pellix::support
