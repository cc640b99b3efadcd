// What the hardening tests share beyond the test support library: a startup
// configuration with the TFTP server in reach, a download from it, and
// whether file permissions stop this process.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "support/Files.h"
#include "support/Tasks.h"
#include "support/TempFolder.h"
#include "support/Typing.h"

namespace pellix::hardening {

namespace fs = std::filesystem;
using support::ConfigFile;
using support::EntryOf;
using support::ReadFile;
using support::ScoreFileText;
using support::TempFolder;
using support::TypeCommand;
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

// "copy tftp running-config" from the server in reach, with the file name
// given and the load confirmed.
inline void Download(Sim& sim, std::string_view name) {
    for (std::string_view answer : {std::string_view("copy tftp running-config"),
                                    std::string_view("172.10.0.10"), name, std::string_view()})
        TypeCommand(sim, answer);
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
