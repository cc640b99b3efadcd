#include "serve/Server.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <vector>

namespace pellix::serve {

namespace {

constexpr std::size_t kReadChunk = 4096;
constexpr int kSendBuffer = 64 * 1024;
constexpr auto kTickPeriod = std::chrono::seconds(1);
constexpr auto kEscapeTick = std::chrono::milliseconds(20);
constexpr auto kAcceptPause = std::chrono::seconds(1);
constexpr int kMaxEvents = 256;

void Watch(int epollFd, int op, int fd, std::uint32_t events) {
    epoll_event event{};
    event.events = events;
    event.data.fd = fd;
    epoll_ctl(epollFd, op, fd, &event);
}

}  // namespace

Server::Server(Classroom& room, ServerLimits limits) : room_(room), limits_(limits) {
    epollFd_ = epoll_create1(EPOLL_CLOEXEC);
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

Server::~Server() {
    for (auto& [fd, connection] : connections_) close(fd);
    connections_.clear();
    if (listenFd_ >= 0) close(listenFd_);
    if (wakeFd_ >= 0) close(wakeFd_);
    if (epollFd_ >= 0) close(epollFd_);
}

int Server::Bind(const std::string& host, int port, std::string& error) {
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
            listenFd_ = fd;
            break;
        }
        error = "cannot listen on " + host + " port " + service + ": " + std::strerror(errno);
        close(fd);
    }
    freeaddrinfo(found);
    if (listenFd_ < 0) return -1;
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &length);
    if (bound.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port);
    return ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
}

void Server::Stop() {
    const std::uint64_t one = 1;
    [[maybe_unused]] auto written = write(wakeFd_, &one, sizeof one);
}

void Server::Accept(Clock::time_point now) {
    if (now < acceptPausedUntil_) return;
    for (;;) {
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of descriptors: stop accepting for a moment instead of
                // spinning on a listener that stays readable.
                std::cerr << "pellix-serve: cannot accept a connection: " << std::strerror(errno)
                          << "\n";
                acceptPausedUntil_ = now + kAcceptPause;
                Watch(epollFd_, EPOLL_CTL_DEL, listenFd_, 0);
            }
            return;
        }
        if (static_cast<int>(connections_.size()) >= limits_.maxSessions) {
            const std::string full = "The classroom is full (" +
                                     std::to_string(limits_.maxSessions) +
                                     " connections); please try again later.\r\n";
            [[maybe_unused]] auto sent = send(fd, full.data(), full.size(), MSG_NOSIGNAL);
            close(fd);
            continue;
        }
        int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSendBuffer, sizeof kSendBuffer);
        Connection& connection = connections_[fd];
        connection.fd = fd;
        connection.session = std::make_unique<Session>(room_, now, limits_.idleTimeout);
        Watch(epollFd_, EPOLL_CTL_ADD, fd, EPOLLIN | EPOLLRDHUP);
    }
}

void Server::Read(Connection& connection, Clock::time_point now) {
    char buffer[kReadChunk];
    const ssize_t got = recv(connection.fd, buffer, sizeof buffer, 0);
    if (got > 0) {
        connection.session->Receive(std::string_view(buffer, static_cast<std::size_t>(got)), now);
    } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
        // The client has gone: the learner's run ends, the score is saved.
        connection.session->Abandon();
    }
}

