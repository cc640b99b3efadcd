// The instructor's scoreboard: every learner's name, whether connected, the
// score and the 50 tasks, as a page that refreshes itself and as JSON; and
// the HTTP server that serves them to holders of the token.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "serve/Classroom.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

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

// What a scoreboard action did: "" when done (the browser goes back to the
// scoreboard), else why not, answered with the status.
struct ActionResult {
    std::string refusal;
    int status = 400;
};
// A per-learner action of the scoreboard, run for the instructor at the
// client's address.
using ScoreboardAction = std::function<ActionResult(Classroom& room, const std::string& learner,
                                                    const std::string& client)>;

// Whether a request's Origin header, when it has one, names the scoreboard
// itself: http:// and the Host the request was sent to, on the scoreboard's
// port. A page elsewhere cannot then make the instructor's browser act.
bool SameOrigin(const std::string& origin, const std::string& host, int port);

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
    // The action run by "POST /action" with the form fields token, learner
    // and do=NAME; reset-pin is there from the start.
    void AddAction(const std::string& name, ScoreboardAction action);
    void Stop();

  private:
    Classroom& room_;
    std::string token_;
    std::unique_ptr<httplib::Server> http_;
    std::thread thread_;
    std::map<std::string, ScoreboardAction> actions_;
    void Act(const httplib::Request& request, httplib::Response& response);
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
