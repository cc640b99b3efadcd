// The lesson and progress pages: what they show at each step of the
// exercise, and that the progress fits the smallest terminal unscrolled.
#include <gtest/gtest.h>

#include <algorithm>

#include "lab/Pages.h"
#include "lessons/Lessons.h"
#include "support/Tasks.h"
#include "term/Layout.h"

namespace pellix::term {
namespace {

using lab::LessonPage;
using lab::ProgressPage;

using support::EntryOf;

bool Shows(const Page& page, const std::string& row) {
    return std::find(page.rows.begin(), page.rows.end(), row) != page.rows.end();
}

// Every state of progress a learner following the lessons passes through.
TEST(LessonPages, FitTheSmallestTerminalAtEveryStep) {
    TaskTable tasks{};
    for (int done = 0; done <= kTaskCount; ++done) {
        Page progress = ProgressPage(tasks);
        EXPECT_LE(static_cast<int>(progress.rows.size()), PageRowsShown(kMinRows)) << done;
        for (const Page& page : {progress, LessonPage(tasks, "/data/readme.htm")}) {
            EXPECT_LE(page.caption.size(), static_cast<std::size_t>(kMinCols));
            for (const std::string& row : page.rows)
                EXPECT_LE(row.size(), static_cast<std::size_t>(kMinCols)) << row;
        }
        if (done < kTaskCount) tasks[static_cast<std::size_t>(TasksInLessonOrder()[done])] = 1;
    }
    EXPECT_TRUE(Shows(ProgressPage(tasks), "All 50 tasks done. Well done!"));
}

TEST(LessonPages, ProgressMarksDoneAndNextTasksInTwoColumns) {
    TaskTable tasks{};
    EntryOf(tasks, task::NetworkPlanShown) = 1;
    EntryOf(tasks, task::HelpListed) = 1;
    EntryOf(tasks, task::HistoryShown) = 0;
    Page page = ProgressPage(tasks);
    EXPECT_EQ(page.caption, "Progress: 2 of 50 tasks done");
    EXPECT_EQ(page.rows[0].substr(0, 17), "1 The lab network");
    EXPECT_EQ(page.rows[1], "   x50" + std::string(34, ' ') + "   .12");
    EXPECT_EQ(page.rows[3].substr(0, 14), "   x13 >7 .6  ");
    EXPECT_TRUE(Shows(page, "Next: task 7, Show the router's version"));
}

TEST(LessonPages, LessonShowsTheNextTasksStepsAndThePage) {
    TaskTable tasks{};
    for (int task : {50, 13, 7, 6, 1, 2, 11, 45}) tasks[static_cast<std::size_t>(task)] = 1;
    Page page = LessonPage(tasks, "/data/readme.htm");
    EXPECT_EQ(page.caption, "Lesson 4 of 15: The enable password and secret");
    EXPECT_EQ(page.rows[0], "Next: task 3, Set the enable password");
    EXPECT_EQ(page.rows[2], "  /data/readme.htm#task-3");
    EXPECT_TRUE(Shows(page, "    enable password pelix"));
    EXPECT_TRUE(Shows(page, "    [Ctrl-Z]"));
    EXPECT_TRUE(Shows(LessonPage(TaskTable{}, "/p"), "    [F2]  (Show Network Plan)"));
}

}  // namespace
}  // namespace pellix::term
