// The lessons that lead a learner through the 50 exercise tasks, and a short
// title for each task. This is the one source of the learner's material: the
// lessons page (readme.htm) is generated from it, the front ends' hints and
// progress views read it, and the lesson walk test proves every block of it
// against the router.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scoring/TaskTable.h"

namespace pellix {

// One line of a block the learner types: a command typed and followed by
// Enter, or a key or button.
struct LessonInput {
    enum class Kind { Command, HelpKey, CtrlZ, ShowPlan, ClosePlan };
    Kind kind = Kind::Command;
    std::string_view text;  // the command, or the key's or button's name
};

// One step of a lesson: what to type, the tasks it earns, and what the
// console then shows. Texts may hold `code` in backquotes; paragraphs are
// separated by an empty line, and a paragraph whose lines begin with "- " is
// a list.
struct LessonBlock {
    std::string_view lead;  // what the learner is about to do
    // The lines to type, one per line; a key or button is written in braces:
    // {?}, {Ctrl-Z}, {Show Network Plan}, {Close}.
    std::string_view type;
    std::string_view tasks;   // the tasks the block earns, blank-separated
    std::string_view router;  // console lines right after the block, or none
    std::string_view after;   // what the answer tells
    // Where a real router answers this step otherwise than the lab, said at
    // the step as "On a real router": what it shows or takes instead.
    std::string_view real;
};

// A short section of background the exam asks for and no step types: read
// before the lesson it names, with its own check-yourself question.
struct Topic {
    std::string_view anchor;  // the page's id of the section
    std::string_view title;
    std::string_view text;
    std::string_view question;
    std::string_view answer;
    std::string_view before;  // the anchor of the lesson it comes before
};

struct Lesson {
    std::string_view anchor;  // the page's id of the lesson
    std::string_view title;
    std::string_view why;  // why it matters on a real network and for the exam
    std::span<const LessonBlock> blocks;
    std::string_view question;  // "check yourself"
    std::string_view answer;
    std::string_view differences;  // what this lab answers differently
};

// The page's opening: how to use the program.
std::string_view LessonsIntroduction();

// Every lesson, in the order a learner works through them.
std::span<const Lesson> Lessons();

// The background sections, each placed before a lesson.
std::span<const Topic> Topics();

// The background sections to read before the lesson, in their order.
std::vector<Topic> TopicsBefore(const Lesson& lesson);

// The longest task title and lesson title, so that views can lay them out.
inline constexpr std::size_t kMaxTaskTitle = 33;
inline constexpr std::size_t kMaxLessonTitle = 36;

// A short title of what task 1 to 50 asks; empty for any other number.
std::string_view TaskTitle(int task);

// The lesson whose block earns the task, or nullptr for a number outside 1
// to 50.
const Lesson* LessonOfTask(int task);

// The page's id of the step that earns the task: "task-7".
std::string TaskAnchor(int task);

// The tasks in the order the lessons earn them.
std::span<const int> TasksInLessonOrder();

// Whether the task counts as done in the table.
bool TaskDone(const TaskTable& tasks, int task);

// The first task, in the lessons' order, that is not done; 0 when all are.
int NextTask(const TaskTable& tasks);

// How many of the 50 tasks are done.
int TasksDone(const TaskTable& tasks);

// The block's lines to type, and the tasks it earns.
std::vector<LessonInput> BlockInputs(const LessonBlock& block);
std::vector<int> BlockTasks(const LessonBlock& block);

// A text's lines, split at LF ("" gives none).
std::vector<std::string_view> SplitLines(std::string_view text);

// The text without its markup: backquotes removed.
std::string PlainText(std::string_view text);

}  // namespace pellix
