#include "serve/Server.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "serve/ConnectionLoop.h"
#include "serve/SshConnection.h"
#include "serve/SshHost.h"

namespace pellix::serve {

namespace {

constexpr int kSendBuffer = 64 * 1024;
constexpr auto kAcceptPause = std::chrono::milliseconds(1000);

void Signal(int eventFd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] auto written = write(eventFd, &one, sizeof one);
}

}  // namespace

struct Server::Connection {
    int fd = -1;
    ssh_session_struct* ssh = nullptr;  // an SSH connection's session, which owns fd
    std::string client;                 // the client's address
    bool loggingIn = true;              // counted among the connections logging in
    bool learner = false;               // counted among the learners
    int wakeFd = -1;
    std::shared_ptr<Session> session;
    std::thread thread;
    std::atomic<bool> ended{false};
};

Server::Server(Classroom& room, ServerLimits limits) : room_(room), limits_(limits) {
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    endedFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

Server::~Server() {
    stopping_ = true;
    for (auto& connection : connections_) Signal(connection->wakeFd);
    Reap(true);
    if (listenFd_ >= 0) close(listenFd_);
    if (sshFd_ >= 0) close(sshFd_);
    close(wakeFd_);
    close(endedFd_);
}

namespace {

// A listening socket on the address and port (0: any free one): the port,
// or -1 with the reason in `error`. No SO_REUSEPORT: a port another server
// holds is refused.
int Listen(const std::string& host, int port, int& listenFd, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
        error = "cannot listen on " + host + ": " + gai_strerror(rc);
        return -1;
    }
    for (addrinfo* ai = found; ai; ai = ai->ai_next) {
        int fd = socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) continue;
        int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (bind(fd, ai->ai_addr, ai->ai_addrlen) == 0 && listen(fd, SOMAXCONN) == 0) {
            listenFd = fd;
            break;
        }
        error = "cannot listen on " + host + " port " + service + ": " + std::strerror(errno);
        close(fd);
    }
    freeaddrinfo(found);
    if (listenFd < 0) return -1;
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(listenFd, reinterpret_cast<sockaddr*>(&bound), &length);
    if (bound.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port);
    return ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
}

}  // namespace

int Server::Bind(const std::string& host, int port, std::string& error) {
    return Listen(host, port, listenFd_, error);
}

int Server::BindSsh(const std::string& host, int port, const std::filesystem::path& keyDir,
                    std::string& error) {
    sshHost_ = SshHost::Open(keyDir, error);
    if (!sshHost_) return -1;
    return Listen(host, port, sshFd_, error);
}

void Server::Stop() {
    Signal(wakeFd_);
}

// The client's address as the log shows it.
std::string ClientAddress(const sockaddr_storage& peer, socklen_t length) {
    char host[NI_MAXHOST] = "?";
    getnameinfo(reinterpret_cast<const sockaddr*>(&peer), length, host, sizeof host, nullptr, 0,
                NI_NUMERICHOST);
    std::string address = host;
    if (address.starts_with("::ffff:")) address.erase(0, 7);
    return address;
}

void Server::Accept(int listenFd, bool ssh) {
    for (;;) {
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        int fd = accept4(listenFd, reinterpret_cast<sockaddr*>(&peer), &length,
                         SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of descriptors or memory: wait a moment instead of
                // spinning on a listener that stays readable.
                std::cerr << "pellix-serve: cannot accept a connection: " << std::strerror(errno)
                          << "\n";
                std::this_thread::sleep_for(kAcceptPause);
            }
            return;
        }
        const std::string client = ClientAddress(peer, length);
        if (!CountLogin(client)) {
            const std::string busy =
                "Too many connections are logging in; please try again later.\r\n";
            // An SSH client shows no text before the protocol's: it is closed.
            if (!ssh) {
                [[maybe_unused]] auto sent = send(fd, busy.data(), busy.size(), MSG_NOSIGNAL);
            }
            close(fd);
            room_.Log("a connection from " + client + " refused: too many logging in");
            continue;
        }
        Start(fd, client, ssh);
    }
}

// Counts a connection from the client among those logging in, unless there
// are too many.
bool Server::CountLogin(const std::string& client) {
    std::lock_guard lock(countsMutex_);
    auto found = loggingInFrom_.find(client);
    const int fromClient = found == loggingInFrom_.end() ? 0 : found->second;
    if (loggingIn_ >= limits_.maxLoggingIn || fromClient >= limits_.maxLoggingInPerAddress)
        return false;
    ++loggingIn_;
    ++loggingInFrom_[client];
    return true;
}

