#include "state/StartupConfig.h"

#include "console/Command.h"
#include "state/ConfigFile.h"

namespace pellix {

namespace {

std::string FailureLine(std::string_view verb, FileError error) {
    return "%Error " + std::string(verb) + " " + std::string(kStartupConfigFile) + " (" +
           std::string(Describe(error)) + ")";
}

}  // namespace

FileWrite SaveSlotsToFile(Command& command, std::string_view name) {
    return ReplaceFileAtomically(command.File(name), WriteConfigText(command.Slots()));
}

FileError LoadSlotsFromFile(Command& command, std::string_view name) {
    FileRead read = ReadWholeFile(command.File(name));
    if (!read.data) return read.error;
    std::optional<SavedSlots> saved = ReadConfigText(*read.data);
    if (!saved) return FileError::TooShort;
    command.LoadSlots(std::move(*saved));
    return FileError::None;
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

void ResetConfig(Command& command) {
    command.ClearSlots();
    command.SetSlot(slot::Hostname, "Router");
    command.PrintLine();
    command.PrintLine("Router configurations have been reset.");
    command.PrintLine();
}

}  // namespace pellix
