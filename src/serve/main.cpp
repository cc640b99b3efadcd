// pellix-serve [--dir DIR] [--listen ADDR] [--port N] [--ssh-port N] [--web-port N]
//              [--class-password FILE] [--max-sessions N] [--idle-timeout SECONDS]
//              [--login-timeout SECONDS] [--max-logins N] [--max-logins-per-address N]
//              [--keep-minutes N] [--allow-open]
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "console/About.h"
#include "serve/ClassLock.h"
#include "serve/Classroom.h"
#include "serve/Options.h"
#include "serve/Scoreboard.h"
#include "serve/Server.h"
#include "state/Files.h"
#include "state/LessonsCopy.h"

namespace {

int Fail(const std::string& message) {
    std::cerr << "pellix-serve: " << message << "\n";
    return 1;
}

// The class password: the first line of the file, which must not be empty.
std::optional<std::string> ReadClassPassword(const std::filesystem::path& file,
                                             std::string& error) {
    const pellix::FileRead read = pellix::ReadWholeFile(file);
    if (!read.data) {
        error = "cannot read the class password file " + file.string() + ": " +
                std::string(pellix::Describe(read.error));
        return std::nullopt;
    }
    std::string password = read.data->substr(0, read.data->find_first_of("\r\n"));
    if (password.empty() || password.size() > pellix::serve::kMaxLoginLine) {
        error = "the class password file " + file.string() +
                " needs the password (1 to 256 characters) on its first line";
        return std::nullopt;
    }
    return password;
}

// How others reach the listeners: this machine's name when they listen on
// every address.
std::string HostToReach(const std::string& listen) {
    if (listen != "0.0.0.0" && listen != "::") return listen;
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || !*name) return listen;
    return name;
}

