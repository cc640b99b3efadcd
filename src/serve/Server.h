// The listener and the sessions' threads. The main loop only accepts
// connections and waits for the signal to stop; every connection has a
// thread of its own, so that a learner's save to disk (flushed through to
// the disk, at most once a second: see kScoreSaveInterval) holds up no other
// learner. Sockets are never
// waited on for writing: what a client does not read is kept up to a cap,
// and a client that lets more pile up loses its session, never the others
// theirs.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "serve/Classroom.h"
#include "serve/Session.h"

namespace pellix::serve {

class SshHost;

struct ServerLimits {
    // Learners logged in at once.
    int maxSessions = 200;
    // Connections not yet logged in, in all and from one client address.
    int maxLoggingIn = 50;
    int maxLoggingInPerAddress = 10;
    // From the connection to the learner's name, keys or not.
    std::chrono::seconds loginTimeout = kLoginTimeout;
    std::chrono::seconds idleTimeout{1800};
    // Bytes kept for a client that does not read: about a hundred screens.
    std::size_t maxBuffered = 256 * 1024;
    // How long the goodbyes may take to leave when the server stops.
    std::chrono::milliseconds shutdownGrace{3000};
    // How long an ended session's last words may take to leave for a client
    // that does not read them.
    std::chrono::milliseconds farewellGrace{10000};
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
    // Binds the SSH listener beside it (0: any free port), with the host key
    // of the class folder `keyDir` (made there on the first start); returns
    // the port, or -1 with the reason in `error`.
    int BindSsh(const std::string& host, int port, const std::filesystem::path& keyDir,
                std::string& error);
    // Serves until Stop() or a signal arrives on `signalFd` (a signalfd, or
    // -1); then stops accepting, tells every learner, saves every score and
    // returns once every session is closed.
    void Run(int signalFd = -1);
    // Asks Run to finish; safe from any thread.
    void Stop();

  private:
    struct Connection;
    struct Progress;
    struct Woken;

    void Accept(int listenFd, bool ssh);
    void Serve(Connection& connection);
    void ServeSsh(Connection& connection);
    static Woken Await(Connection& connection, const Progress& progress);
    bool Step(Connection& connection, Progress& progress, const Woken& woken);
    bool Deliver(Connection& connection, Progress& progress, Clock::time_point now);
    void Reap(bool all);
    bool CountLogin(const std::string& client);
    void Start(int fd, const std::string& client, bool ssh);
    std::string Admit(Connection& connection);
    void LoggedIn(Connection& connection);
    void Left(Connection& connection);

    Classroom& room_;
    ServerLimits limits_;
    int listenFd_ = -1;
    int sshFd_ = -1;
    std::unique_ptr<SshHost> sshHost_;
    int wakeFd_ = -1;   // Stop()
    int endedFd_ = -1;  // a session's thread has ended
    std::atomic<bool> stopping_{false};
    std::list<std::unique_ptr<Connection>> connections_;
    // Counted by the sessions' threads and the accepting one.
    std::mutex countsMutex_;
    int learners_ = 0;
    int loggingIn_ = 0;
    std::map<std::string, int> loggingInFrom_;
};

}  // namespace pellix::serve
