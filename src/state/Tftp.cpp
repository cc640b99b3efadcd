// The TFTP copy dialogs, modes 10 to 14: "copy running-config tftp" asks the
// host (10) and the file name (11), then writes the slots to the file;
// "copy tftp running-config" asks the host (12), the file name (13) and a
// confirmation (14), then loads the file. The server is the working folder;
// the file-name rule admits only letters, digits, "-", "_" and "`", so no
// accepted name can reach outside the folder.
#include <string>

#include "console/Modes.h"
#include "console/Sim.h"
#include "state/StartupConfig.h"

namespace pellix {

namespace {

enum TftpStatusValue { kBadHost = 0, kHostAccepted = 1, kBadName = 2 };

constexpr std::string_view kServer = "172.10.0.10";
constexpr std::string_view kCopied = "1299 bytes copied in 1.132 secs (1299 bytes/sec)";

bool HostAccepted(const Sim& sim) {
    return sim.CommandText == kServer && !sim.Slot(slot::Ethernet0Address).empty() &&
           sim.Slot(slot::Ethernet0Up) == "no";
}

// An empty answer takes the default name (which ends in "-config").
void DefaultFileName(Sim& sim) {
    if (sim.CommandText.empty()) sim.CommandText = sim.Slot(slot::Hostname) + "-config";
}

void CheckTftpFileName(Sim& sim) {
    if (!TftpFileNameAccepted(sim.CommandText)) sim.TftpStatus = kBadName;
}

void AskUploadHost(Sim& sim) {
    sim.TftpStatus = HostAccepted(sim) ? kHostAccepted : kBadHost;
    sim.mode = sim.CommandText == "exit" ? Mode::PrivilegedExec : Mode::UploadFile;
}

void UploadRunningConfig(Sim& sim) {
    DefaultFileName(sim);
    CheckTftpFileName(sim);
    if (sim.TftpStatus == kBadHost || sim.TftpStatus == kBadName) {
        sim.PrintLine(".....");
        sim.PrintLine(sim.TftpStatus == kBadHost
                          ? "%Error opening tftp://switch8-confg (Bad host)"
                          : "%Error opening tftp://172.10.0.10/typed (Bad Name)");
        sim.mode = Mode::PrivilegedExec;
        return;
    }
    sim.PrintLine("!!");
    if (SaveSlotsToFile(sim, sim.CommandText).error != FileError::None) {
        sim.PrintLine("Unable to write file.");
        return;
    }
    sim.PrintLine(kCopied);
    sim.mode = Mode::PrivilegedExec;
    sim.AwardTask(20);
}

void AskDownloadHost(Sim& sim) {
    if (HostAccepted(sim)) {
        sim.TftpStatus = kHostAccepted;
        sim.mode = Mode::DownloadFile;
    }
    if (sim.CommandText == "exit") sim.mode = Mode::PrivilegedExec;
}

void AskDownloadFileName(Sim& sim) {
    DefaultFileName(sim);
    CheckTftpFileName(sim);
    sim.TftpFileName = sim.CommandText;
    sim.mode = Mode::DownloadConfirm;
}

void DownloadRunningConfig(Sim& sim) {
    if (sim.CommandText.starts_with('n')) {
        sim.mode = Mode::PrivilegedExec;
        return;
    }
    if (sim.TftpStatus == kBadName) {
        sim.PrintLine(".....");
        sim.PrintLine("%Error opening tftp://172.10.0.10/" + sim.TftpFileName + " (Bad Name)");
        sim.mode = Mode::PrivilegedExec;
        return;
    }
    sim.PrintLine("!!");
    if (LoadSlotsFromFile(sim, sim.TftpFileName) != FileError::None) {
        sim.PrintLine("Unable to open file: " + sim.TftpFileName);
        return;
    }
    sim.PrintLine(kCopied);
    sim.mode = Mode::PrivilegedExec;
    sim.AwardTask(21);
}

constexpr Row kUploadHost[] = {AnyCommand(Call(AskUploadHost))};
constexpr Row kUploadFile[] = {AnyCommand(Call(UploadRunningConfig))};
constexpr Row kDownloadHost[] = {AnyCommand(Call(AskDownloadHost))};
constexpr Row kDownloadFile[] = {AnyCommand(Call(AskDownloadFileName))};
constexpr Row kDownloadConfirm[] = {AnyCommand(Call(DownloadRunningConfig))};

}  // namespace

bool TftpFileNameAccepted(std::string_view name) {
    for (unsigned char c : name) {
        bool refused = c < '-' || c > 'z' || (c >= ':' && c <= '@') || (c >= '[' && c <= '^') ||
                       c == '.' || c == '/';
        if (refused) return false;
    }
    return true;
}

constinit const ModeDef kUploadHostMode{
    Mode::UploadHost, "Address or name of remote host []?", false, "", kUploadHost, false, {}};
constinit const ModeDef kUploadFileMode{
    Mode::UploadFile, "Destination filename [", true, "-confg]?", kUploadFile, false, {}};
constinit const ModeDef kDownloadHostMode{Mode::DownloadHost,
                                          "Address of remote host [255.255.255.255]?",
                                          false,
                                          "",
                                          kDownloadHost,
                                          false,
                                          {}};
constinit const ModeDef kDownloadFileMode{
    Mode::DownloadFile, "Name of configuration file [", true, "-confg]?", kDownloadFile, false, {}};
constinit const ModeDef kDownloadConfirmMode{
    Mode::DownloadConfirm,
    "Configure using router1-confg from 255.255.255.255? [confirm]",
    false,
    "",
    kDownloadConfirm,
    false,
    {}};

}  // namespace pellix
