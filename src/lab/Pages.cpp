#include "lab/Pages.h"

#include <algorithm>
#include <string>
#include <vector>

#include "lab/NetworkPlan.h"
#include "lessons/Lessons.h"
#include "lessons/RealRouter.h"
#include "state/LessonsCopy.h"

namespace pellix::lab {

namespace {

constexpr std::size_t kColumnWidth = kConsoleColumns / 2;
constexpr std::string_view kLessonHint = "Up/Down/PgUp/PgDn scroll; q, Escape or F1 closes";
constexpr std::string_view kPlanCaption = "Pellix Vantric lab environment diagram";
constexpr std::string_view kPlanHint = "q, Escape or F2 closes the network plan.";
constexpr std::string_view kProgressHint = "F1 shows the next lesson; q, Escape or F3 closes";

std::size_t LessonNumber(const Lesson* lesson) {
    std::span<const Lesson> lessons = Lessons();
    for (std::size_t k = 0; k < lessons.size(); ++k)
        if (&lessons[k] == lesson) return k + 1;
    return 0;
}

std::string TaskList(const std::vector<int>& tasks) {
    std::string text = tasks.size() == 1 ? "task" : "tasks";
    for (std::size_t k = 0; k < tasks.size(); ++k)
        text += (k == 0 ? " " : k + 1 == tasks.size() ? " and " : ", ") + std::to_string(tasks[k]);
    return text;
}

// What to type for one line of a block; the plan's buttons are keys here.
std::string Typed(const LessonInput& input) {
    switch (input.kind) {
        case LessonInput::Kind::Command:
            return std::string(input.text);
        case LessonInput::Kind::ShowPlan:
            return "[F2]  (Show Network Plan)";
        case LessonInput::Kind::ClosePlan:
            return "[any key]  (Close)";
        default:
            return "[" + std::string(input.text) + "]";
    }
}

std::string NextLine(int next) {
    if (next == 0) return "All 50 tasks done. Well done!";
    return "Next: task " + std::to_string(next) + ", " + std::string(TaskTitle(next));
}

}  // namespace

Page LessonPage(const TaskTable& tasks, std::string_view page) {
    const int next = NextTask(tasks);
    const Lesson* lesson = LessonOfTask(next != 0 ? next : TasksInLessonOrder().back());
    Page shown;
    shown.caption = "Lesson " + std::to_string(LessonNumber(lesson)) + " of " +
                    std::to_string(Lessons().size()) + ": " + std::string(lesson->title);
    shown.hint = kLessonHint;
    shown.rows.push_back(NextLine(next));
    shown.rows.push_back("Whole lesson, with why and the router's answers, in");
    const std::string fragment = next != 0 ? TaskAnchor(next) : "";
    // A page on this machine (not a web address) is given as a link too.
    if (page.find("://") == std::string_view::npos)
        shown.links.push_back({shown.rows.size(), 2, std::filesystem::path(page), fragment});
    shown.rows.push_back("  " + std::string(page) + (fragment.empty() ? "" : "#" + fragment));
    for (const LessonBlock& block : lesson->blocks) {
        std::vector<int> earned = BlockTasks(block);
        shown.rows.emplace_back();
        std::string head = earned.empty() ? "Then" : "For " + TaskList(earned);
        for (const std::string& line :
             WrapText(head + ": " + PlainText(block.lead), kConsoleColumns - 1))
            shown.rows.push_back(line);
        for (const LessonInput& input : BlockInputs(block))
            shown.rows.push_back("    " + Typed(input));
        for (const std::string& note : RealRouterNotes(block))
            for (const std::string& line : WrapText("  " + PlainText(note), kConsoleColumns - 1))
                shown.rows.push_back(line);
    }
    return shown;
}

Page ProgressPage(const TaskTable& tasks) {
    const int next = NextTask(tasks);
    Page shown;
    shown.caption = "Progress: " + std::to_string(TasksDone(tasks)) + " of 50 tasks done";
    shown.hint = kProgressHint;

    // The lessons in two columns, each a title row and a row of its tasks.
    std::span<const Lesson> lessons = Lessons();
    const std::size_t perColumn = (lessons.size() + 1) / 2;
    shown.rows.assign(2 * perColumn, std::string());
    for (std::size_t k = 0; k < lessons.size(); ++k) {
        std::string marks = "  ";
        for (const LessonBlock& block : lessons[k].blocks) {
            for (int task : BlockTasks(block)) {
                char mark = TaskDone(tasks, task) ? 'x' : task == next ? '>' : '.';
                marks += " " + std::string(1, mark) + std::to_string(task);
            }
        }
        const std::string title = std::to_string(k + 1) + " " + std::string(lessons[k].title);
        const std::size_t row = 2 * (k % perColumn);
        for (auto [at, text] : {std::pair{row, title}, std::pair{row + 1, marks}}) {
            std::string& line = shown.rows[at];
            if (k >= perColumn) line.resize(kColumnWidth, ' ');
            line += text.substr(0, kColumnWidth - 1);
        }
    }
    shown.rows.emplace_back();
    shown.rows.push_back(NextLine(next));
    if (next != 0)
        shown.rows.push_back("in lesson " + std::to_string(LessonNumber(LessonOfTask(next))) +
                             ", " + std::string(LessonOfTask(next)->title) +
                             ": F1 shows its steps");
    shown.rows.emplace_back();
    shown.rows.push_back("Marks: x done  . to do  > next");
    return shown;
}

Page NetworkPlanPage() {
    return {std::string(kPlanCaption), NetworkPlanRows(), std::string(kPlanHint)};
}

Page NetworkPlanPageOf(const Sim&) {
    return NetworkPlanPage();
}

std::string ProgressCount(const Sim& sim) {
    const int done = TasksDone(sim.Tasks());
    std::string count = std::to_string(done) + " of " + std::to_string(kTaskCount) + " tasks done";
    const long waiting = SumTasks(sim.Tasks()) - sim.ScoreCounted();
    if (waiting > 0) count += " (" + std::to_string(waiting) + " counted at the next prompt)";
    return count;
}

std::vector<std::string> WrapText(std::string_view text, int width) {
    std::vector<std::string> rows;
    const auto room = static_cast<std::size_t>(std::max(width, 1));
    std::string row;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        std::string_view word = text.substr(at, end - at);
        at = end + 1;
        if (!row.empty() && row.size() + 1 + word.size() > room) {
            rows.push_back(row);
            row.clear();
        }
        while (word.size() > room) {
            rows.emplace_back(word.substr(0, room));
            word.remove_prefix(room);
        }
        if (!row.empty()) row += ' ';
        row += word;
    }
    if (!row.empty()) rows.push_back(row);
    return rows;
}

Page LessonPageOf(const Sim& sim) {
    return LessonPage(sim.Tasks(), (sim.Folder() / kLessonsPageFile).string());
}

// The progress, after the whole text of a standing problem with the score
// file (the notice line has room for its start only).
Page ProgressPageOf(const Sim& sim) {
    Page shown = ProgressPage(sim.Tasks());
    shown.caption = "Progress: " + ProgressCount(sim);
    const ScoreFileProblem& problem = sim.ScoreProblem();
    if (problem.action == ScoreFileProblem::Action::None) return shown;
    std::vector<std::string> rows = WrapText(problem.Text(), kConsoleColumns);
    rows.emplace_back();
    shown.rows.insert(shown.rows.begin(), rows.begin(), rows.end());
    return shown;
}

}  // namespace pellix::lab
