// The TFTP copy dialogs: "copy running-config tftp" asks the host and the
// file name, then writes the slots to the file; "copy tftp running-config"
// asks the host, the file name and a confirmation, then loads the file. The
// server is the working folder; the file-name rule admits only letters,
// digits, "-", "_" and "`", so no accepted name can reach outside the folder.
#include <string>

#include "console/Modes.h"
#include "state/StartupConfig.h"

namespace pellix {

namespace {

constexpr std::string_view kServer = "172.10.0.10";
constexpr std::string_view kCopied = "1299 bytes copied in 1.132 secs (1299 bytes/sec)";

// The file name answered; no answer takes the default name (which ends in
// "-config").
std::string FileNameAnswered(const Command& command) {
    return command.Text().empty() ? command.Slot(slot::Hostname) + "-config" : command.Text();
}

void UploadHostReached(Command& command) {
    command.Dialog().uploadHostReached = true;
}

void UploadHostNotReached(Command& command) {
    command.Dialog().uploadHostReached = false;
}

// The file name of "copy running-config tftp", then the copy: a host that
// was not reached or a refused name ends the dialog with an error; a file
// that cannot be written asks for the name again.
void UploadRunningConfig(Command& command) {
    const std::string name = FileNameAnswered(command);
    const bool nameAccepted = TftpFileNameAccepted(name);
    if (!nameAccepted || !command.Dialog().uploadHostReached) {
        // A refused name is told before an unreachable host.
        command.PrintLine(".....");
        command.PrintLine(nameAccepted ? "%Error opening tftp://switch8-confg (Bad host)"
                                       : "%Error opening tftp://172.10.0.10/typed (Bad Name)");
        command.GoTo(Mode::PrivilegedExec);
        return;
    }
    command.PrintLine("!!");
    if (SaveSlotsToFile(command, name).error != FileError::None) {
        command.PrintLine("Unable to write file.");
        return;
    }
    command.PrintLine(kCopied);
    command.GoTo(Mode::PrivilegedExec);
    command.Award(task::ConfigUploaded);
}

void RememberDownloadFile(Command& command) {
    command.Dialog().downloadFile = FileNameAnswered(command);
}

// The confirmation of "copy tftp running-config", then the copy: a refused
// name ends the dialog with an error; a file that cannot be read asks for the
// confirmation again.
void DownloadRunningConfig(Command& command) {
    const std::string& name = command.Dialog().downloadFile;
    if (!TftpFileNameAccepted(name)) {
        command.PrintLine(".....");
        command.PrintLine("%Error opening tftp://172.10.0.10/" + name + " (Bad Name)");
        command.GoTo(Mode::PrivilegedExec);
        return;
    }
    command.PrintLine("!!");
    if (LoadSlotsFromFile(command, name) != FileError::None) {
        command.PrintLine("Unable to open file: " + name);
        return;
    }
    command.PrintLine(kCopied);
    command.GoTo(Mode::PrivilegedExec);
    command.Award(task::ConfigDownloaded);
}

// The host: "exit" leaves; any other answer goes on to the file name,
// remembering whether it was the server (which answers once Ethernet0 passes
// traffic).
constexpr Row kUploadHost[] = {
    Eq("exit", ToMode(Mode::PrivilegedExec)),
    Eq(kServer, Call(UploadHostReached).ToMode(Mode::UploadFile), Ethernet0Passes),
    AnyCommand(Call(UploadHostNotReached).ToMode(Mode::UploadFile)),
};
// The host: "exit" leaves, the server goes on to the file name, and any
// other answer is asked again.
constexpr Row kDownloadHost[] = {
    Eq("exit", ToMode(Mode::PrivilegedExec)),
    Eq(kServer, ToMode(Mode::DownloadFile), Ethernet0Passes),
};
constexpr Row kDownloadFile[] = {
    AnyCommand(Call(RememberDownloadFile).ToMode(Mode::DownloadConfirm)),
};
// Any answer beginning with "n" declines.
constexpr Row kDownloadConfirm[] = {
    Starts("n", ToMode(Mode::PrivilegedExec)),
    AnyCommand(Call(DownloadRunningConfig)),
};

}  // namespace

constinit const ModeDef kUploadHostMode{
    "Address or name of remote host []?", false, "", kUploadHost, false, {}};
constinit const ModeDef kUploadFileMode =
    AnsweredByCode("Destination filename [", true, "-confg]?", UploadRunningConfig);
constinit const ModeDef kDownloadHostMode{
    "Address of remote host [255.255.255.255]?", false, "", kDownloadHost, false, {}};
constinit const ModeDef kDownloadFileMode{
    "Name of configuration file [", true, "-confg]?", kDownloadFile, false, {}};
constinit const ModeDef kDownloadConfirmMode{
    "Configure using router1-confg from 255.255.255.255? [confirm]",
    false,
    "",
    kDownloadConfirm,
    false,
    {}};

}  // namespace pellix
