// The scoreboard's texts: the JSON, the page with its script, the class
// list as CSV, and the order of the learners in them.
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "lessons/Lessons.h"
#include "lessons/page/LessonsPage.h"
#include "serve/Scoreboard.h"

namespace pellix::serve {

namespace {

bool Done(const TaskEntry& entry) {
    return entry.value_or(0) != 0;
}

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    EscapeHtml(out, text);
    return out;
}

// A JSON string; "<" escaped too, so that it may stand inside a script element.
std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 32 || c == '<') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

long long EpochSeconds(SystemTime time) {
    return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

// Seconds from the last activity to now (never less than none).
long long IdleSeconds(SystemTime last, SystemTime now) {
    return std::max<long long>(0, EpochSeconds(now) - EpochSeconds(last));
}

// "under a minute", "12 min", "2 h 5 min".
std::string IdleText(long long seconds) {
    const long long minutes = seconds / 60;
    if (minutes < 1) return "under a minute";
    if (minutes < 60) return std::to_string(minutes) + " min";
    return std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min";
}

std::string TimeText(SystemTime time, const char* format, bool utc) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm parts{};
    if (utc ? !gmtime_r(&seconds, &parts) : !localtime_r(&seconds, &parts)) return {};
    char text[32];
    return std::strftime(text, sizeof text, format, &parts) ? text : "";
}