void Server::Start(int fd, const std::string& client, bool ssh) {
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSendBuffer, sizeof kSendBuffer);
    auto connection = std::make_unique<Connection>();
    connection->fd = fd;
    connection->client = client;
    connection->wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (connection->wakeFd < 0) {
        Left(*connection);
        close(fd);
        return;
    }
    if (ssh && !(connection->ssh = sshHost_->Accept(fd))) {  // fd closed
        Left(*connection);
        close(connection->wakeFd);
        return;
    }
    connection->session =
        std::make_shared<Session>(room_, Clock::now(), limits_.idleTimeout, client,
                                  limits_.loginTimeout, ssh ? Framing::Raw : Framing::Telnet);
    const int wakeFd = connection->wakeFd;
    connection->session->SetWaker([wakeFd] { Signal(wakeFd); });
    Connection* admitted = connection.get();
    connection->session->SetAdmission([this, admitted] { return Admit(*admitted); });
    Connection& started = *connections_.emplace_back(std::move(connection));
    try {
        started.thread = std::thread([this, &started] { Serve(started); });
    } catch (const std::system_error&) {
        std::cerr << "pellix-serve: cannot start a session's thread\n";
        Left(started);
        started.ended = true;
        close(started.fd);
    }
}

// A learner logs in: a seat, unless the class is full.
std::string Server::Admit(Connection& connection) {
    std::lock_guard lock(countsMutex_);
    if (connection.learner) return {};
    if (learners_ >= limits_.maxSessions)
        return "The classroom is full (" + std::to_string(limits_.maxSessions) +
               " learners); please try again later.";
    ++learners_;
    connection.learner = true;
    return {};
}

// The connection no longer logs in (logged in or ended).
void Server::LoggedIn(Connection& connection) {
    std::lock_guard lock(countsMutex_);
    if (!connection.loggingIn) return;
    connection.loggingIn = false;
    --loggingIn_;
    if (auto found = loggingInFrom_.find(connection.client);
        found != loggingInFrom_.end() && --found->second <= 0)
        loggingInFrom_.erase(found);
}

void Server::Left(Connection& connection) {
    LoggedIn(connection);
    std::lock_guard lock(countsMutex_);
    if (connection.learner) --learners_;
    connection.learner = false;
}

