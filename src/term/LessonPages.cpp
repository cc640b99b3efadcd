#include "term/LessonPages.h"

#include <algorithm>
#include <string>
#include <vector>

#include "lessons/Lessons.h"
#include "lessons/RealRouter.h"
#include "state/LessonsCopy.h"

namespace pellix::term {

namespace {

constexpr std::size_t kColumnWidth = kFrameCols / 2;
constexpr std::string_view kLessonHint = "Up/Down/PgUp/PgDn scroll; q, Escape or F1 closes";
constexpr std::string_view kProgressHint = "F1 shows the next lesson; q, Escape or F3 closes";

std::vector<std::string> Wrap(std::string_view text, std::size_t width) {
    std::vector<std::string> lines;
    std::string line;
    while (!text.empty()) {
        std::size_t blank = text.find(' ');
        std::string_view word = text.substr(0, blank);
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + std::string(word);
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

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

Page LessonPage(const TaskTable& tasks, const std::filesystem::path& page) {
    const int next = NextTask(tasks);
    const Lesson* lesson = LessonOfTask(next != 0 ? next : TasksInLessonOrder().back());
    Page shown;
    shown.caption = "Lesson " + std::to_string(LessonNumber(lesson)) + " of " +
                    std::to_string(Lessons().size()) + ": " + std::string(lesson->title);
    shown.hint = kLessonHint;
    shown.rows.push_back(NextLine(next));
    shown.rows.push_back("Whole lesson, with why and the router's answers, in");
    shown.rows.push_back("  " + page.string() + (next != 0 ? "#" + TaskAnchor(next) : ""));
    for (const LessonBlock& block : lesson->blocks) {
        std::vector<int> earned = BlockTasks(block);
        shown.rows.emplace_back();
        std::string head = earned.empty() ? "Then" : "For " + TaskList(earned);
        for (const std::string& line : Wrap(head + ": " + PlainText(block.lead), kFrameCols - 1))
            shown.rows.push_back(line);
        for (const LessonInput& input : BlockInputs(block))
            shown.rows.push_back("    " + Typed(input));
        for (const std::string& note : RealRouterNotes(block))
            for (const std::string& line : Wrap("  " + PlainText(note), kFrameCols - 1))
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

Page LessonPageOf(const Sim& sim) {
    return LessonPage(sim.Tasks(), sim.Folder() / kLessonsPageFile);
}

// The progress, after the whole text of a standing problem with the score
// file (the notice line has room for its start only).
Page ProgressPageOf(const Sim& sim) {
    Page shown = ProgressPage(sim.Tasks());
    const ScoreFileProblem& problem = sim.ScoreProblem();
    if (problem.action == ScoreFileProblem::Action::None) return shown;
    std::vector<std::string> rows = WrapText(problem.Text(), kFrameCols);
    rows.emplace_back();
    shown.rows.insert(shown.rows.begin(), rows.begin(), rows.end());
    return shown;
}

}  // namespace pellix::term