bool Server::Flush(Connection& connection) {
    Session& session = *connection.session;
    std::string& out = session.Output();
    while (connection.sent < out.size()) {
        const ssize_t sent = send(connection.fd, out.data() + connection.sent,
                                  out.size() - connection.sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EAGAIN || errno == EINTR) break;
            session.Abandon();
            return false;
        }
        connection.sent += static_cast<std::size_t>(sent);
    }
    if (connection.sent == out.size()) {
        out.clear();
        connection.sent = 0;
    } else if (connection.sent > out.size() / 2) {
        out.erase(0, connection.sent);
        connection.sent = 0;
    }
    if (out.size() - connection.sent > limits_.maxBuffered) {
        std::cerr << "pellix-serve: a client stopped reading; its session is closed\n";
        session.Abandon();
        return false;
    }
    if (session.Closed() && out.empty()) return false;
    const bool pending = !out.empty();
    if (pending != connection.watchingWrites) {
        connection.watchingWrites = pending;
        Watch(epollFd_, EPOLL_CTL_MOD, connection.fd,
              EPOLLIN | EPOLLRDHUP | (pending ? EPOLLOUT : 0u));
    }
    return true;
}

void Server::Close(int fd) {
    auto found = connections_.find(fd);
    if (found == connections_.end()) return;
    Watch(epollFd_, EPOLL_CTL_DEL, fd, 0);
    close(fd);
    connections_.erase(found);  // the session's end saves the learner's score
}

void Server::BeginShutdown() {
    if (stopping_) return;
    stopping_ = true;
    if (listenFd_ >= 0) {
        Watch(epollFd_, EPOLL_CTL_DEL, listenFd_, 0);
        close(listenFd_);
        listenFd_ = -1;
    }
    for (auto& [fd, connection] : connections_) connection.session->Shutdown();
}

void Server::Run(int signalFd) {
    if (listenFd_ >= 0) Watch(epollFd_, EPOLL_CTL_ADD, listenFd_, EPOLLIN);
    Watch(epollFd_, EPOLL_CTL_ADD, wakeFd_, EPOLLIN);
    if (signalFd >= 0) Watch(epollFd_, EPOLL_CTL_ADD, signalFd, EPOLLIN);
    auto lastTick = Clock::now();
    Clock::time_point shutdownDeadline{};
    std::vector<epoll_event> events(kMaxEvents);
    std::vector<int> finished;
    for (;;) {
        bool escapes = false;
        for (auto& [fd, connection] : connections_) escapes |= connection.session->WaitsForEscape();
        const auto wait = escapes ? kEscapeTick : std::chrono::milliseconds(kTickPeriod);
        const int count =
            epoll_wait(epollFd_, events.data(), kMaxEvents, static_cast<int>(wait.count()));
        const auto now = Clock::now();
        for (int i = 0; i < count; ++i) {
            const int fd = events[static_cast<std::size_t>(i)].data.fd;
            const std::uint32_t what = events[static_cast<std::size_t>(i)].events;
            if (fd == listenFd_) {
                Accept(now);
            } else if (fd == wakeFd_ || fd == signalFd) {
                if (fd == signalFd) {
                    signalfd_siginfo info{};
                    [[maybe_unused]] auto got = read(signalFd, &info, sizeof info);
                } else {
                    std::uint64_t value = 0;
                    [[maybe_unused]] auto got = read(wakeFd_, &value, sizeof value);
                }
                BeginShutdown();
                shutdownDeadline = now + limits_.shutdownGrace;
            } else if (auto found = connections_.find(fd); found != connections_.end()) {
                if (what & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)) Read(found->second, now);
            }
        }
        if (!stopping_ && listenFd_ >= 0 && acceptPausedUntil_ != Clock::time_point{} &&
            now >= acceptPausedUntil_) {
            acceptPausedUntil_ = {};
            Watch(epollFd_, EPOLL_CTL_ADD, listenFd_, EPOLLIN);
        }
        const bool tick = now - lastTick >= kTickPeriod;
        if (tick) lastTick = now;
        finished.clear();
        for (auto& [fd, connection] : connections_) {
            if (tick || escapes) connection.session->Tick(now);
            if (!Flush(connection)) finished.push_back(fd);
        }
        for (int fd : finished) Close(fd);
        if (stopping_ && (connections_.empty() || now >= shutdownDeadline)) break;
    }
    while (!connections_.empty()) Close(connections_.begin()->first);
}

}  // namespace pellix::serve
