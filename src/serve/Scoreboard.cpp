#include "serve/Scoreboard.h"

#include <dirent.h>
#include <fcntl.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

#include "lessons/Lessons.h"
#include "lessons/page/LessonsPage.h"
#include "state/Files.h"

namespace pellix::serve {

namespace {

constexpr std::size_t kTokenBytes = 16;

// The scoreboard's HTTP workers.
constexpr std::size_t kWorkers = 64;

// The local port of a connected TCP socket, or -1 (a listener, not a TCP
// socket, not a socket).
int ConnectedPort(int fd) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
    length = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port);
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
    return -1;
}

// A connection the scoreboard has accepted: its descriptor and its socket's
// inode, which tells a new socket on a reused descriptor apart.
using Connection = std::pair<int, ino_t>;

// The process's connections accepted on the port.
std::vector<Connection> ConnectionsOn(int port) {
    std::vector<Connection> found;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return found;
    const int own = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        const int fd = std::atoi(entry->d_name);
        struct stat status {};
        if (fd <= 2 || fd == own || fstat(fd, &status) != 0 || !S_ISSOCK(status.st_mode)) continue;
        if (ConnectedPort(fd) == port) found.emplace_back(fd, status.st_ino);
    }
    closedir(dir);
    return found;
}

// Shuts the connection down, so that the worker reading it sees its end.
// Done through a descriptor of our own, and only when it still names the
// same socket: the worker may have closed it and the number been reused.
void CutOff(const Connection& connection) {
    const int mine = fcntl(connection.first, F_DUPFD_CLOEXEC, 0);
    if (mine < 0) return;
    struct stat status {};
    if (fstat(mine, &status) == 0 && status.st_ino == connection.second) shutdown(mine, SHUT_RDWR);
    close(mine);
}

bool Done(const TaskEntry& entry) {
    return entry.value_or(0) != 0;
}

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    EscapeHtml(out, text);
    return out;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 32) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Compares the token in constant time.
bool SameToken(std::string_view given, std::string_view token) {
    unsigned char difference = given.size() == token.size() ? 0 : 1;
    for (std::size_t i = 0; i < std::min(given.size(), token.size()); ++i)
        difference |= static_cast<unsigned char>(given[i] ^ token[i]);
    return difference == 0;
}

// The token from "?token=..." or an "Authorization: Bearer ..." header.
bool Authorised(const httplib::Request& request, std::string_view token) {
    if (request.has_param("token") && SameToken(request.get_param_value("token"), token))
        return true;
    const std::string header = request.get_header_value("Authorization");
    return header.starts_with("Bearer ") && SameToken(header.substr(7), token);
}

