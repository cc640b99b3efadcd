#include "serve/Scoreboard.h"

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <random>

#include "lessons/Lessons.h"
#include "lessons/page/LessonsPage.h"
#include "state/Files.h"

namespace pellix::serve {

namespace {

constexpr std::size_t kTokenBytes = 16;

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
// The scoreboard's HTTP workers.
constexpr std::size_t kWorkers = 64;

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
)";

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
        std::to_string(kTaskCount) + "</th></tr>\n";
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
        html += "</div></td></tr>\n";
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

WebServer::WebServer(Classroom& room, std::string token)
    : room_(room), token_(std::move(token)), http_(std::make_unique<httplib::Server>()) {
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
    http_->set_keep_alive_max_count(20);
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
    http_->Get("/scoreboard.json",
               [this, refuse](const httplib::Request& request, httplib::Response& response) {
                   if (!Authorised(request, token_)) return refuse(response);
                   response.set_header("Cache-Control", "no-store");
                   response.set_content(ScoreboardJson(room_.Statuses()), "application/json");
               });
}

WebServer::~WebServer() {
    Stop();
}

int WebServer::Bind(const std::string& host, int port) {
    if (port == 0) return http_->bind_to_any_port(host);
    return http_->bind_to_port(host, port) ? port : -1;
}

void WebServer::Start() {
    thread_ = std::thread([this] { http_->listen_after_bind(); });
    // stop() only reaches a server that is running.
    for (int i = 0; i < 200 && !http_->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void WebServer::Stop() {
    if (!thread_.joinable()) return;
    http_->stop();
    thread_.join();
}

}  // namespace pellix::serve