// A run of digits at the start of the text, without its leading zeros.
std::string_view DigitRun(std::string_view text, std::size_t& length) {
    length = 0;
    while (length < text.size() && text[length] >= '0' && text[length] <= '9') ++length;
    std::string_view run = text.substr(0, length);
    while (run.size() > 1 && run.front() == '0') run.remove_prefix(1);
    return run;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Negative, zero or positive as a comes before, with or after b.
int NaturalCompare(std::string_view a, std::string_view b) {
    while (!a.empty() && !b.empty()) {
        std::size_t aLength = 0, bLength = 0;
        const std::string_view aRun = DigitRun(a, aLength);
        const std::string_view bRun = DigitRun(b, bLength);
        if (aLength > 0 && bLength > 0) {
            if (aRun.size() != bRun.size()) return aRun.size() < bRun.size() ? -1 : 1;
            if (const int order = aRun.compare(bRun); order != 0) return order;
            a.remove_prefix(aLength);
            b.remove_prefix(bLength);
            continue;
        }
        if (Lower(a.front()) != Lower(b.front()))
            return Lower(a.front()) < Lower(b.front()) ? -1 : 1;
        a.remove_prefix(1);
        b.remove_prefix(1);
    }
    return a.empty() == b.empty() ? 0 : a.empty() ? -1 : 1;
}

constexpr char kStyle[] = R"(
body { font-family: sans-serif; margin: 1.5em; color: #222; background: #fafafa; }
h1 { font-size: 1.4em; margin-bottom: 0.2em; }
p.summary { color: #555; margin-top: 0; }
table { border-collapse: collapse; }
th, td { padding: 0.3em 0.8em; text-align: left; border-bottom: 1px solid #ddd; vertical-align: top; }
th { background: #eee; }
td.score { text-align: right; font-variant-numeric: tabular-nums; font-weight: bold; }
.on { color: #1a7f37; font-weight: bold; }
.off { color: #888; }
.kept { color: #8a5a00; }
.grid { display: flex; gap: 6px; }
.group { display: flex; gap: 2px; }
.task { width: 12px; height: 16px; background: #d8d8d8; border-radius: 2px; }
.task.done { background: #2e9e4f; }
.problem { color: #b3261e; font-weight: normal; font-size: 0.85em; }
.idle, .client { color: #555; font-size: 0.85em; }
td.activity { white-space: nowrap; }
form { margin: 0; white-space: nowrap; }
)";

// The page's script: the table again from the JSON every few seconds, the
// rows built as the server builds them; a confirmation before a session
// ends or a PIN is reset. Without script, the page reloads itself instead.
constexpr char kScript[] = R"(
(function () {
  var board = document.getElementById('board');
  var token = board.getAttribute('data-token');
  var titles = JSON.parse(document.getElementById('task-titles').textContent);
  var summary = document.getElementById('summary');
  function esc(text) {
    return String(text).replace(/[&<>"]/g, function (c) {
      return {'&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;'}[c];
    });
  }
  function idle(seconds) {
    var minutes = Math.floor(seconds / 60);
    if (minutes < 1) return 'under a minute';
    if (minutes < 60) return minutes + ' min';
    return Math.floor(minutes / 60) + ' h ' + (minutes % 60) + ' min';
  }
  function activity(l) {
    if (l.lastActivity === null) return '';
    var d = new Date(l.lastActivity * 1000);
    var two = function (n) { return (n < 10 ? '0' : '') + n; };
    var text = d.getFullYear() + '-' + two(d.getMonth() + 1) + '-' + two(d.getDate()) + ' ' +
        two(d.getHours()) + ':' + two(d.getMinutes()) + ':' + two(d.getSeconds());
    if (l.connected) text += '<br><span class="idle">idle ' + idle(l.idleSeconds) + '</span>';
    return text;
  }
  function tasks(l) {
    var html = '<div class="grid">';
    for (var t = 1; t <= l.tasks.length; ++t) {
      if (t % 10 === 1) html += '<div class="group">';
      var done = l.tasks[t - 1];
      html += '<div class="task' + (done ? ' done' : '') + '" title="' + t + '. ' +
              esc(titles[t - 1]) + (done ? ': done' : '') + '"></div>';
      if (t % 10 === 0) html += '</div>';
    }
    return html + '</div>';
  }
  function actions(l) {
    var html = '<form method="post" action="/action">' +
        '<input type="hidden" name="token" value="' + esc(token) + '">' +
        '<input type="hidden" name="learner" value="' + esc(l.name) + '">';
    if (l.connected || l.keptUntil !== null)
      html += '<button name="do" value="end">End session</button> ';
    return html + '<button name="do" value="export">Export files</button> ' +
        '<button name="do" value="reset-pin">Reset PIN</button></form>';
  }
  function connection(l) {
    if (l.connected) return '<td class="on">connected</td>';
    if (l.keptUntil === null) return '<td class="off">no</td>';
    var d = new Date(l.keptUntil * 1000);
    var two = function (n) { return (n < 10 ? '0' : '') + n; };
    return '<td class="kept">router kept until ' + two(d.getHours()) + ':' +
        two(d.getMinutes()) + '</td>';
  }
  function row(l) {
    return '<tr><td class="name">' + esc(l.name) + '</td>' + connection(l) +
        '<td class="score">' + l.score +
        (l.problem ? '<br><span class="problem">' + esc(l.problem) + '</span>' : '') + '</td>' +
        '<td class="activity">' + activity(l) + '</td>' +
        '<td class="client">' + esc(l.client) + '</td>' +
        '<td>' + tasks(l) + '</td><td class="actions">' + actions(l) + '</td></tr>';
  }
  function update() {
    fetch('/scoreboard.json?token=' + encodeURIComponent(token), {cache: 'no-store'})
      .then(function (response) {
        if (!response.ok) throw new Error(response.status);
        return response.json();
      })
      .then(function (data) {
        var connected = data.learners.filter(function (l) { return l.connected; }).length;
        board.tBodies[0].innerHTML = data.learners.map(row).join('');
        summary.textContent = data.learners.length + ' learners, ' + connected +
            ' connected. Updated ' + new Date().toLocaleTimeString() + '.';
      })
      .catch(function () {
        summary.textContent = 'The server does not answer; trying again.';
      });
  }
  board.addEventListener('submit', function (event) {
    var button = event.submitter;
    var learner = event.target.elements.learner.value;
    var questions = {
      'end': 'End the session of ' + learner + '? The score is saved.',
      'reset-pin': 'Reset the PIN of ' + learner + '? The next login under the name chooses a new one.'
    };
    var question = button && questions[button.value];
    if (question && !window.confirm(question)) event.preventDefault();
  });
  setInterval(update, REFRESH_MS);
})();
)";

std::string TaskTitlesJson() {
    std::string json = "[";
    for (int task = 1; task <= kTaskCount; ++task)
        json += (task > 1 ? "," : "") + JsonString(TaskTitle(task));
    return json + "]";
}

std::string Script() {
    std::string script = kScript;
    const std::string marker = "REFRESH_MS";
    script.replace(script.find(marker), marker.size(), std::to_string(kRefreshSeconds * 1000));
    return script;
}

std::string HtmlHead(std::string_view token, std::size_t learners, int connected) {
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
           "<noscript><meta http-equiv=\"refresh\" content=\"" +
           std::to_string(kRefreshSeconds) +
           "\"></noscript>\n"
           "<title>Pellix classroom scoreboard</title>\n<style>" +
           std::string(kStyle) +
           "</style></head>\n<body>\n<h1>Pellix classroom scoreboard</h1>\n"
           "<p class=\"summary\"><span id=\"summary\">" +
           std::to_string(learners) + " learners, " + std::to_string(connected) +
           " connected. Refreshes every " + std::to_string(kRefreshSeconds) +
           " seconds.</span> <a href=\"/scoreboard.json?token=" + HtmlEscaped(token) +
           "\">JSON</a> <a href=\"/class.csv?token=" + HtmlEscaped(token) +
           "\">Class list (CSV)</a> <a href=\"/readme.htm\">Lessons</a></p>\n"
           "<table id=\"board\" data-token=\"" +
           HtmlEscaped(token) +
           "\">\n<thead><tr><th>Learner</th><th>Connected</th><th>Score</th>"
           "<th>Last activity</th><th>Client</th><th>Tasks 1 to " +
           std::to_string(kTaskCount) + "</th><th>Actions</th></tr></thead>\n<tbody>\n";
}

std::string TaskCells(const LearnerStatus& learner) {
    std::string html = "<td><div class=\"grid\">";
    for (int task = 1; task <= kTaskCount; ++task) {
        if (task % 10 == 1) html += "<div class=\"group\">";
        const bool done = Done(learner.tasks[static_cast<std::size_t>(task)]);
        html += std::string("<div class=\"task") + (done ? " done" : "") + "\" title=\"" +
                std::to_string(task) + ". " + HtmlEscaped(TaskTitle(task)) +
                (done ? ": done" : "") + "\"></div>";
        if (task % 10 == 0) html += "</div>";
    }
    return html + "</div></td>";
}

std::string ActionCell(const LearnerStatus& learner, std::string_view token) {
    std::string html =
        "<td class=\"actions\"><form method=\"post\" action=\"/action\">"
        "<input type=\"hidden\" name=\"token\" value=\"" +
        HtmlEscaped(token) + "\"><input type=\"hidden\" name=\"learner\" value=\"" +
        HtmlEscaped(learner.name) + "\">";
    if (learner.connected || learner.keptUntil)
        html += "<button name=\"do\" value=\"end\">End session</button> ";
    return html +
           "<button name=\"do\" value=\"export\">Export files</button> "
           "<button name=\"do\" value=\"reset-pin\">Reset PIN</button></form></td>";
}

// Connected, or not; a learner's router kept since the connection dropped
// says until when (the server's local time).
std::string ConnectionCell(const LearnerStatus& learner) {
    if (learner.connected) return "<td class=\"on\">connected</td>";
    if (!learner.keptUntil) return "<td class=\"off\">no</td>";
    return "<td class=\"kept\">router kept until " + TimeText(*learner.keptUntil, "%H:%M", false) +
           "</td>";
}

std::string HtmlRow(const LearnerStatus& learner, std::string_view token, SystemTime now) {
    std::string html = "<tr><td class=\"name\">" + HtmlEscaped(learner.name) + "</td>";
    html += ConnectionCell(learner);
    html += "<td class=\"score\">" + std::to_string(SumTasks(learner.tasks));
    if (!learner.problem.empty())
        html += "<br><span class=\"problem\">" + HtmlEscaped(learner.problem) + "</span>";
    html += "</td><td class=\"activity\">";
    if (learner.lastActivity) {
        html += TimeText(*learner.lastActivity, "%Y-%m-%d %H:%M:%S", false);
        if (learner.connected)
            html += "<br><span class=\"idle\">idle " +
                    IdleText(IdleSeconds(*learner.lastActivity, now)) + "</span>";
    }
    html += "</td><td class=\"client\">" + HtmlEscaped(learner.client) + "</td>";
    return html + TaskCells(learner) + ActionCell(learner, token) + "</tr>\n";
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
    const int order = NaturalCompare(a, b);
    return order != 0 ? order < 0 : a < b;
}

void ScoreboardOrder(std::vector<LearnerStatus>& learners) {
    std::sort(learners.begin(), learners.end(), [](const LearnerStatus& a, const LearnerStatus& b) {
        if (a.connected != b.connected) return a.connected;
        return NaturalLess(a.name, b.name);
    });
}

std::string ScoreboardJson(std::vector<LearnerStatus> learners, SystemTime now) {
    ScoreboardOrder(learners);
    std::string json = "{\"taskCount\":" + std::to_string(kTaskCount) + ",\"learners\":[";
    for (std::size_t i = 0; i < learners.size(); ++i) {
        const LearnerStatus& learner = learners[i];
        if (i) json += ",";
        json += "{\"name\":" + JsonString(learner.name);
        json += ",\"connected\":" + std::string(learner.connected ? "true" : "false");
        json += ",\"score\":" + std::to_string(SumTasks(learner.tasks));
        json += ",\"problem\":" + JsonString(learner.problem);
        json += ",\"client\":" + JsonString(learner.client);
        json += ",\"lastActivity\":" + (learner.lastActivity
                                            ? std::to_string(EpochSeconds(*learner.lastActivity))
                                            : std::string("null"));
        json += ",\"idleSeconds\":" + (learner.lastActivity && learner.connected
                                           ? std::to_string(IdleSeconds(*learner.lastActivity, now))
                                           : std::string("null"));
        json += ",\"keptUntil\":" +
                (learner.keptUntil ? std::to_string(EpochSeconds(*learner.keptUntil)) : "null");
        json += ",\"tasks\":[";
        for (int task = 1; task <= kTaskCount; ++task) {
            if (task > 1) json += ",";
            json += Done(learner.tasks[static_cast<std::size_t>(task)]) ? "true" : "false";
        }
        json += "]}";
    }
    return json + "]}\n";
}

std::string ScoreboardHtml(std::vector<LearnerStatus> learners, std::string_view token,
                           SystemTime now) {
    ScoreboardOrder(learners);
    int connected = 0;
    for (const LearnerStatus& learner : learners) connected += learner.connected ? 1 : 0;
    std::string html = HtmlHead(token, learners.size(), connected);
    for (const LearnerStatus& learner : learners) html += HtmlRow(learner, token, now);
    return html + "</tbody>\n</table>\n<script type=\"application/json\" id=\"task-titles\">" +
           TaskTitlesJson() + "</script>\n<script>" + Script() + "</script>\n</body></html>\n";
}

std::string ClassCsv(std::vector<LearnerStatus> learners) {
    std::sort(learners.begin(), learners.end(), [](const LearnerStatus& a, const LearnerStatus& b) {
        return NaturalLess(a.name, b.name);
    });
    std::string csv = "name,score";
    for (int task = 1; task <= kTaskCount; ++task) csv += ",task " + std::to_string(task);
    csv += ",last activity\r\n";
    for (const LearnerStatus& learner : learners) {
        csv += CsvField(learner.name) + "," + std::to_string(SumTasks(learner.tasks));
        for (int task = 1; task <= kTaskCount; ++task)
            csv += Done(learner.tasks[static_cast<std::size_t>(task)]) ? ",1" : ",0";
        csv += ",";
        if (learner.lastActivity)
            csv += TimeText(*learner.lastActivity, "%Y-%m-%dT%H:%M:%SZ", true);
        csv += "\r\n";
    }
    return csv;
}

}  // namespace pellix::serve
