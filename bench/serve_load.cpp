// Load on the classroom server: many scripted learners on loopback, each
// typing the whole exercise key by key, at a human pace and at full speed.
// Reports the echo latency of each key (from sending it to the first byte of
// the server's answer: median and 99th percentile), the server's memory per
// session and its CPU time, with one learner typing at full speed as the
// baseline measured in the same run. The class folder is made in DIR
// (default: the temporary folder), so that a disk and a tmpfs can be
// compared; the run begins with the folder's file system, the machine's
// cores and its load, and the server's log goes to server.log beside the
// class folder (shown when the server does not start).
//
//   pellix-serve-load [--learners N] [--seconds S] [--server PATH] [--folder-in DIR]
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempFolder.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The exercise's keys, each as the bytes a terminal sends for it.
std::vector<std::string> ExerciseKeys() {
    std::ifstream in(PELLIX_EXERCISE);
    std::vector<std::string> keys;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("type ")) {
            for (char c : line.substr(5)) keys.emplace_back(1, c);
        } else if (line == "enter") {
            keys.emplace_back("\r\0", 2);
        } else if (line == "ctrl-z") {
            keys.emplace_back("\x1a");
        }
    }
    return keys;
}

struct Server {
    pid_t pid = -1;
    int port = -1;
    // The server's folder, removed however the run ends.
    std::shared_ptr<const pellix::support::TempFolder> folder;
    std::filesystem::path dir;
};

Server Start(const std::string& program, int learners, const std::filesystem::path& base) {
    Server server;
    server.folder = std::make_shared<const pellix::support::TempFolder>("pellix-serve-load", base);
    server.dir = server.folder->Path();
    const std::string log = (server.folder->Parent() / "server.log").string();
    int out[2];
    if (pipe(out) != 0) return server;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> args = {
        program, "--dir", server.dir.string(), "--port", "0", "--web-port", "0", "--ssh-port", "0",
        "--max-sessions", std::to_string(learners + 10),
        // Every learner chooses a PIN, hashed slowly, a few at a time.
        "--login-timeout", "600", "--max-logins", std::to_string(learners + 10),
        "--max-logins-per-address", std::to_string(learners + 10)};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawn(&server.pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        server.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    FILE* lines = fdopen(out[0], "r");
    char line[512];
    while (server.port < 0 && fgets(line, sizeof line, lines))
        std::sscanf(line, "pellix-serve: learners connect with: telnet 127.0.0.1 %d", &server.port);
    fclose(lines);
    return server;
}

// The file system's name for the common ones.
std::string FileSystem(const std::filesystem::path& folder) {
    struct statfs info {};
    if (statfs(folder.c_str(), &info) != 0) return "unknown";
    switch (info.f_type) {
        case 0xEF53:
            return "ext2/3/4";
        case 0x01021994:
            return "tmpfs";
        case 0x58465342:
            return "xfs";
        case 0x9123683E:
            return "btrfs";
        case 0x794C7630:
            return "overlayfs";
        default: {
            char type[32];
            std::snprintf(type, sizeof type, "type 0x%lx", static_cast<unsigned long>(info.f_type));
            return type;
        }
    }
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

void Stop(Server& server) {
    if (server.pid > 0) {
        kill(server.pid, SIGTERM);
        waitpid(server.pid, nullptr, 0);
    }
    server.folder.reset();
}

long RssKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
    return 0;
}

// The process's CPU time (user and system), children included.
double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::vector<std::string> f;
    for (std::string field; fields >> field;) f.push_back(field);
    // Fields 14 to 17 of the file: utime, stime, cutime, cstime.
    double ticks = 0;
    for (int i = 11; i <= 14; ++i) ticks += std::stod(f[static_cast<std::size_t>(i)]);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Learner {
    int fd = -1;
    std::size_t next = 0;  // the next key of the exercise
    bool waiting = false;  // a key is out, its answer not yet in
    bool enter = false;    // that key is Enter: the command runs, the score is saved
    Clock::time_point sentAt{};
    Clock::time_point nextAt{};
};

int Connect(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

void Drain(int fd) {
    char buffer[65536];
    while (recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
    }
}

struct Latencies {
    double medianMs = 0, p99Ms = 0, maxMs = 0;
};

Latencies Percentiles(std::vector<double>& latencies) {
    if (latencies.empty()) return {};
    std::sort(latencies.begin(), latencies.end());
    return {latencies[latencies.size() / 2],
            latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)],
            latencies.back()};
}

