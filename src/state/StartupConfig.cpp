#include "state/StartupConfig.h"

#include "console/Sim.h"
#include "state/ConfigFile.h"

namespace pellix {

namespace {

std::string FailureLine(std::string_view verb, FileError error) {
    return "%Error " + std::string(verb) + " " + std::string(kStartupConfigFile) + " (" +
           std::string(Describe(error)) + ")";
}

}  // namespace

FileWrite SaveSlotsToFile(Sim& sim, std::string_view name) {
    return ReplaceFileAtomically(sim.FileInFolder(name), WriteConfigText(sim.ConfigSlots));
}

FileError LoadSlotsFromFile(Sim& sim, std::string_view name) {
    FileRead read = ReadWholeFile(sim.FileInFolder(name));
    if (!read.data) return read.error;
    std::optional<SavedSlots> saved = ReadConfigText(*read.data);
    if (!saved) return FileError::TooShort;
    StoreSavedSlots(sim.ConfigSlots, std::move(*saved));
    return FileError::None;
}

void CopyRunningToStartup(Sim& sim) {
    FileWrite saved = SaveSlotsToFile(sim, kStartupConfigFile);
    // As the router, which reports building only once it has opened the file.
    if (saved.opened) sim.PrintLine("Building Configuration...");
    if (saved.error != FileError::None) {
        sim.PrintLine(FailureLine("writing", saved.error));
        return;
    }
    sim.PrintLine("[OK]");
    sim.AwardTask(11);
}

std::string LoadStartupConfig(Sim& sim) {
    sim.NewLine();
    FileError error = LoadSlotsFromFile(sim, kStartupConfigFile);
    return error == FileError::None ? std::string() : FailureLine("opening", error);
}

void CopyStartupToRunning(Sim& sim) {
    std::string error = LoadStartupConfig(sim);
    if (!error.empty()) {
        sim.PrintLine(error);
        return;
    }
    sim.AwardTask(12);
}

void ResetConfig(Sim& sim) {
    for (std::string& text : sim.ConfigSlots) text.clear();
    sim.Slot(slot::Hostname) = "Router";
    sim.NewLine();
    sim.PrintLine("Router configurations have been reset.");
    sim.NewLine();
}

}  // namespace pellix
