// What the hardening tests share beyond the test support library: a startup
// configuration with the TFTP server in reach, and whether file permissions
// stop this process.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/Files.h"
#include "support/Tasks.h"
#include "support/TempFolder.h"
#include "support/Typing.h"

namespace pellix::hardening {

namespace fs = std::filesystem;
using support::Command;
using support::ConfigFile;
using support::EntryOf;
using support::ReadFile;
using support::ScoreFileText;
using support::TempFolder;
using support::WriteFile;

// A startup configuration whose Ethernet0 is addressed and up, so that the
// TFTP server (172.10.0.10) is reached.
inline ConfigFile ServerInReach() {
    ConfigFile file;
    file.Set(slot::Hostname, "Router");
    file.Set(slot::Ethernet0Address, "172.10.0.1");
    file.Set(slot::Ethernet0Up, "no");
    return file;
}

// Records 1 to n of a score file, each with the entry 1.
inline std::map<int, std::string> Ones(int n) {
    std::map<int, std::string> fields;
    for (int task = 1; task <= n; ++task) fields[task] = "1";
    return fields;
}

inline bool RunningAsRoot() {
    return ::geteuid() == 0;
}

}  // namespace pellix::hardening
