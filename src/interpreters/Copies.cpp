// The copies between the running configuration and "router1.cfg", the
// start-up load of that file, and the whole-table moves that the TFTP copies
// share with them.
#include <string>

#include "console/Command.h"
#include "interpreters/Procedures.h"
#include "state/StartupConfig.h"

namespace pellix {

namespace {

std::string FailureLine(std::string_view verb, FileError error) {
    return "%Error " + std::string(verb) + " " + std::string(kStartupConfigFile) + " (" +
           std::string(Describe(error)) + ")";
}

}  // namespace

FileWrite SaveSlotsToFile(Command& command, std::string_view name) {
    return SaveConfigFile(command.File(name), command.Slots());
}

FileError LoadSlotsFromFile(Command& command, std::string_view name) {
    ConfigRead read = LoadConfigFile(command.File(name));
    if (read.slots) command.LoadSlots(std::move(*read.slots));
    return read.error;
}

void CopyRunningToStartup(Command& command) {
    FileWrite saved = SaveSlotsToFile(command, kStartupConfigFile);
    // As the router, which reports building only once it has opened the file.
    if (saved.opened) command.PrintLine("Building Configuration...");
    if (saved.error != FileError::None) {
        command.PrintLine(FailureLine("writing", saved.error));
        return;
    }
    command.PrintLine("[OK]");
    command.Award(task::RunningConfigSaved);
}

std::string LoadStartupConfig(Command& command) {
    command.PrintLine();
    FileError error = LoadSlotsFromFile(command, kStartupConfigFile);
    return error == FileError::None ? std::string() : FailureLine("opening", error);
}

void CopyStartupToRunning(Command& command) {
    std::string error = LoadStartupConfig(command);
    if (!error.empty()) {
        command.PrintLine(error);
        return;
    }
    command.Award(task::StartupConfigLoaded);
}

}  // namespace pellix
