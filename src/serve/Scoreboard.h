// The instructor's scoreboard: every learner's name, whether connected and
// from where, the score, the last activity and the 50 tasks, as a page that
// keeps itself up to date, as JSON and as a class list for a gradebook; the
// instructor's actions on one learner; and the HTTP server that serves them
// to holders of the token, and the lessons page to everyone.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
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
// Where the scoreboard's server serves the lessons page.
inline constexpr std::string_view kLessonsPath = "/readme.htm";

using SystemTime = std::chrono::system_clock::time_point;

// Names as a person orders them: letters regardless of case, a run of digits
// by its value ("learner2" before "learner10").
bool NaturalLess(std::string_view a, std::string_view b);
// The scoreboard's order: connected learners first, each part by name in
// natural order.
void ScoreboardOrder(std::vector<LearnerStatus>& learners);

// The scoreboard in its order, as JSON and as the page (which updates itself
// from the JSON, or reloads itself without script); `now` for the idle times.
std::string ScoreboardJson(std::vector<LearnerStatus> learners,
                           SystemTime now = std::chrono::system_clock::now());
std::string ScoreboardHtml(std::vector<LearnerStatus> learners, std::string_view token,
                           SystemTime now = std::chrono::system_clock::now());
// The class for a gradebook, by name in natural order: name, score, each
// task's done mark (1 or 0) and the last activity (UTC, ISO 8601).
std::string ClassCsv(std::vector<LearnerStatus> learners);

// The token from DIR/scoreboard.token (its first line), or a new random one
// when there is no such file. Returns "" and sets `error` when the file is
// there but unusable.
std::string ScoreboardToken(const std::filesystem::path& dir, bool& fromFile, std::string& error);

// What a scoreboard action did: "" when done (the browser goes back to the
// scoreboard, unless the action answered with a download of its own), else
// why not, answered with the status.
struct ActionResult {
    std::string refusal;
    int status = 409;
};
// A per-learner action of the scoreboard, run for the instructor at the
// client's address; it may answer with a download in `response`.
using ScoreboardAction =
    std::function<ActionResult(Classroom& room, const std::string& learner,
                               const std::string& client, httplib::Response& response)>;

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
    // Serves the lessons page at /readme.htm, to anyone (it holds nothing of
    // the class); without one, that address answers 404. Before Start.
    void ServeLessonsPage(std::filesystem::path page) { lessonsPage_ = std::move(page); }
    // Serves in a thread of its own until Stop.
    void Start();
    // The action run by "POST /action" with the form fields token, learner
    // and do=NAME; end, export and reset-pin are there from the start.
    void AddAction(const std::string& name, ScoreboardAction action);
    void Stop();

  private:
    void Act(const httplib::Request& request, httplib::Response& response);
    void AddRoutes();

    Classroom& room_;
    std::string token_;
    // The instructor's actions on one learner, by the form's "do=".
    std::map<std::string, ScoreboardAction> actions_;
    std::optional<std::filesystem::path> lessonsPage_;
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
