// pellix-bench-compare: runs a baseline command and a subject command
// alternately, several times each, and prints the medians of what each run
// cost (wall time, CPU time, peak memory) and the subject's ratio to the
// baseline. Both run in the same minutes on the same machine, so the ratio
// holds where absolute times are noise.
//
//   pellix-bench-compare [options] -- BASELINE ARGS... -- SUBJECT ARGS...
//
//   --name TEXT      a title for the report
//   --runs N         runs of each command (default 21)
//   --input FILE     standard input of every run (default /dev/null)
//   --settle-ms MS   time each run spends waiting on purpose (subtracted
//                    from its wall time before the ratio)
//   --idle SECONDS   instead of timing whole runs: start each command on a
//                    terminal of its own, wait two seconds for it to settle,
//                    then count its CPU time and wake-ups (context switches
//                    of all its threads) over SECONDS, and end it
//   --pty            give each run a terminal of its own (80x24)
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>
#include <poll.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string name = "comparison";
    int runs = 21;
    std::string input = "/dev/null";
    double settleMs = 0;
    int idleSeconds = 0;
    bool pty = false;
    std::vector<std::string> baseline;
    std::vector<std::string> subject;
};

struct Cost {
    double wallMs = 0;
    double cpuMs = 0;
    double peakKiB = 0;
    double wakeUps = 0;
};

[[noreturn]] void Usage() {
    std::fputs(
        "usage: pellix-bench-compare [--name TEXT] [--runs N] [--input FILE] [--settle-ms MS]\n"
        "                            [--idle SECONDS] [--pty] -- BASELINE... -- SUBJECT...\n",
        stderr);
    std::exit(2);
}

Options Parse(int argc, char** argv) {
    Options options;
    int k = 1;
    auto value = [&]() -> std::string {
        if (k + 1 >= argc) Usage();
        return argv[++k];
    };
    for (; k < argc; ++k) {
        std::string arg = argv[k];
        if (arg == "--") break;
        if (arg == "--name")
            options.name = value();
        else if (arg == "--runs")
            options.runs = std::atoi(value().c_str());
        else if (arg == "--input")
            options.input = value();
        else if (arg == "--settle-ms")
            options.settleMs = std::atof(value().c_str());
        else if (arg == "--idle")
            options.idleSeconds = std::atoi(value().c_str());
        else if (arg == "--pty")
            options.pty = true;
        else
            Usage();
    }
    std::vector<std::string>* into = &options.baseline;
    for (++k; k < argc; ++k) {
        if (std::string(argv[k]) == "--" && into == &options.baseline) {
            into = &options.subject;
            continue;
        }
        into->push_back(argv[k]);
    }
    if (options.runs < 1 || options.baseline.empty() || options.subject.empty()) Usage();
    return options;
}

// Reads the CPU time (from the scheduler's nanosecond counts) and the
// context switches of all the threads of a process.
bool Sample(pid_t pid, double& cpuMs, double& switches) {
    cpuMs = 0;
    switches = 0;
    std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir) return false;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::string task = tasks + "/" + entry->d_name;
        std::ifstream schedstat(task + "/schedstat");
        double ns = 0;
        if (schedstat >> ns) cpuMs += ns / 1e6;
        std::ifstream status(task + "/status");
        std::string line;
        while (std::getline(status, line))
            if (line.starts_with("voluntary_ctxt_switches:") ||
                line.starts_with("nonvoluntary_ctxt_switches:"))
                switches += std::atof(line.substr(line.find(':') + 1).c_str());
    }
    closedir(dir);
    return true;
}

// Reads and drops what the run writes to its terminal until the deadline.
void Drain(int master, Clock::time_point until) {
    char buffer[4096];
    while (master >= 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (left.count() <= 0) return;
        pollfd fd{master, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left.count())) > 0 &&
            read(master, buffer, sizeof buffer) <= 0)
            return;
    }
}

Cost RunOnce(const Options& options, const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    int master = -1;
    bool onTerminal = options.pty || options.idleSeconds > 0;
    auto start = Clock::now();
    pid_t pid;
    if (onTerminal) {
        winsize size{24, 80, 0, 0};
        pid = forkpty(&master, nullptr, nullptr, &size);
    } else {
        pid = fork();
    }
    if (pid < 0) {
        std::perror("pellix-bench-compare: fork");
        std::exit(1);
    }
    if (pid == 0) {
        if (!onTerminal) {
            int in = open(options.input.c_str(), O_RDONLY);
            int out = open("/dev/null", O_WRONLY);
            if (in < 0 || out < 0) _exit(126);
            dup2(in, 0);
            dup2(out, 1);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }

    Cost cost;
    if (options.idleSeconds > 0) {
        Drain(master, Clock::now() + std::chrono::seconds(2));
        double cpu0 = 0, switches0 = 0, cpu1 = 0, switches1 = 0;
        Sample(pid, cpu0, switches0);
        Drain(master, Clock::now() + std::chrono::seconds(options.idleSeconds));
        Sample(pid, cpu1, switches1);
        cost.cpuMs = cpu1 - cpu0;
        cost.wakeUps = switches1 - switches0;
        kill(pid, SIGTERM);
    } else if (master >= 0) {
        Drain(master, Clock::now() + std::chrono::hours(1));
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    if (master >= 0) close(master);
    auto end = Clock::now();
    if (options.idleSeconds == 0) {
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "pellix-bench-compare: %s failed (status %d)\n", argv[0], status);
            std::exit(1);
        }
        cost.wallMs =
            std::chrono::duration<double, std::milli>(end - start).count() - options.settleMs;
        cost.cpuMs = usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
                     usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
    }
    cost.peakKiB = static_cast<double>(usage.ru_maxrss);
    return cost;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Row(const char* what, const char* unit, const std::vector<Cost>& base,
         const std::vector<Cost>& subject, double Cost::*field) {
    std::vector<double> b, s;
    for (const Cost& c : base) b.push_back(c.*field);
    for (const Cost& c : subject) s.push_back(c.*field);
    double mb = Median(b), ms = Median(s);
    std::printf("  %-10s baseline %10.1f %-4s subject %10.1f %-4s ratio %6.2f\n", what, mb, unit,
                ms, unit, mb > 0 ? ms / mb : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    Options options = Parse(argc, argv);
    signal(SIGPIPE, SIG_IGN);
    std::vector<Cost> base, subject;
    for (int run = 0; run < options.runs; ++run) {  // interleaved, baseline first
        base.push_back(RunOnce(options, options.baseline));
        subject.push_back(RunOnce(options, options.subject));
    }
    std::printf("%s (medians of %d interleaved runs each)\n", options.name.c_str(), options.runs);
    if (options.idleSeconds > 0) {
        Row("CPU", "ms", base, subject, &Cost::cpuMs);
        Row("wake-ups", "", base, subject, &Cost::wakeUps);
    } else {
        Row("wall", "ms", base, subject, &Cost::wallMs);
        Row("CPU", "ms", base, subject, &Cost::cpuMs);
        Row("peak", "KiB", base, subject, &Cost::peakKiB);
    }
    return 0;
}
