#include "state/ImportedFile.h"

#include "scoring/ScoreFile.h"
#include "state/ConfigFile.h"
#include "state/Files.h"
#include "state/StartupConfig.h"

namespace pellix {

std::string CheckImportedFile(std::string_view name, std::string_view data) {
    const std::string quoted = "\"" + std::string(name) + "\"";
    const bool score = name == kScoreFile;
    // An empty name is no file (the TFTP dialogs answer it with their default).
    if (name.empty() || (!score && name != kStartupConfigFile && !TftpFileNameAccepted(name)))
        return quoted +
               " is not a file of the router's (it takes user.dat, router1.cfg and the files "
               "it copied to the TFTP server)";
    if (data.size() > kMaxFileSize) return quoted + " is too large";
    if (data.find('\0') != std::string_view::npos) return quoted + " is not a text file";
    if (score) {
        for (const TaskEntry& entry : ReadScoreText(data))
            if (entry) return {};
        return quoted + " holds no score record";
    }
    if (!ReadConfigText(data)) return quoted + " holds fewer than 100 configuration lines";
    return {};
}

}  // namespace pellix