struct Figures {
    std::size_t keys = 0;
    double medianMs = 0, p99Ms = 0, maxMs = 0;
    Latencies typed;  // character keys: the echo alone
    Latencies enter;  // Enter: the command's answer, after the save
    double cpuPercent = 0;
    double keysPerSecond = 0;
};

// A pause before each key, drawn from [least, most] ms; {0, 0}: the next
// key goes as soon as the answer to the last one came.
struct Pace {
    int least = 0;
    int most = 0;
};

// Every learner types for `seconds` at the pace.
Figures Type(std::vector<Learner>& learners, const std::vector<std::string>& keys, pid_t server,
             Pace pace, std::chrono::seconds seconds) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> think(pace.least, pace.most);
    const bool human = pace.most > 0;
    int epoll = epoll_create1(EPOLL_CLOEXEC);
    for (std::size_t i = 0; i < learners.size(); ++i) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u64 = i;
        epoll_ctl(epoll, EPOLL_CTL_ADD, learners[i].fd, &event);
        learners[i].waiting = false;
        learners[i].nextAt =
            Clock::now() + (human ? std::chrono::milliseconds(think(random)) : 0ms);
    }
    std::vector<double> latencies, typed, enter;
    const double cpuBefore = CpuSeconds(server);
    const auto start = Clock::now();
    const auto end = start + seconds;
    std::vector<epoll_event> events(learners.size() + 1);
    while (Clock::now() < end) {
        auto now = Clock::now();
        for (Learner& learner : learners) {
            if (learner.waiting || now < learner.nextAt) continue;
            const std::string& key = keys[learner.next];
            learner.next = (learner.next + 1) % keys.size();
            learner.sentAt = Clock::now();
            learner.waiting = true;
            learner.enter = key[0] == '\r';
            if (send(learner.fd, key.data(), key.size(), MSG_NOSIGNAL) < 0) return {};
        }
        const int count = epoll_wait(epoll, events.data(), static_cast<int>(events.size()), 1);
        now = Clock::now();
        for (int i = 0; i < count; ++i) {
            Learner& learner = learners[events[static_cast<std::size_t>(i)].data.u64];
            Drain(learner.fd);
            if (!learner.waiting) continue;
            learner.waiting = false;
            const double ms =
                std::chrono::duration<double, std::milli>(now - learner.sentAt).count();
            latencies.push_back(ms);
            (learner.enter ? enter : typed).push_back(ms);
            learner.nextAt = now + (human ? std::chrono::milliseconds(think(random)) : 0ms);
        }
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = CpuSeconds(server) - cpuBefore;
    // Let the last answers arrive before the next round.
    for (int i = 0; i < 50; ++i) {
        for (Learner& learner : learners) Drain(learner.fd);
        usleep(10000);
    }
    close(epoll);
    Figures figures;
    figures.keys = latencies.size();
    if (latencies.empty()) return figures;
    const Latencies all = Percentiles(latencies);
    figures.medianMs = all.medianMs;
    figures.p99Ms = all.p99Ms;
    figures.maxMs = all.maxMs;
    figures.typed = Percentiles(typed);
    figures.enter = Percentiles(enter);
    figures.cpuPercent = 100.0 * cpu / wall;
    figures.keysPerSecond = static_cast<double>(latencies.size()) / wall;
    return figures;
}

