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

#include "lessons/page/LessonsPage.h"
#include "serve/LearnerArchive.h"
#include "serve/LearnerName.h"
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

void Refuse(httplib::Response& response) {
    response.status = 403;
    response.set_content(
        "The scoreboard needs its token: open the address pellix-serve printed at start-up.\n",
        "text/plain; charset=utf-8");
}

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    EscapeHtml(out, text);
    return out;
}

std::string Lowered(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The instructor ends the learner's session: the learner is told, the
// score saved.
ActionResult EndSession(Classroom& room, const std::string& learner, const std::string&,
                        httplib::Response&) {
    return {room.EndSession(learner), 409};
}

// The learner's files as a zip download (their PIN's hash left out).
ActionResult Export(Classroom& room, const std::string& learner, const std::string&,
                    httplib::Response& response) {
    const std::optional<std::filesystem::path> folder = room.LearnerFolder(learner);
    if (!folder) return {"there is no learner " + learner, 404};
    std::string error;
    std::optional<std::string> archive = LearnerArchive(*folder, error);
    if (!archive) return {"cannot export the files of " + learner + ": " + error, 500};
    response.set_header("Content-Disposition",
                        "attachment; filename=\"" + folder->filename().string() + ".zip\"");
    response.set_header("Cache-Control", "no-store");
    response.set_content(std::move(*archive), "application/zip");
    return {};
}

// The instructor forgot a learner's PIN for them: the next login under the
// name chooses a new one.
ActionResult ResetPin(Classroom& room, const std::string& learner, const std::string&,
                      httplib::Response&) {
    if (!room.LearnerFolder(learner)) return {"there is no learner " + learner, 404};
    return {room.ResetPin(learner), 500};
}

}  // namespace

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
    AddRoutes();
}

void WebServer::AddRoutes() {
    http_->Get("/", [this](const httplib::Request& request, httplib::Response& response) {
        if (!Authorised(request, token_)) return Refuse(response);
        response.set_header("Cache-Control", "no-store");
        response.set_content(ScoreboardHtml(room_.Statuses(), token_), "text/html; charset=utf-8");
    });
    http_->Get("/scoreboard.json",
               [this](const httplib::Request& request, httplib::Response& response) {
                   if (!Authorised(request, token_)) return Refuse(response);
                   response.set_header("Cache-Control", "no-store");
                   response.set_content(ScoreboardJson(room_.Statuses()), "application/json");
               });
    http_->Get("/class.csv", [this](const httplib::Request& request, httplib::Response& response) {
        if (!Authorised(request, token_)) return Refuse(response);
        response.set_header("Cache-Control", "no-store");
        response.set_header("Content-Disposition", "attachment; filename=\"class.csv\"");
        response.set_content(ClassCsv(room_.Statuses()), "text/csv; charset=utf-8");
    });
    http_->Get(std::string(kLessonsPath),
               [this](const httplib::Request&, httplib::Response& response) {
                   const FileRead read = lessonsPage_ ? ReadWholeFile(*lessonsPage_) : FileRead{};
                   if (!read.data) {
                       response.status = 404;
                       response.set_content("The lessons page is not installed on this server.\n",
                                            "text/plain; charset=utf-8");
                       return;
                   }
                   response.set_content(*read.data, "text/html; charset=utf-8");
               });
    http_->Post("/action", [this](const httplib::Request& request, httplib::Response& response) {
        Act(request, response);
    });
    // The instructor's actions on one learner, by the form's "do=".
    AddAction("end", EndSession);
    AddAction("export", Export);
    AddAction("reset-pin", ResetPin);
}

bool SameOrigin(const std::string& origin, const std::string& host, int port) {
    if (origin.empty()) return true;
    // Host names are compared regardless of case.
    const std::string lowHost = Lowered(host);
    if (lowHost.empty() || Lowered(origin) != "http://" + lowHost) return false;
    // The Host's port: after the last colon, unless that is inside an IPv6
    // address's brackets; 80 when none is given.
    const auto colon = lowHost.rfind(':');
    const auto bracket = lowHost.rfind(']');
    if (colon == std::string::npos || (bracket != std::string::npos && bracket > colon))
        return port == 80;
    return lowHost.substr(colon + 1) == std::to_string(port);
}

void WebServer::AddAction(const std::string& name, ScoreboardAction action) {
    actions_[name] = std::move(action);
}

// POST /action: one action on one learner, for holders of the token from the
// scoreboard's own page (its Origin); then back to the scoreboard, unless
// the action answered itself (a download). A refusal is said to the
// instructor's browser with the way back.
void WebServer::Act(const httplib::Request& request, httplib::Response& response) {
    const auto refuse = [&](int status, const std::string& text) {
        response.status = status;
        response.set_content(text + "\n", "text/plain; charset=utf-8");
    };
    if (!Authorised(request, token_))
        return refuse(403, "The action needs the scoreboard's token.");
    if (!SameOrigin(request.get_header_value("Origin"), request.get_header_value("Host"), port_))
        return refuse(403, "The action comes from another site's page; it is refused.");
    const std::string learner = request.get_param_value("learner");
    const std::string what = request.get_param_value("do");
    const auto found = actions_.find(what);
    if (found == actions_.end() || !ValidLearnerName(learner))
        return refuse(400, "No such action, or not a learner's name.");
    const ActionResult result = found->second(room_, learner, request.remote_addr, response);
    room_.Log("the instructor at " + request.remote_addr + ": " + what + " " + learner +
              (result.refusal.empty() ? "" : " refused: " + result.refusal));
    const std::string back = "/?token=" + httplib::detail::encode_query_param(token_);
    if (!result.refusal.empty()) {
        response.status = result.status;
        response.set_content(
            "<!DOCTYPE html>\n<html lang=\"en\"><meta charset=\"utf-8\">"
            "<title>Pellix classroom scoreboard</title>\n<p>" +
                HtmlEscaped(result.refusal) + ".</p>\n<p><a href=\"" + HtmlEscaped(back) +
                "\">Back to the scoreboard</a></p>\n",
            "text/html; charset=utf-8");
    } else if (response.body.empty()) {
        response.set_redirect(back, 303);
    }
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
