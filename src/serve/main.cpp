// pellix-serve [--dir DIR] [--listen ADDR] [--port N] [--web-port N]
//              [--class-password FILE] [--max-sessions N] [--idle-timeout SECONDS]
//              [--login-timeout SECONDS] [--max-logins N] [--max-logins-per-address N]
//              [--allow-open]
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <iostream>

#include "console/About.h"
#include "serve/ClassLock.h"
#include "serve/Classroom.h"
#include "serve/Options.h"
#include "serve/Scoreboard.h"
#include "serve/Server.h"
#include "state/Files.h"

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

}  // namespace

int main(int argc, char** argv) {
    using namespace pellix::serve;
    const Options options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
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

    const std::filesystem::path dir = ClassroomFolder(options.dir);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec))
        return Fail("cannot create the folder " + dir.string());
    ClassLock lock;
    if (std::string problem = lock.Take(dir); !problem.empty()) return Fail(problem);
    if (geteuid() == 0)
        std::cerr << "pellix-serve: warning: running as root; a user of its own is safer "
                     "(the systemd unit has one)\n";
    std::optional<std::string> password;
    if (options.classPassword) {
        std::string error;
        password = ReadClassPassword(*options.classPassword, error);
        if (!password) return Fail(error);
    }
    bool tokenFromFile = false;
    std::string error;
    const std::string token = ScoreboardToken(dir, tokenFromFile, error);
    if (token.empty()) return Fail(error);

    // The stopping signals arrive in the event loop; every thread started
    // from here on leaves them to it.
    sigset_t stopping;
    sigemptyset(&stopping);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stopping, signal);
    pthread_sigmask(SIG_BLOCK, &stopping, nullptr);
    const int signalFd = signalfd(-1, &stopping, SFD_NONBLOCK | SFD_CLOEXEC);
    std::signal(SIGPIPE, SIG_IGN);
    // A descriptor per connection: take what the system allows.
    if (rlimit files{}; getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }

    pellix::serve::Classroom room(dir, password);
    ServerLimits limits;
    limits.maxSessions = options.maxSessions;
    limits.idleTimeout = std::chrono::seconds(options.idleTimeout);
    limits.loginTimeout = std::chrono::seconds(options.loginTimeout);
    limits.maxLoggingIn = options.maxLogins;
    limits.maxLoggingInPerAddress = options.maxLoginsPerAddress;
    Server server(room, limits);
    const int port = server.Bind(options.listen, options.port, error);
    if (port < 0) return Fail(error);
    WebServer web(room, token);
    const int webPort = web.Bind(options.listen, options.webPort);
    if (webPort < 0)
        return Fail("cannot listen on " + options.listen + " port " +
                    std::to_string(options.webPort) + " for the scoreboard");
    web.Start();

    const std::string host = HostToReach(options.listen);
    std::cout << "pellix-serve: learners' folders in " << dir.string() << "\n"
              << "pellix-serve: learners connect with: telnet " << host << " " << port << "\n"
              << "pellix-serve: scoreboard: http://" << HostForUrl(host) << ":" << webPort
              << "/?token=" << token << (tokenFromFile ? "  (token from " : "")
              << (tokenFromFile ? (dir / kTokenFile).string() + ")" : "") << "\n"
              << std::flush;
    server.Run(signalFd);
    web.Stop();
    std::cout << "pellix-serve: stopped; every learner's score is saved\n" << std::flush;
    return 0;
}
