// A scripted telnet client for the server tests and the load benchmark: a
// loopback connection, the telnet protocol through libtelnet as a client
// uses it, and a VtScreen showing what the learner would see.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "VtScreen.h"

struct telnet_t;
union telnet_event_t;

namespace pellix::serve::testing {

using namespace std::chrono_literals;

struct ClientSetup {
    int rows = 24;
    int cols = 80;
    std::string terminalType = "xterm";
    bool negotiates = true;  // false: refuses every option, as a raw socket would
    int receiveBuffer = 0;   // the socket's receive buffer, set before connecting; 0: default
};

class TelnetClient {
  public:
    explicit TelnetClient(int port, ClientSetup setup = {});
    ~TelnetClient();
    TelnetClient(const TelnetClient&) = delete;
    TelnetClient& operator=(const TelnetClient&) = delete;

    bool Connected() const { return fd_ >= 0; }
    int Fd() const { return fd_; }

    // Text as typed (an IAC byte doubled, as the protocol wants).
    void Type(std::string_view text);
    // Enter as a client in character mode sends it: CR NUL.
    void Enter() { Type(std::string_view("\r\0", 2)); }
    // A named key: f2, f10, up, down, esc, bs, ctrl-c, ctrl-z, tab.
    void Press(std::string_view key);
    // Bytes exactly as given, telnet commands included.
    void SendRaw(std::string_view bytes);
    // The window changes its size (NAWS).
    void Resize(int rows, int cols);
    // Closes the connection at once.
    void Close();

    // Reads until the condition holds or the time is up; returns the condition.
    bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s);
    bool WaitText(std::string_view text, std::chrono::milliseconds timeout = 5s);
    bool WaitRow(int row, std::string_view text, std::chrono::milliseconds timeout = 5s);
    // Waits for the server to close the connection.
    bool WaitClosed(std::chrono::milliseconds timeout = 5s);
    // Reads whatever has arrived, waiting at most `timeout` for the first byte.
    std::size_t Pump(std::chrono::milliseconds timeout);

    const VtScreen& Screen() const { return screen_; }
    // Everything received, the telnet protocol taken out.
    const std::string& Received() const { return received_; }
    bool ClosedByServer() const { return closedByServer_; }
    // The server's WILL and DO requests, as (command, option) pairs.
    const std::vector<std::pair<int, int>>& Requests() const { return requests_; }

  private:
    static void OnEvent(telnet_t*, telnet_event_t* event, void* self);
    void Handle(const telnet_event_t& event);
    void SendNaws();

    ClientSetup setup_;
    int fd_ = -1;
    telnet_t* telnet_ = nullptr;
    VtScreen screen_;
    std::string received_;
    bool closedByServer_ = false;
    std::vector<std::pair<int, int>> requests_;
};

// The PIN the tests' learners choose.
inline constexpr std::string_view kTestPin = "2468";

// At the name prompt: types the name and answers the PIN prompt that
// follows, with the PIN, or with it twice when the name has none yet.
// Returns false when a prompt does not come.
bool EnterNameAndPin(TelnetClient& client, std::string_view name, std::string_view pin = kTestPin);

// The bytes a terminal sends for a replay event that is a key ("enter",
// "plan", "up", ...), or "" when the event is no key.
std::string KeyBytes(std::string_view event);

}  // namespace pellix::serve::testing