// Reads until the router's prompt shows: the learner is at the console.
bool AwaitPrompt(int fd) {
    std::string seen;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    char buffer[65536];
    while (seen.find("Router>") == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        pollfd readable{fd, POLLIN, 0};
        poll(&readable, 1, 1000);
        const ssize_t got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0) return false;
        if (got > 0) seen.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

// Each learner logs in with a new name (choosing a PIN, typed twice) and
// gets started; returned once every one is at the router's prompt.
std::vector<Learner> LogIn(int port, int count, const std::string& prefix) {
    std::vector<Learner> learners;
    const std::string enter("\r\0", 2);
    for (int i = 0; i < count; ++i) {
        Learner learner;
        learner.fd = Connect(port);
        if (learner.fd < 0) break;
        const std::string login =
            prefix + std::to_string(i) + enter + "2468" + enter + "2468" + enter + enter;
        send(learner.fd, login.data(), login.size(), MSG_NOSIGNAL);
        learners.push_back(learner);
    }
    for (Learner& learner : learners)
        if (!AwaitPrompt(learner.fd)) std::fprintf(stderr, "pellix-serve-load: a login failed\n");
    return learners;
}

void Print(const char* what, const Figures& figures, const Figures& baseline) {
    std::printf(
        "%-34s keys %7zu  %7.0f keys/s  echo median %6.2f ms (x%.1f)  p99 %6.2f ms (x%.1f)"
        "  max %7.2f ms  server CPU %5.1f %%\n",
        what, figures.keys, figures.keysPerSecond, figures.medianMs,
        figures.medianMs / baseline.medianMs, figures.p99Ms, figures.p99Ms / baseline.p99Ms,
        figures.maxMs, figures.cpuPercent);
    std::printf(
        "%-34s character echo median %6.2f ms  p99 %6.2f ms;  Enter median %6.2f ms  "
        "p99 %6.2f ms\n",
        "", figures.typed.medianMs, figures.typed.p99Ms, figures.enter.medianMs,
        figures.enter.p99Ms);
}

}  // namespace

int main(int argc, char** argv) {
    int count = 200;
    int seconds = 15;
    std::string program = (std::filesystem::path(argv[0]).parent_path() / "pellix-serve").string();
    std::filesystem::path base;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--learners") count = std::atoi(argv[i + 1]);
        if (option == "--seconds") seconds = std::atoi(argv[i + 1]);
        if (option == "--server") program = argv[i + 1];
        if (option == "--folder-in") base = argv[i + 1];
    }
    const std::vector<std::string> keys = ExerciseKeys();
    Server server = Start(program, count, base);
    if (server.port < 0) {
        std::fprintf(stderr, "pellix-serve-load: cannot start %s\n", program.c_str());
        if (server.folder) {
            std::ifstream log(server.folder->Parent() / "server.log");
            std::fprintf(stderr, "%s",
                         std::string(std::istreambuf_iterator<char>(log), {}).c_str());
        }
        return 1;
    }
    std::printf("pellix-serve-load: class folder %s (%s); %ld cores; load average %s\n",
                server.dir.c_str(), FileSystem(server.dir).c_str(), sysconf(_SC_NPROCESSORS_ONLN),
                LoadAverage().c_str());
    const long idleRss = RssKiB(server.pid);
    std::vector<Learner> one = LogIn(server.port, 1, "baseline");
    const Figures baseline = Type(one, keys, server.pid, {}, std::chrono::seconds(seconds / 3 + 1));
    for (Learner& learner : one) close(learner.fd);
    usleep(300000);

    const long beforeRss = RssKiB(server.pid);
    std::vector<Learner> learners = LogIn(server.port, count, "learner");
    const long loggedInRss = RssKiB(server.pid);
    std::printf(
        "pellix-serve-load: %zu learners logged in; server memory %ld KiB idle, %ld KiB "
        "with them: %.1f KiB per session\n",
        learners.size(), idleRss, loggedInRss,
        static_cast<double>(loggedInRss - beforeRss) / static_cast<double>(learners.size()));
    Print("baseline: 1 learner, full speed", baseline, baseline);
    const Figures human =
        Type(learners, keys, server.pid, {80, 250}, std::chrono::seconds(seconds));
    Print("human pace (80-250 ms per key)", human, baseline);
    const Figures typist =
        Type(learners, keys, server.pid, {40, 80}, std::chrono::seconds(seconds));
    Print("fast typist (40-80 ms per key)", typist, baseline);
    const Figures full = Type(learners, keys, server.pid, {}, std::chrono::seconds(seconds));
    Print("full speed (next key on the answer)", full, baseline);
    std::printf("pellix-serve-load: server memory after typing %ld KiB; load average %s\n",
                RssKiB(server.pid), LoadAverage().c_str());
    for (Learner& learner : learners) close(learner.fd);
    Stop(server);
    return 0;
}