namespace {

// Sends what the client takes of the session's output; false when the
// connection is broken (the session is then abandoned).
bool SendOutput(int fd, Session& session, std::size_t& sent) {
    std::string& out = session.Output();
    while (sent < out.size()) {
        const ssize_t n =
            send(fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) return true;
            session.Abandon();  // output cleared
            sent = 0;
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads what the client has sent and gives it to the session.
void ReceiveInput(int fd, Session& session, Clock::time_point now) {
    char buffer[kReadChunk];
    const ssize_t got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got > 0)
        session.Receive(std::string_view(buffer, static_cast<std::size_t>(got)), now);
    else if (got == 0 || (errno != EAGAIN && errno != EINTR))
        session.Abandon();  // the client has gone; the score is saved
}

}  // namespace

// Where one connection's thread stands between two waits.
struct Server::Progress {
    std::size_t sent = 0;  // bytes of the session's output already sent
    bool told = false;     // of the server's stop
    Clock::time_point deadline = Clock::time_point::max();
};

// What a wait saw.
struct Server::Woken {
    bool closed;   // the session had ended before the wait
    short events;  // on the client's socket
    bool woken;    // by the server (its stop)
    Clock::time_point now;
};

// One connection's life, in its own thread. Once the session has ended, the
// client is no longer read (only its hang-up is watched for) and the thread
// sleeps until the last words leave, the client hangs up, or the farewell's
// time is up.
void Server::Serve(Connection& connection) {
    if (connection.ssh) {
        ServeSsh(connection);
    } else {
        Progress progress;
        while (Step(connection, progress, Await(connection, progress))) {
        }
    }
    // The learner is released (the score saved) while the connection is
    // still counted, so that a stop waits for it.
    Left(connection);
    if (connection.fd >= 0) close(connection.fd);
    connection.ended = true;
    Signal(endedFd_);
}

// An SSH connection's life: as a telnet one's, with libssh in between.
void Server::ServeSsh(Connection& connection) {
    serve::ServeSsh(SshLink{connection.ssh, *connection.session, connection.wakeFd,
                            connection.client, limits_, stopping_, room_,
                            [this, &connection] { LoggedIn(connection); }});
    connection.ssh = nullptr;  // freed, its socket closed
    connection.fd = -1;
}

// Sleeps until the client sends (or can take what waits for it), the server
// wakes the thread, or the session's next tick or the deadline comes.
Server::Woken Server::Await(Connection& connection, const Progress& progress) {
    Session& session = *connection.session;
    bool wantsWrite = false;
    bool closed = false;
    Clock::time_point wake;
    {
        std::lock_guard lock(session.Mutex());
        wantsWrite = progress.sent < session.Output().size();
        closed = session.Closed();
        wake = std::min(session.NextTick(), progress.deadline);
    }
    const auto wait = WaitUntil(wake);
    const short reading = closed ? POLLRDHUP : POLLIN;
    pollfd fds[2] = {{connection.fd, static_cast<short>(reading | (wantsWrite ? POLLOUT : 0)), 0},
                     {connection.wakeFd, POLLIN, 0}};
    poll(fds, 2, static_cast<int>(wait.count()));
    return {closed, fds[0].revents, (fds[1].revents & POLLIN) != 0, Clock::now()};
}

// Acts on what the wait saw: the server's stop, the client's keys or
// hang-up, the session's clock; returns false once the connection is over.
bool Server::Step(Connection& connection, Progress& progress, const Woken& woken) {
    Session& session = *connection.session;
    std::lock_guard lock(session.Mutex());
    if (woken.woken) Consume(connection.wakeFd);
    if (stopping_ && !progress.told) {
        progress.told = true;
        session.Shutdown();
        progress.deadline = std::min(progress.deadline, woken.now + limits_.shutdownGrace);
    }
    if (woken.closed && (woken.events & (POLLRDHUP | POLLHUP | POLLERR))) {
        session.Abandon();  // the client has gone before the last words
        return false;
    }
    if (!woken.closed && (woken.events & (POLLIN | POLLHUP | POLLERR)))
        ReceiveInput(connection.fd, session, woken.now);
    session.Tick(woken.now);
    // Counted as logged in before the client sees the console.
    if (!session.LoggingIn()) LoggedIn(connection);
    return Deliver(connection, progress, woken.now);
}

// Sends what the session has written, under its lock; returns false once
// the connection is over: the last words sent, a client that stopped
// reading, or the deadline passed.
bool Server::Deliver(Connection& connection, Progress& progress, Clock::time_point now) {
    Session& session = *connection.session;
    std::string& out = session.Output();
    SendOutput(connection.fd, session, progress.sent);
    session.SaveAfterSending(now);
    if (session.Closed() && (out.empty() || progress.sent == out.size())) return false;
    Compact(out, progress.sent);
    if (out.size() - progress.sent > limits_.maxBuffered) {
        room_.Log("the client at " + connection.client + " stopped reading; its session is closed");
        session.Abandon();
        return false;
    }
    if (session.Closed() && progress.deadline == Clock::time_point::max())
        progress.deadline = now + limits_.farewellGrace;
    if (now >= progress.deadline) {
        session.Abandon();
        return false;
    }
    return true;
}

void Server::Reap(bool all) {
    for (auto it = connections_.begin(); it != connections_.end();) {
        Connection& connection = **it;
        if (!all && !connection.ended) {
            ++it;
            continue;
        }
        if (connection.thread.joinable()) connection.thread.join();
        close(connection.wakeFd);
        it = connections_.erase(it);
    }
}

void Server::Run(int signalFd) {
    // A descriptor of -1 (no signals, no SSH listener) is left out by poll.
    pollfd fds[5] = {{listenFd_, POLLIN, 0},
                     {wakeFd_, POLLIN, 0},
                     {endedFd_, POLLIN, 0},
                     {signalFd, POLLIN, 0},
                     {sshFd_, POLLIN, 0}};
    // Kept routers run out here; a session's end, which may keep one, wakes
    // the loop.
    Clock::time_point keptEnd = Clock::time_point::max();
    while (!stopping_) {
        const int wait =
            keptEnd == Clock::time_point::max() ? -1 : static_cast<int>(WaitUntil(keptEnd).count());
        if (poll(fds, 5, wait) < 0 && errno != EINTR) break;
        keptEnd = room_.EndKeptRouters(Clock::now());
        if (fds[2].revents & POLLIN) {
            Consume(endedFd_);
            Reap(false);
        }
        if (fds[1].revents & POLLIN) stopping_ = true;
        if (signalFd >= 0 && (fds[3].revents & POLLIN)) {
            signalfd_siginfo info{};
            [[maybe_unused]] auto got = read(signalFd, &info, sizeof info);
            stopping_ = true;
        }
        if (!stopping_ && (fds[0].revents & POLLIN)) Accept(listenFd_, false);
        if (!stopping_ && (fds[4].revents & POLLIN)) Accept(sshFd_, true);
    }
    // No new connection; every session is told, saves and closes.
    for (int* fd : {&listenFd_, &sshFd_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
    for (auto& connection : connections_) Signal(connection->wakeFd);
    Reap(true);
    room_.EndKeptRouters(Clock::now(), true);
}

}  // namespace pellix::serve
