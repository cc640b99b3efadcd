// pellix-serve's command line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pellix::serve {

inline constexpr char kSynopsis[] =
    "pellix-serve [--dir DIR] [--listen ADDR] [--port N] [--ssh-port N] [--web-port N] "
    "[--class-password FILE] "
    "[--max-sessions N] [--idle-timeout SECONDS] [--login-timeout SECONDS] [--max-logins N] "
    "[--max-logins-per-address N] [--keep-minutes N] [--allow-open]";

inline constexpr char kUsage[] =
    "Usage: pellix-serve [--dir DIR] [--listen ADDR] [--port N] [--ssh-port N]\n"
    "                    [--web-port N] [--class-password FILE] [--max-sessions N]\n"
    "                    [--idle-timeout SECONDS] [--login-timeout SECONDS]\n"
    "                    [--max-logins N] [--max-logins-per-address N]\n"
    "                    [--keep-minutes N] [--allow-open]\n"
    "The router console for a whole classroom over telnet and SSH, with a\n"
    "scoreboard for the instructor over HTTP. A learner name belongs to whoever\n"
    "first chooses a PIN (4 to 12 digits) for it; the scoreboard resets a PIN.\n"
    "Over SSH, the learner's name is the user name; the class password and the\n"
    "PIN are asked as the client's prompts.\n"
    "  --dir DIR               one folder per learner in DIR (default:\n"
    "                          $XDG_DATA_HOME/pellix/classroom or\n"
    "                          ~/.local/share/pellix/classroom)\n"
    "  --listen ADDR           the address the listeners bind to (default 127.0.0.1);\n"
    "                          another than this machine's own needs --class-password\n"
    "                          or --allow-open\n"
    "  --port N                the telnet port (default 2323)\n"
    "  --ssh-port N            the SSH port (default 2222; 0: no SSH); the host\n"
    "                          key is made in DIR on the first start\n"
    "  --web-port N            the scoreboard's HTTP port (default 8023)\n"
    "  --class-password FILE   ask for the password on FILE's first line first\n"
    "                          (default: the credential class-password in\n"
    "                          $CREDENTIALS_DIRECTORY, when there is one)\n"
    "  --max-sessions N        learners logged in at once (default 200)\n"
    "  --idle-timeout SECONDS  end a session after so long without a key\n"
    "                          (default 1800; 0: never)\n"
    "  --login-timeout SECONDS close a connection not logged in so long after it\n"
    "                          came, whatever it types (default 30)\n"
    "  --max-logins N          connections logging in at once (default 50)\n"
    "  --max-logins-per-address N\n"
    "                          of those, from one client address (default 10)\n"
    "  --keep-minutes N        keep a dropped learner's running router so long for\n"
    "                          the next login with the PIN (default 10; 0: none)\n"
    "  --allow-open            let others in without a class password\n"
    "  -h, --help              show this help\n"
    "  -V, --version           show the version\n";

inline constexpr int kDefaultPort = 2323;
inline constexpr int kDefaultWebPort = 8023;
inline constexpr int kDefaultSshPort = 2222;
inline constexpr int kDefaultMaxSessions = 200;
inline constexpr int kDefaultIdleTimeout = 1800;
inline constexpr int kDefaultLoginTimeout = 30;
inline constexpr int kDefaultMaxLogins = 50;
inline constexpr int kDefaultMaxLoginsPerAddress = 10;
inline constexpr int kDefaultKeepMinutes = 10;

struct Options {
    std::optional<std::filesystem::path> dir;
    std::string listen = "127.0.0.1";
    int port = kDefaultPort;
    int webPort = kDefaultWebPort;
    int sshPort = kDefaultSshPort;  // 0: no SSH listener
    std::optional<std::filesystem::path> classPassword;
    int maxSessions = kDefaultMaxSessions;
    int idleTimeout = kDefaultIdleTimeout;
    int loginTimeout = kDefaultLoginTimeout;
    int maxLogins = kDefaultMaxLogins;
    int maxLoginsPerAddress = kDefaultMaxLoginsPerAddress;
    int keepMinutes = kDefaultKeepMinutes;
    bool allowOpen = false;
    bool help = false;
    bool version = false;
    std::string error;  // what is wrong with the command line, or ""
};

// The class password may come from the service manager instead: the
// credential "class-password" in `credentialsDirectory` ($CREDENTIALS_DIRECTORY
// under systemd), when the command line names no file.
inline constexpr char kPasswordCredential[] = "class-password";
Options ParseOptions(const std::vector<std::string>& args,
                     const char* credentialsDirectory = nullptr);

// Whether the address reaches this machine only (127.0.0.0/8, ::1, localhost).
bool LoopbackOnly(const std::string& listen);

// DIR's default: the "classroom" folder in the XDG data folder of pellix.
std::filesystem::path ClassroomFolder(const std::optional<std::filesystem::path>& dir);

}  // namespace pellix::serve