std::string HostForUrl(const std::string& host) {
    return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

// Help, version or a wrong command line: the exit status, or nothing to
// go on.
std::optional<int> AnswerCommandLine(const pellix::serve::Options& options) {
    using namespace pellix::serve;
    if (!options.error.empty()) {
        std::cerr << pellix::about::BadUsageText("pellix-serve", options.error, kSynopsis);
        return pellix::about::kBadUsage;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    if (options.version) {
        std::cout << pellix::about::VersionText("pellix-serve");
        return 0;
    }
    return std::nullopt;
}

// What the server needs before it listens: the classroom folder (made, and
// locked against a second server), the class password and the scoreboard's
// token.
struct Preparation {
    std::filesystem::path dir;
    pellix::serve::ClassLock lock;
    std::optional<std::string> password;
    std::string token;
    bool tokenFromFile = false;
    std::string error;  // why the server cannot start, when there is no token
};

void Prepare(const pellix::serve::Options& options, Preparation& ready) {
    using namespace pellix::serve;
    ready.dir = ClassroomFolder(options.dir);
    std::error_code ec;
    std::filesystem::create_directories(ready.dir, ec);
    if (!std::filesystem::is_directory(ready.dir, ec)) {
        ready.error = "cannot create the folder " + ready.dir.string();
        return;
    }
    if (ready.error = ready.lock.Take(ready.dir); !ready.error.empty()) return;
    if (geteuid() == 0)
        std::cerr << "pellix-serve: warning: running as root; a user of its own is safer "
                     "(the systemd unit has one)\n";
    if (options.classPassword) {
        ready.password = ReadClassPassword(*options.classPassword, ready.error);
        if (!ready.password) return;
    }
    ready.token = ScoreboardToken(ready.dir, ready.tokenFromFile, ready.error);
}

// The stopping signals arrive in the event loop, on the descriptor returned;
// every thread started from here on leaves them to it. A descriptor per
// connection: as many as the system allows.
int TakeSignalsAndDescriptors() {
    sigset_t stopping;
    sigemptyset(&stopping);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stopping, signal);
    pthread_sigmask(SIG_BLOCK, &stopping, nullptr);
    const int signalFd = signalfd(-1, &stopping, SFD_NONBLOCK | SFD_CLOEXEC);
    std::signal(SIGPIPE, SIG_IGN);
    if (rlimit files{}; getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    return signalFd;
}

pellix::serve::ServerLimits LimitsFrom(const pellix::serve::Options& options) {
    pellix::serve::ServerLimits limits;
    limits.maxSessions = options.maxSessions;
    limits.idleTimeout = std::chrono::seconds(options.idleTimeout);
    limits.loginTimeout = std::chrono::seconds(options.loginTimeout);
    limits.maxLoggingIn = options.maxLogins;
    limits.maxLoggingInPerAddress = options.maxLoginsPerAddress;
    return limits;
}

// Where the learners and the instructor go, once the listeners are bound
// (sshPort 0: no SSH).
void Announce(const Preparation& ready, const std::string& listen, int port, int sshPort,
              int webPort) {
    const std::string host = HostToReach(listen);
    std::cout << "pellix-serve: learners' folders in " << ready.dir.string() << "\n"
              << "pellix-serve: learners connect with: telnet " << host << " " << port << "\n";
    if (sshPort > 0)
        std::cout << "pellix-serve: learners connect with: ssh -p " << sshPort << " NAME@" << host
                  << "\n";
    std::cout << "pellix-serve: scoreboard: http://" << HostForUrl(host) << ":" << webPort
              << "/?token=" << ready.token << (ready.tokenFromFile ? "  (token from " : "")
              << (ready.tokenFromFile ? (ready.dir / pellix::serve::kTokenFile).string() + ")" : "")
              << "\n"
              << std::flush;
}

// The installed lessons page, served from the scoreboard's port; F1 in the
// sessions names its address there, which the learners can open.
void OfferLessons(pellix::serve::Classroom& room, pellix::serve::WebServer& web,
                  const std::string& listen, int webPort) {
    std::optional<std::filesystem::path> page;
    if (auto program = pellix::RunningProgramFile()) page = pellix::InstalledLessonsPage(*program);
    if (!page) {
        std::cerr << "pellix-serve: warning: the lessons page readme.htm is not installed; "
                     "the learners' F1 names no page they can open\n";
        return;
    }
    web.ServeLessonsPage(*page);
    room.SetLessonsUrl("http://" + HostForUrl(HostToReach(listen)) + ":" + std::to_string(webPort) +
                       std::string(pellix::serve::kLessonsPath));
}

// Listens and serves the class until a stopping signal.
int ServeClass(const pellix::serve::Options& options, const Preparation& ready) {
    using namespace pellix::serve;
    const int signalFd = TakeSignalsAndDescriptors();
    Classroom room(ready.dir, ready.password);
    // What saves cut short by a killed server left behind, also in the
    // folders of learners who do not come back.
    room.RemoveStaleTemporaries();
    room.SetKeepTime(std::chrono::minutes(options.keepMinutes));
    Server server(room, LimitsFrom(options));
    std::string error;
    const int port = server.Bind(options.listen, options.port, error);
    if (port < 0) return Fail(error);
    int sshPort = 0;
    if (options.sshPort > 0 &&
        (sshPort = server.BindSsh(options.listen, options.sshPort, ready.dir, error)) < 0)
        return Fail(error);
    WebServer web(room, ready.token);
    const int webPort = web.Bind(options.listen, options.webPort);
    if (webPort < 0)
        return Fail("cannot listen on " + options.listen + " port " +
                    std::to_string(options.webPort) + " for the scoreboard");
    OfferLessons(room, web, options.listen, webPort);
    web.Start();
    Announce(ready, options.listen, port, sshPort, webPort);
    server.Run(signalFd);
    web.Stop();
    std::cout << "pellix-serve: stopped; every learner's score is saved\n" << std::flush;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const pellix::serve::Options options = pellix::serve::ParseOptions(
        std::vector<std::string>(argv + 1, argv + argc), std::getenv("CREDENTIALS_DIRECTORY"));
    if (std::optional<int> status = AnswerCommandLine(options)) return *status;
    Preparation ready;
    Prepare(options, ready);
    if (ready.token.empty()) return Fail(ready.error);
    return ServeClass(options, ready);
}
