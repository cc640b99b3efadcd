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

std::string PrepareLearnerFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec))
        return "cannot create the folder " + folder.string();
    std::filesystem::path config = folder / kStartupConfigFile;
    if (!std::filesystem::exists(config, ec)) {
        FileError error = ReplaceFileAtomically(config, DeliveredStartupConfig());
        if (error != FileError::None)
            return "cannot write " + config.string() + ": " + std::string(Describe(error));
    }
    return {};
}

}  // namespace pellix
