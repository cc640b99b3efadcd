#include "lessons/page/LessonsPage.h"

#include <string>
#include <vector>

#include "lessons/Lessons.h"
#include "lessons/RealRouter.h"
#include "scoring/TaskTable.h"

namespace pellix {

namespace {

constexpr std::string_view kStyle = R"(
:root {
  color-scheme: light dark;
  --text: #1d2430; --muted: #56606e; --page: #fbfcfe; --panel: #eef2f7;
  --line: #c9d3df; --accent: #1f5fa8; --type: #0f3d1c; --type-bg: #e7f4ea;
  --router: #1d2430; --router-bg: #f1f1ec; --task-bg: #fff4d6; --task: #5a4300;
}
@media (prefers-color-scheme: dark) {
  :root {
    --text: #e3e8ef; --muted: #a3adba; --page: #14181e; --panel: #1e242c;
    --line: #3a4452; --accent: #8cbcf2; --type: #c6f0cf; --type-bg: #1b2f22;
    --router: #e3e8ef; --router-bg: #23272e; --task-bg: #3b3113; --task: #f4dc9a;
  }
}
* { box-sizing: border-box; }
html { -webkit-text-size-adjust: 100%; text-size-adjust: 100%; }
body {
  margin: 0 auto; max-width: 52rem; padding: 1rem 1.25rem 3rem;
  font: 1rem/1.55 system-ui, "DejaVu Sans", sans-serif;
  color: var(--text); background: var(--page);
}
h1 { font-size: 1.9rem; margin: 0.5rem 0; }
h2 { font-size: 1.4rem; margin-top: 2.5rem; padding-top: 0.5rem; border-top: 2px solid var(--line); }
h3 { font-size: 1.05rem; margin: 1.5rem 0 0.5rem; }
a { color: var(--accent); }
code, kbd, pre { font-family: "DejaVu Sans Mono", ui-monospace, monospace; font-size: 0.92em; }
code { background: var(--panel); padding: 0 0.2em; border-radius: 3px; }
kbd {
  border: 1px solid var(--line); border-bottom-width: 2px; border-radius: 4px;
  padding: 0 0.3em; background: var(--page);
}
pre { overflow-x: auto; padding: 0.6rem 0.8rem; border-radius: 6px; margin: 0.4rem 0; }
pre.type { color: var(--type); background: var(--type-bg); border-left: 4px solid #3c9a55; }
p.real { border-left: 4px solid var(--line); padding-left: 0.6em; }
pre.router { color: var(--router); background: var(--router-bg); border-left: 4px solid var(--line); }
pre.type::before, pre.router::before {
  display: block; font: 0.75rem/1.4 system-ui, sans-serif; color: var(--muted);
}
pre.type::before { content: "You type"; }
pre.router::before { content: "The console shows"; }
.step { margin: 1.25rem 0; }
.earns { margin: 0 0 0.25rem; }
.task {
  display: inline-block; margin: 0 0.3rem 0.2rem 0; padding: 0.05rem 0.5rem;
  border-radius: 999px; background: var(--task-bg); color: var(--task); font-size: 0.9rem;
}
details { background: var(--panel); border-radius: 6px; padding: 0.5rem 0.8rem; margin: 1rem 0; }
summary { cursor: pointer; font-weight: 600; }
.plan { margin: 1rem 0; }
.plan svg { display: block; width: 100%; height: auto; max-width: 629px; border-radius: 6px; }
ul.toc { list-style: none; padding-left: 0.5rem; }
table { border-collapse: collapse; width: 100%; }
th, td { text-align: left; padding: 0.2rem 0.5rem; border-bottom: 1px solid var(--line); vertical-align: top; }
.muted { color: var(--muted); }
@media (max-width: 40rem) {
  body { padding: 0.5rem 0.75rem 2rem; }
  h1 { font-size: 1.5rem; }
}
@media print {
  :root {
    --text: #000; --muted: #444; --page: #fff; --panel: #f3f3f3; --line: #999;
    --accent: #000; --type: #000; --type-bg: #f3f3f3; --router: #000; --router-bg: #fff;
    --task-bg: #fff; --task: #000;
  }
  body { max-width: none; padding: 0; font-size: 10.5pt; }
  h2 { border-top: none; }
  main > section > h2 { break-before: page; }
  main > section.topic + section > h2 { break-before: auto; }
  details::details-content { content-visibility: visible; display: block; }
  details { background: none; border: 1px solid #999; }
  h2, h3 { break-after: avoid; }
  pre, details, .step, .plan { break-inside: avoid; }
  pre { white-space: pre-wrap; border: 1px solid #999; }
  .task { border: 1px solid #999; }
  a { text-decoration: none; }
}
)";

// Text with `code` in backquotes.
void Inline(std::string& out, std::string_view text) {
    bool inCode = false;
    std::size_t start = 0;
    for (std::size_t k = 0; k <= text.size(); ++k) {
        if (k < text.size() && text[k] != '`') continue;
        EscapeHtml(out, text.substr(start, k - start));
        if (k < text.size()) out += inCode ? "</code>" : "<code>";
        inCode = !inCode;
        start = k + 1;
    }
}

// Paragraphs separated by an empty line; a paragraph of "- " lines is a list.
void Paragraphs(std::string& out, std::string_view text) {
    while (!text.empty()) {
        std::size_t end = text.find("\n\n");
        std::string_view paragraph = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 2);
        if (paragraph.empty()) continue;
        if (paragraph.starts_with("- ")) {
            out += "<ul>\n";
            for (std::string_view item : SplitLines(paragraph)) {
                out += "<li>";
                Inline(out, item.substr(item.starts_with("- ") ? 2 : 0));
                out += "</li>\n";
            }
            out += "</ul>\n";
        } else {
            out += "<p>";
            Inline(out, paragraph);
            out += "</p>\n";
        }
    }
}

std::string TasksText(const std::vector<int>& tasks) {
    std::string text;
    for (int task : tasks) text += (text.empty() ? "" : " ") + std::to_string(task);
    return text;
}

// The tasks a lesson earns, in its order.
std::vector<int> LessonTasks(const Lesson& lesson) {
    std::vector<int> tasks;
    for (const LessonBlock& block : lesson.blocks)
        for (int task : BlockTasks(block)) tasks.push_back(task);
    return tasks;
}

void Block(std::string& out, const LessonBlock& block) {
    std::vector<int> tasks = BlockTasks(block);
    out += "<div class=\"step\">\n";
    if (!tasks.empty()) {
        out += "<p class=\"earns\">";
        for (int task : tasks) {
            out += "<span class=\"task\" id=\"" + TaskAnchor(task) + "\">Task " +
                   std::to_string(task) + ": ";
            EscapeHtml(out, TaskTitle(task));
            out += "</span>";
        }
        out += "</p>\n";
    }
    Paragraphs(out, block.lead);
    out += "<pre class=\"type\" data-tasks=\"" + TasksText(tasks) + "\">";
    bool first = true;
    for (const LessonInput& input : BlockInputs(block)) {
        if (!first) out += '\n';
        first = false;
        if (input.kind == LessonInput::Kind::Command) {
            EscapeHtml(out, input.text);
        } else {
            out += "<kbd>";
            EscapeHtml(out, input.text);
            out += "</kbd>";
        }
    }
    out += "</pre>\n";
    if (!block.router.empty()) {
        out += "<pre class=\"router\">";
        EscapeHtml(out, block.router);
        out += "</pre>\n";
    }
    Paragraphs(out, block.after);
    for (const std::string& note : RealRouterNotes(block)) {
        out += "<p class=\"real\"><strong>On a real router.</strong> ";
        Inline(out, note);
        out += "</p>\n";
    }
    out += "</div>\n";
}

std::string LessonHeading(std::size_t number, const Lesson& lesson) {
    return std::to_string(number) + ". " + std::string(lesson.title);
}

// The SVG document without its XML declaration.
std::string_view PlanDrawing(std::string_view plan) {
    std::size_t start = plan.find("<svg");
    return start == std::string_view::npos ? plan : plan.substr(start);
}

}  // namespace

void EscapeHtml(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
}

namespace {

void PageHead(std::string& out) {
    out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    out += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    out += "<meta name=\"color-scheme\" content=\"light dark\">\n";
    out += "<title>Pellix lessons: the 50 tasks of the router exercise</title>\n";
    out += "<style>";
    out += kStyle;
    out += "</style>\n";
    // Printed, the check-yourself answers stand open (for browsers that
    // cannot open them from the style sheet).
    out +=
        "<script>addEventListener(\"beforeprint\", () => { for (const d of "
        "document.querySelectorAll(\"details\")) d.open = true; });</script>\n";
    out += "</head>\n<body>\n";
    out += "<header>\n<h1>Pellix lessons</h1>\n";
    out += "<p class=\"muted\">The 50 tasks of the router exercise, one lesson at a time.</p>\n";
    out += "</header>\n";
}

void Contents(std::string& out, std::span<const Lesson> lessons) {
    out += "<nav aria-label=\"Contents\">\n<h2>Contents</h2>\n<ul class=\"toc\">\n";
    out += "<li><a href=\"#how-to-use\">How to use Pellix</a></li>\n";
    for (std::size_t k = 0; k < lessons.size(); ++k) {
        for (const Topic& topic : TopicsBefore(lessons[k])) {
            out += "<li><a href=\"#" + std::string(topic.anchor) + "\">";
            EscapeHtml(out, topic.title);
            out += "</a></li>\n";
        }
        out += "<li><a href=\"#" + std::string(lessons[k].anchor) + "\">";
        EscapeHtml(out, LessonHeading(k + 1, lessons[k]));
        out += "</a> <span class=\"muted\">(tasks " + TasksText(LessonTasks(lessons[k])) +
               ")</span></li>\n";
    }
    out += "<li><a href=\"#all-tasks\">All 50 tasks</a></li>\n";
    out += "</ul>\n</nav>\n";
}

// A check-yourself question with its answer, closed on the screen and open
// in print.
void CheckYourself(std::string& out, std::string_view question, std::string_view answer) {
    out += "<details class=\"check\">\n<summary>Check yourself: ";
    Inline(out, question);
    out += "</summary>\n";
    Paragraphs(out, answer);
    out += "</details>\n";
}

void TopicSection(std::string& out, const Topic& topic) {
    out += "<section class=\"topic\" id=\"" + std::string(topic.anchor) + "\">\n<h2>";
    EscapeHtml(out, topic.title);
    out += "</h2>\n";
    Paragraphs(out, topic.text);
    CheckYourself(out, topic.question, topic.answer);
    out += "</section>\n";
}

// Lesson `number`; the first shows the network plan.
void LessonSection(std::string& out, std::size_t number, const Lesson& lesson,
                   std::string_view plan) {
    out += "<section class=\"lesson\" id=\"" + std::string(lesson.anchor) + "\">\n<h2>";
    EscapeHtml(out, LessonHeading(number, lesson));
    out += "</h2>\n";
    if (number == 1) {
        out += "<figure class=\"plan\">\n";
        out += PlanDrawing(plan);
        if (!out.ends_with('\n')) out += '\n';
        out +=
            "<figcaption>The lab network, as the Show Network Plan button shows "
            "it.</figcaption>\n</figure>\n";
    }
    out += "<h3>Why it matters</h3>\n";
    Paragraphs(out, lesson.why);
    out += "<h3>Step by step</h3>\n";
    for (const LessonBlock& block : lesson.blocks) Block(out, block);
    CheckYourself(out, lesson.question, lesson.answer);
    out += "<h3>What this lab answers differently</h3>\n";
    Paragraphs(out, lesson.differences);
    out += "</section>\n";
}

void AllTasks(std::string& out) {
    out += "<section id=\"all-tasks\">\n<h2>All 50 tasks</h2>\n";
    out += "<table>\n<thead><tr><th>Task</th><th>What it asks</th><th>Lesson</th></tr></thead>\n";
    out += "<tbody>\n";
    for (int task = 1; task <= kTaskCount; ++task) {
        const Lesson* lesson = LessonOfTask(task);
        out += "<tr><td><a href=\"#" + TaskAnchor(task) + "\">" + std::to_string(task) +
               "</a></td><td>";
        EscapeHtml(out, TaskTitle(task));
        out += "</td><td>";
        if (lesson != nullptr) {
            out += "<a href=\"#" + std::string(lesson->anchor) + "\">";
            EscapeHtml(out, lesson->title);
            out += "</a>";
        }
        out += "</td></tr>\n";
    }
    out += "</tbody>\n</table>\n</section>\n";
}

}  // namespace

std::string LessonsPage(std::string_view plan) {
    std::string out;
    PageHead(out);
    std::span<const Lesson> lessons = Lessons();
    Contents(out, lessons);
    out += "<main>\n";
    out += "<section id=\"how-to-use\">\n<h2>How to use Pellix</h2>\n";
    Paragraphs(out, LessonsIntroduction());
    out += "</section>\n";
    for (std::size_t k = 0; k < lessons.size(); ++k) {
        for (const Topic& topic : TopicsBefore(lessons[k])) TopicSection(out, topic);
        LessonSection(out, k + 1, lessons[k], plan);
    }
    AllTasks(out);
    out += "</main>\n";
    out +=
        "<footer>\n<p class=\"muted\">Made for Pellix, a practice lab for the router "
        "console. The commands and answers on this page are checked against the program "
        "by its tests.</p>\n</footer>\n</body>\n</html>\n";
    return out;
}

}  // namespace pellix
