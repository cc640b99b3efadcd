// Debian's ssh client as a learner runs it, in a terminal of its own (a
// pseudo-terminal): it answers the server's keyboard-interactive prompts as
// typed, then shows the console the server draws, read back from a VtScreen.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "VtScreen.h"

namespace pellix::serve::testing {

using namespace std::chrono_literals;

class SshClient {
  public:
    // `ssh -p PORT NAME@127.0.0.1`, accepting the server's key without
    // keeping it, in a terminal of rows x cols.
    SshClient(int port, std::string_view name, int rows = 24, int cols = 80);
    ~SshClient();  // ssh is killed: its connection drops
    SshClient(const SshClient&) = delete;
    SshClient& operator=(const SshClient&) = delete;

    bool Started() const { return pid_ > 0; }
    void Type(std::string_view text);
    void Enter() { Type("\r"); }
    // The terminal's window changes its size (ssh tells the server).
    void Resize(int rows, int cols);

    // Reads until the condition holds or the time is up (a safety net);
    // returns the condition.
    bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 30s);
    // Waits for the text to come after what earlier WaitText calls found.
    bool WaitText(std::string_view text, std::chrono::milliseconds timeout = 30s);
    bool WaitRow(int row, std::string_view text, std::chrono::milliseconds timeout = 30s);
    // Waits for ssh to end (the server closed the connection).
    bool WaitExit(std::chrono::milliseconds timeout = 30s);

    const VtScreen& Screen() const { return screen_; }
    // All the terminal received: ssh's own lines and prompts, then the server's.
    const std::string& Received() const { return received_; }

  private:
    void Pump(std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    int terminal_ = -1;  // the pseudo-terminal's master side
    bool ended_ = false;
    VtScreen screen_;
    std::string received_;
    std::size_t found_ = 0;  // where the last WaitText found its text ended
};

}  // namespace pellix::serve::testing
