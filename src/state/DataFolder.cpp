#include "state/DataFolder.h"

#include <cstdlib>
#include <system_error>

#include "state/ConfigFile.h"
#include "state/Files.h"
#include "state/StartupConfig.h"

namespace pellix {

std::filesystem::path LearnerFolder(const std::optional<std::filesystem::path>& dir) {
    if (dir) return *dir;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return std::filesystem::path(xdg) / "pellix";
    const char* home = std::getenv("HOME");
    std::filesystem::path base = home && *home ? home : ".";
    return base / ".local" / "share" / "pellix";
}

std::string DeliveredStartupConfig() {
    ConfigSlotTable slots;
    slots[slot::Hostname] = "Router";
    return WriteConfigText(slots);
}

FolderCreation CreationFor(const std::optional<std::filesystem::path>& dir) {
    return dir ? FolderCreation::LastOnly : FolderCreation::WithParents;
}

std::string PrepareLearnerFolder(const std::filesystem::path& folder, FolderCreation creation) {
    std::error_code ec;
    if (creation == FolderCreation::LastOnly && !std::filesystem::exists(folder, ec)) {
        // "a/b/" names the folder b, whose parent is a.
        const std::filesystem::path named = folder.has_filename() ? folder : folder.parent_path();
        const std::filesystem::path parent = named.parent_path();
        if (!parent.empty() && !std::filesystem::is_directory(parent, ec))
            return "cannot create the folder " + folder.string() + ": its parent folder " +
                   parent.string() + " does not exist";
    }
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec))
        return "cannot create the folder " + folder.string();
    std::filesystem::path config = folder / kStartupConfigFile;
    if (!std::filesystem::exists(config, ec)) {
        FileError error = ReplaceFileAtomically(config, DeliveredStartupConfig()).error;
        if (error != FileError::None)
            return "cannot write " + config.string() + ": " + std::string(Describe(error));
    }
    return {};
}

}  // namespace pellix
