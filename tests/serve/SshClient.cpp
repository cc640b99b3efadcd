#include "SshClient.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace pellix::serve::testing {

SshClient::SshClient(int port, std::string_view name, int rows, int cols) : screen_(rows, cols) {
    winsize size{};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(cols);
    std::vector<std::string> args = {
        PELLIX_SSH_PROGRAM, "-F", "/dev/null", "-p", std::to_string(port),
        // No keys of the user's, no known hosts kept: the server's prompts only.
        "-o", "StrictHostKeyChecking=no", "-o", "UserKnownHostsFile=/dev/null", "-o",
        "PreferredAuthentications=keyboard-interactive", "-o", "PubkeyAuthentication=no",
        std::string(name) + "@127.0.0.1"};
    const pid_t pid = forkpty(&terminal_, nullptr, nullptr, &size);
    if (pid == 0) {
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        setenv("TERM", "xterm", 1);
        execv(PELLIX_SSH_PROGRAM, argv.data());
        _exit(127);
    }
    pid_ = pid;
}

SshClient::~SshClient() {
    if (pid_ > 0) {
        // Not SIGTERM: ssh asking for a password may take it in before it
        // reads the terminal, and then wait for a key for ever.
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    if (terminal_ >= 0) close(terminal_);
}

void SshClient::Type(std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = write(terminal_, text.data(), text.size());
        if (n <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

void SshClient::Resize(int rows, int cols) {
    winsize size{};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(cols);
    ioctl(terminal_, TIOCSWINSZ, &size);  // ssh hears of it by SIGWINCH
    screen_.Resize(rows, cols);
}

void SshClient::Pump(std::chrono::milliseconds timeout) {
    if (ended_) return;
    pollfd fd{terminal_, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(timeout.count())) <= 0) return;
    char buffer[4096];
    const ssize_t got = read(terminal_, buffer, sizeof buffer);
    if (got <= 0) {
        ended_ = true;  // ssh has ended: its terminal is hung up
        return;
    }
    received_.append(buffer, static_cast<std::size_t>(got));
    screen_.Feed(std::string_view(buffer, static_cast<std::size_t>(got)));
}

bool SshClient::WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ended_) return condition();
        Pump(std::min(left, std::chrono::milliseconds(100)));
    }
    return true;
}

bool SshClient::WaitText(std::string_view text, std::chrono::milliseconds timeout) {
    std::size_t at = std::string::npos;
    const bool found =
        WaitFor([&] { return (at = received_.find(text, found_)) != std::string::npos; }, timeout);
    if (found) found_ = at + text.size();
    return found;
}

bool SshClient::WaitRow(int row, std::string_view text, std::chrono::milliseconds timeout) {
    return WaitFor([&] { return screen_.Row(row) == text; }, timeout);
}

bool SshClient::WaitExit(std::chrono::milliseconds timeout) {
    WaitFor([&] { return ended_; }, timeout);
    return ended_;
}

}  // namespace pellix::serve::testing