constexpr char kStyle[] = R"(
body { font-family: sans-serif; margin: 1.5em; color: #222; background: #fafafa; }
h1 { font-size: 1.4em; margin-bottom: 0.2em; }
p.summary { color: #555; margin-top: 0; }
table { border-collapse: collapse; }
th, td { padding: 0.3em 0.8em; text-align: left; border-bottom: 1px solid #ddd; }
th { background: #eee; }
td.score { text-align: right; font-variant-numeric: tabular-nums; font-weight: bold; }
.on { color: #1a7f37; font-weight: bold; }
.off { color: #888; }
.grid { display: flex; gap: 6px; }
.group { display: flex; gap: 2px; }
.task { width: 12px; height: 16px; background: #d8d8d8; border-radius: 2px; }
.task.done { background: #2e9e4f; }
.problem { color: #b3261e; font-weight: normal; font-size: 0.85em; }
form.action { display: inline; margin: 0; }
)";

// A button for an action on the learner, posted with the token.
std::string ActionButton(std::string_view action, std::string_view label,
                         const LearnerStatus& learner, std::string_view token) {
    return "<form class=\"action\" method=\"post\" action=\"/action\">"
           "<input type=\"hidden\" name=\"token\" value=\"" +
           HtmlEscaped(token) + "\"><input type=\"hidden\" name=\"learner\" value=\"" +
           HtmlEscaped(learner.name) + "\"><button name=\"do\" value=\"" + HtmlEscaped(action) +
           "\">" + HtmlEscaped(label) + "</button></form>";
}

// The instructor forgot a learner's PIN for them: the next login under the
// name chooses a new one.
ActionResult ResetPin(Classroom& room, const std::string& learner, const std::string& client) {
    if (std::string refusal = room.ResetPin(learner, client); !refusal.empty())
        return {refusal, 404};
    return {};
}

}  // namespace

std::string ScoreboardJson(const std::vector<LearnerStatus>& learners) {
    std::string json = "{\"taskCount\":" + std::to_string(kTaskCount) + ",\"learners\":[";
    for (std::size_t i = 0; i < learners.size(); ++i) {
        const LearnerStatus& learner = learners[i];
        if (i) json += ",";
        json += "{\"name\":" + JsonString(learner.name);
        json += ",\"connected\":" + std::string(learner.connected ? "true" : "false");
        json += ",\"score\":" + std::to_string(SumTasks(learner.tasks));
        json += ",\"problem\":" + JsonString(learner.problem);
        json += ",\"tasks\":[";
        for (int task = 1; task <= kTaskCount; ++task) {
            if (task > 1) json += ",";
            json += Done(learner.tasks[static_cast<std::size_t>(task)]) ? "true" : "false";
        }
        json += "]}";
    }
    return json + "]}\n";
}

std::string ScoreboardHtml(const std::vector<LearnerStatus>& learners, std::string_view token) {
    int connected = 0;
    for (const LearnerStatus& learner : learners) connected += learner.connected ? 1 : 0;
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"refresh\" content=\"" +
        std::to_string(kRefreshSeconds) +
        "\">\n"
        "<title>Pellix classroom scoreboard</title>\n<style>" +
        std::string(kStyle) +
        "</style></head>\n<body>\n<h1>Pellix classroom scoreboard</h1>\n"
        "<p class=\"summary\">" +
        std::to_string(learners.size()) + " learners, " + std::to_string(connected) +
        " connected. Refreshes every " + std::to_string(kRefreshSeconds) +
        " seconds. <a href=\"scoreboard.json?token=" + HtmlEscaped(token) +
        "\">JSON</a></p>\n"
        "<table>\n<tr><th>Learner</th><th>Connected</th><th>Score</th><th>Tasks 1 to " +
        std::to_string(kTaskCount) + "</th><th>Actions</th></tr>\n";
    for (const LearnerStatus& learner : learners) {
        html += "<tr><td class=\"name\">" + HtmlEscaped(learner.name) + "</td>";
        html += learner.connected ? "<td class=\"on\">connected</td>" : "<td class=\"off\">no</td>";
        html += "<td class=\"score\">" + std::to_string(SumTasks(learner.tasks));
        if (!learner.problem.empty())
            html += "<br><span class=\"problem\">" + HtmlEscaped(learner.problem) + "</span>";
        html += "</td>";
        html += "<td><div class=\"grid\">";
        for (int task = 1; task <= kTaskCount; ++task) {
            if (task % 10 == 1) html += "<div class=\"group\">";
            const bool done = Done(learner.tasks[static_cast<std::size_t>(task)]);
            html += std::string("<div class=\"task") + (done ? " done" : "") + "\" title=\"" +
                    std::to_string(task) + ". " + HtmlEscaped(TaskTitle(task)) +
                    (done ? ": done" : "") + "\"></div>";
            if (task % 10 == 0) html += "</div>";
        }
        html += "</div></td><td class=\"actions\">" +
                ActionButton("reset-pin", "Reset PIN", learner, token) + "</td></tr>\n";
    }
    return html + "</table>\n</body></html>\n";
}

std::string ScoreboardToken(const std::filesystem::path& dir, bool& fromFile, std::string& error) {
    fromFile = false;
    const std::filesystem::path file = dir / kTokenFile;
    const FileRead read = ReadWholeFile(file);
    if (read.error != FileError::NotFound) {
        std::string token = read.data ? read.data->substr(0, read.data->find_first_of("\r\n")) : "";
        if (token.empty()) {
            error = "cannot use the token in " + file.string() +
                    (read.data ? ": its first line is empty"
                               : ": " + std::string(Describe(read.error)));
            return {};
        }
        fromFile = true;
        return token;
    }
    std::random_device random;
    std::string token;
    for (std::size_t i = 0; i < kTokenBytes; ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned>(random() & 0xff));
        token += hex;
    }
    return token;
}

WebServer::WebServer(Classroom& room, std::string token, std::chrono::seconds requestDeadline)
    : room_(room),
      token_(std::move(token)),
      http_(std::make_unique<httplib::Server>()),
      requestDeadline_(requestDeadline) {
    // Enough workers that clients holding some with unfinished requests
    // leave others for the instructor; more wait in the pool's queue.
    http_->new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    // SO_REUSEADDR only: cpp-httplib's own options share a port in use with
    // another server (SO_REUSEPORT), which must fail instead.
    http_->set_socket_options([](socket_t fd) {
        int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    });
    http_->set_payload_max_length(4096);
    http_->set_read_timeout(std::chrono::seconds(5));
    http_->set_write_timeout(std::chrono::seconds(5));
    // One request a connection, so that the request deadline is the
    // connection's (the page asks again only every few seconds).
    http_->set_keep_alive_max_count(1);
    const auto refuse = [](httplib::Response& response) {
        response.status = 403;
        response.set_content(
            "The scoreboard needs its token: open the address pellix-serve printed at start-up.\n",
            "text/plain; charset=utf-8");
    };
    http_->Get("/", [this, refuse](const httplib::Request& request, httplib::Response& response) {
        if (!Authorised(request, token_)) return refuse(response);
        response.set_header("Cache-Control", "no-store");
        response.set_content(ScoreboardHtml(room_.Statuses(), token_), "text/html; charset=utf-8");
    });
    http_->Post("/action", [this](const httplib::Request& request, httplib::Response& response) {
        Act(request, response);
    });
    AddAction("reset-pin", ResetPin);
    http_->Get("/scoreboard.json",
               [this, refuse](const httplib::Request& request, httplib::Response& response) {
                   if (!Authorised(request, token_)) return refuse(response);
                   response.set_header("Cache-Control", "no-store");
                   response.set_content(ScoreboardJson(room_.Statuses()), "application/json");
               });
}

bool SameOrigin(const std::string& origin, const std::string& host, int port) {
    if (origin.empty()) return true;
    if (host.empty() || origin != "http://" + host) return false;
    // The Host's port: after the last colon, unless that is inside an IPv6
    // address's brackets; 80 when none is given.
    const auto colon = host.rfind(':');
    const auto bracket = host.rfind(']');
    if (colon == std::string::npos || (bracket != std::string::npos && bracket > colon))
        return port == 80;
    return host.substr(colon + 1) == std::to_string(port);
}

void WebServer::AddAction(const std::string& name, ScoreboardAction action) {
    actions_[name] = std::move(action);
}

// POST /action: the token and the Origin checked, the action looked up by
// its name and run; the browser goes back to the scoreboard.
void WebServer::Act(const httplib::Request& request, httplib::Response& response) {
    const auto refuse = [&](int status, const std::string& text) {
        response.status = status;
        response.set_content(text + "\n", "text/plain; charset=utf-8");
    };
    if (!Authorised(request, token_))
        return refuse(403, "The action needs the scoreboard's token.");
    if (!SameOrigin(request.get_header_value("Origin"), request.get_header_value("Host"), port_))
        return refuse(403, "The action comes from another site's page; it is refused.");
    const auto found = actions_.find(request.get_param_value("do"));
    if (found == actions_.end()) return refuse(400, "No such action.");
    const ActionResult result =
        found->second(room_, request.get_param_value("learner"), request.remote_addr);
    if (!result.refusal.empty()) return refuse(result.status, result.refusal);
    response.set_redirect("/?token=" + token_, 303);
}

WebServer::~WebServer() {
    Stop();
}

int WebServer::Bind(const std::string& host, int port) {
    if (port == 0)
        port_ = http_->bind_to_any_port(host);
    else
        port_ = http_->bind_to_port(host, port) ? port : -1;
    return port_;
}

// Cuts off every connection to the scoreboard older than the request
// deadline, however steadily its request trickles in: the worker reading it
// is free again. Looked at twice a deadline, so a connection lasts at most
// one and a half.
void WebServer::Watch() {
    std::map<Connection, std::chrono::steady_clock::time_point> seen;
    std::unique_lock lock(watchMutex_);
    while (!stopping_) {
        const auto now = std::chrono::steady_clock::now();
        std::map<Connection, std::chrono::steady_clock::time_point> still;
        for (const Connection& connection : ConnectionsOn(port_)) {
            const auto found = seen.find(connection);
            const auto since = found == seen.end() ? now : found->second;
            if (now - since >= requestDeadline_)
                CutOff(connection);
            else
                still.emplace(connection, since);
        }
        seen = std::move(still);
        watchWake_.wait_for(lock, requestDeadline_ / 2, [this] { return stopping_; });
    }
}

void WebServer::Start() {
    thread_ = std::thread([this] { http_->listen_after_bind(); });
    watcher_ = std::thread([this] { Watch(); });
    // stop() only reaches a server that is running.
    for (int i = 0; i < 200 && !http_->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void WebServer::Stop() {
    if (watcher_.joinable()) {
        {
            std::lock_guard lock(watchMutex_);
            stopping_ = true;
        }
        watchWake_.notify_all();
        watcher_.join();
    }
    if (!thread_.joinable()) return;
    http_->stop();
    thread_.join();
}

}  // namespace pellix::serve
