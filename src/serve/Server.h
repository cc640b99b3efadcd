// The event loop: one thread serves every connection. Sockets are never
// waited on: what a client does not read is kept up to a cap, and a client
// that lets more pile up loses its session, never the others theirs.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "serve/Classroom.h"
#include "serve/Session.h"

namespace pellix::serve {

struct ServerLimits {
    int maxSessions = 200;
    std::chrono::seconds idleTimeout{1800};
    // Bytes kept for a client that does not read: about a hundred screens.
    std::size_t maxBuffered = 256 * 1024;
    // How long the goodbyes may take to leave when the server stops.
    std::chrono::milliseconds shutdownGrace{3000};
};

class Server {
  public:
    Server(Classroom& room, ServerLimits limits);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds the telnet listener to the address and port (0: any free port);
    // returns the port, or -1 with the reason in `error`.
    int Bind(const std::string& host, int port, std::string& error);
    // Serves until Stop() or a signal arrives on `signalFd` (a signalfd, or
    // -1); then stops accepting, tells every learner, saves every score and
    // returns once every session is closed.
    void Run(int signalFd = -1);
    // Asks Run to finish; safe from any thread or a signal handler.
    void Stop();

  private:
    struct Connection {
        int fd = -1;
        std::unique_ptr<Session> session;
        std::size_t sent = 0;  // bytes of the session's output already sent
        bool watchingWrites = false;
    };

    void Accept(Clock::time_point now);
    void Read(Connection& connection, Clock::time_point now);
    // Sends what it can; returns false when the connection is to be closed.
    bool Flush(Connection& connection);
    void Close(int fd);
    void BeginShutdown();

    Classroom& room_;
    ServerLimits limits_;
    int listenFd_ = -1;
    int epollFd_ = -1;
    int wakeFd_ = -1;
    bool stopping_ = false;
    Clock::time_point acceptPausedUntil_{};
    std::map<int, Connection> connections_;
};

}  // namespace pellix::serve
