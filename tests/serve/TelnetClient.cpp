#include "TelnetClient.h"

#include <libtelnet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace pellix::serve::testing {

namespace {

const telnet_telopt_t kClientOptions[] = {
    {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_NAWS, TELNET_WILL, TELNET_DONT},
    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT},
    {-1, 0, 0},
};
const telnet_telopt_t kNoOptions[] = {{-1, 0, 0}};

}  // namespace

bool EnterNameAndPin(TelnetClient& client, std::string_view name, std::string_view pin) {
    // A safety net only: far above what hashing the PIN takes in a sanitizer
    // build on a busy machine.
    constexpr auto kSafety = std::chrono::seconds(30);
    if (!client.WaitText("Learner name: ", kSafety)) return false;
    const std::size_t before = client.Received().size();
    const auto since = [&] { return std::string_view(client.Received()).substr(before); };
    client.Type(name);
    client.Enter();
    if (!client.WaitFor([&] { return since().find("PIN: ") != std::string_view::npos; }, kSafety))
        return false;
    const bool chooses = since().find("New PIN: ") != std::string_view::npos;
    client.Type(pin);
    client.Enter();
    if (!chooses) return true;
    if (!client.WaitFor(
            [&] { return since().find("The same PIN again: ") != std::string_view::npos; },
            kSafety))
        return false;
    client.Type(pin);
    client.Enter();
    return true;
}

std::string KeyBytes(std::string_view event) {
    struct Named {
        std::string_view event;
        std::string_view bytes;
    };
    static const Named kKeys[] = {
        {"enter", std::string_view("\r\0", 2)},
        {"lf", "\n"},
        {"bs", "\x7f"},
        {"ctrl-z", "\x1a"},
        {"ctrl-c", "\x03"},
        {"tab", "\t"},
        {"esc", "\x1b"},
        {"up", "\x1b[A"},
        {"down", "\x1b[B"},
        {"plan", "\x1bOQ"},
        {"f1", "\x1bOP"},
        {"f2", "\x1bOQ"},
        {"f10", "\x1b[21~"},
        {"finish", "\x1b[21~"},
        // Any key closes the network plan without being typed.
        {"close-plan", "q"},
    };
    for (const Named& key : kKeys)
        if (key.event == event) return std::string(key.bytes);
    return {};
}

TelnetClient::TelnetClient(int port, ClientSetup setup)
    : setup_(std::move(setup)), screen_(setup_.rows, setup_.cols) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (setup_.receiveBuffer > 0)
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &setup_.receiveBuffer, sizeof setup_.receiveBuffer);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd_);
        fd_ = -1;
        return;
    }
    int on = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    telnet_ = telnet_init(setup_.negotiates ? kClientOptions : kNoOptions, &TelnetClient::OnEvent,
                          0, this);
}

TelnetClient::~TelnetClient() {
    Close();
    if (telnet_) telnet_free(telnet_);
}

void TelnetClient::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

void TelnetClient::OnEvent(telnet_t*, telnet_event_t* event, void* self) {
    static_cast<TelnetClient*>(self)->Handle(*event);
}

void TelnetClient::Handle(const telnet_event_t& event) {
    switch (event.type) {
        case TELNET_EV_SEND:
            SendRaw(std::string_view(event.data.buffer, event.data.size));
            break;
        case TELNET_EV_DATA:
            received_.append(event.data.buffer, event.data.size);
            screen_.Feed(std::string_view(event.data.buffer, event.data.size));
            break;
        case TELNET_EV_WILL:
            requests_.emplace_back(TELNET_WILL, event.neg.telopt);
            break;
        case TELNET_EV_DO:
            requests_.emplace_back(TELNET_DO, event.neg.telopt);
            if (event.neg.telopt == TELNET_TELOPT_NAWS && setup_.negotiates) SendNaws();
            break;
        case TELNET_EV_TTYPE:
            if (event.ttype.cmd == TELNET_TTYPE_SEND)
                telnet_ttype_is(telnet_, setup_.terminalType.c_str());
            break;
        default:
            break;
    }
}

void TelnetClient::SendNaws() {
    const unsigned char size[4] = {
        static_cast<unsigned char>(setup_.cols >> 8), static_cast<unsigned char>(setup_.cols),
        static_cast<unsigned char>(setup_.rows >> 8), static_cast<unsigned char>(setup_.rows)};
    telnet_subnegotiation(telnet_, TELNET_TELOPT_NAWS, reinterpret_cast<const char*>(size), 4);
}

void TelnetClient::Resize(int rows, int cols) {
    setup_.rows = rows;
    setup_.cols = cols;
    screen_.Resize(rows, cols);
    SendNaws();
}

void TelnetClient::Type(std::string_view text) {
    if (telnet_ && fd_ >= 0) telnet_send(telnet_, text.data(), text.size());
}

void TelnetClient::Press(std::string_view key) {
    Type(KeyBytes(key));
}

void TelnetClient::SendRaw(std::string_view bytes) {
    while (fd_ >= 0 && !bytes.empty()) {
        const ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

std::size_t TelnetClient::Pump(std::chrono::milliseconds timeout) {
    std::size_t total = 0;
    int wait = static_cast<int>(timeout.count());
    while (fd_ >= 0) {
        pollfd input{fd_, POLLIN, 0};
        if (poll(&input, 1, wait) <= 0) break;
        char buffer[8192];
        const ssize_t got = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got <= 0) {
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            closedByServer_ = true;
            Close();
            break;
        }
        telnet_recv(telnet_, buffer, static_cast<std::size_t>(got));
        total += static_cast<std::size_t>(got);
        wait = 0;
    }
    return total;
}

bool TelnetClient::WaitFor(const std::function<bool()>& condition,
                           std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || fd_ < 0) return condition();
        Pump(std::min(left, std::chrono::milliseconds(50)));
    }
    return true;
}

bool TelnetClient::WaitText(std::string_view text, std::chrono::milliseconds timeout) {
    return WaitFor([&] { return received_.find(text) != std::string::npos; }, timeout);
}

bool TelnetClient::WaitRow(int row, std::string_view text, std::chrono::milliseconds timeout) {
    return WaitFor([&] { return screen_.Row(row) == text; }, timeout);
}

bool TelnetClient::WaitClosed(std::chrono::milliseconds timeout) {
    WaitFor([&] { return closedByServer_; }, timeout);
    return closedByServer_;
}

}  // namespace pellix::serve::testing
