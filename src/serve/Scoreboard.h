// The instructor's scoreboard: every learner's name, whether connected, the
// score and the 50 tasks, as a page that refreshes itself and as JSON; and
// the HTTP server that serves them to holders of the token.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "serve/Classroom.h"

namespace httplib {
class Server;
}

namespace pellix::serve {

inline constexpr int kRefreshSeconds = 5;
// How long a connection to the scoreboard may take to be answered.
inline constexpr std::chrono::seconds kRequestDeadline{10};
// A token in this file of the server's folder is used instead of a new one.
inline constexpr std::string_view kTokenFile = "scoreboard.token";

std::string ScoreboardJson(const std::vector<LearnerStatus>& learners);
std::string ScoreboardHtml(const std::vector<LearnerStatus>& learners, std::string_view token);

// The token from DIR/scoreboard.token (its first line), or a new random one
// when there is no such file. Returns "" and sets `error` when the file is
// there but unusable.
std::string ScoreboardToken(const std::filesystem::path& dir, bool& fromFile, std::string& error);

class WebServer {
  public:
    // A connection not answered within `requestDeadline` of its start is
    // cut off, however steadily its request trickles in.
    WebServer(Classroom& room, std::string token,
              std::chrono::seconds requestDeadline = kRequestDeadline);
    ~WebServer();
    // Binds to the address and port (0: any free port); returns the port, or
    // -1 when it cannot be bound.
    int Bind(const std::string& host, int port);
    // Serves in a thread of its own until Stop.
    void Start();
    void Stop();

  private:
    Classroom& room_;
    std::string token_;
    std::unique_ptr<httplib::Server> http_;
    std::thread thread_;
    // The connections' watcher, which cuts off those past the deadline.
    void Watch();
    std::chrono::seconds requestDeadline_;
    int port_ = -1;
    std::mutex watchMutex_;
    std::condition_variable watchWake_;
    bool stopping_ = false;
    std::thread watcher_;
};

}  // namespace pellix::serve
