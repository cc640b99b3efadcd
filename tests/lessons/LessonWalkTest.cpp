// The lessons page proven against the router: every block the learner types
// is typed into a reset router with a zeroed score, in page order; each must
// earn exactly the tasks it names, and each quoted router answer must stand
// on the console right after it. Also: every task has its anchor once, every
// internal link has its target, and the committed copy of the page is the
// generated one.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "console/Sim.h"
#include "lessons/Lessons.h"
#include "replay/Replay.h"
#include "scoring/TaskTable.h"
#include "support/Files.h"
#include "support/TempFolder.h"

namespace pellix {
namespace {

using support::ReadFile;

std::string Decode(std::string text) {
    static const std::pair<std::string, std::string> kEntities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, character] : kEntities) {
        for (std::size_t at = text.find(entity); at != std::string::npos;
             at = text.find(entity, at + character.size()))
            text.replace(at, entity.size(), character);
    }
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A <pre class="type"> block of the page and the <pre class="router">
// answers that follow it.
struct PageBlock {
    std::vector<std::string> type;  // raw lines, markup kept
    std::set<int> tasks;
    std::vector<std::vector<std::string>> router;
};

std::vector<PageBlock> PageBlocks(const std::string& page) {
    static const std::regex kPre(
        R"re(<pre class="(type|router)"(?: data-tasks="([0-9 ]*)")?>([\s\S]*?)</pre>)re");
    std::vector<PageBlock> blocks;
    for (std::sregex_iterator it(page.begin(), page.end(), kPre), end; it != end; ++it) {
        const std::smatch& match = *it;
        if (match[1] == "type") {
            PageBlock block;
            block.type = Lines(match[3]);
            std::istringstream tasks(match[2]);
            for (int task; tasks >> task;) block.tasks.insert(task);
            blocks.push_back(block);
        } else if (!blocks.empty()) {
            std::vector<std::string> lines;
            for (const std::string& line : Lines(match[3])) lines.push_back(Decode(line));
            blocks.back().router.push_back(lines);
        }
    }
    return blocks;
}

// The events of one typed line: a key or button, or a command and Enter.
std::vector<std::string> Events(const std::string& line) {
    static const std::map<std::string, std::vector<std::string>> kKeys = {
        {"<kbd>?</kbd>", {"type ?"}},
        {"<kbd>Ctrl-Z</kbd>", {"ctrl-z"}},
        {"<kbd>Show Network Plan</kbd>", {"plan"}},
        {"<kbd>Close</kbd>", {"close-plan"}},
    };
    if (auto key = kKeys.find(line); key != kKeys.end()) return key->second;
    return {"type " + Decode(line), "enter"};
}

bool ShowsConsecutively(const std::vector<std::string>& console,
                        const std::vector<std::string>& quoted) {
    if (quoted.empty() || quoted.size() > console.size()) return false;
    for (std::size_t top = 0; top + quoted.size() <= console.size(); ++top) {
        bool all = true;
        for (std::size_t k = 0; k < quoted.size() && all; ++k) all = console[top + k] == quoted[k];
        if (all) return true;
    }
    return false;
}

std::string Screen(const std::vector<std::string>& console) {
    std::string text;
    for (const std::string& line : console) text += "  |" + line + "|\n";
    return text;
}

class LessonsPageTest : public ::testing::Test {
  protected:
    const std::string page_ = ReadFile(PELLIX_LESSONS_PAGE);
};

TEST_F(LessonsPageTest, WalkEarnsEveryTaskAndShowsEveryQuotedAnswer) {
    ASSERT_FALSE(page_.empty()) << "no page at " << PELLIX_LESSONS_PAGE;
    std::vector<PageBlock> blocks = PageBlocks(page_);
    ASSERT_FALSE(blocks.empty());

    support::TempFolder folder;
    folder.Write("router1.cfg", support::ConfigFile().Set(slot::Hostname, "Router").Text());
    std::map<int, std::string> zeroed;
    for (int task = 1; task <= kTaskCount; ++task) zeroed[task] = "0";
    folder.Write("user.dat", support::ScoreFileText(zeroed));

    Sim sim(folder.Path());
    sim.Start();
    std::set<int> earned;
    std::string label;
    for (std::size_t index = 0; index < blocks.size(); ++index) {
        const PageBlock& block = blocks[index];
        std::string script;
        for (const std::string& line : block.type)
            for (const std::string& event : Events(line)) script += event + "\n";
        script += "screen\n";
        std::istringstream in(script);
        std::ostringstream out, err;
        ASSERT_EQ(RunScript(sim, in, out, err), 0) << err.str();
        nlohmann::json snapshot = nlohmann::json::parse(out.str());

        std::string where = "block " + std::to_string(index + 1) + ", first line \"" +
                            (block.type.empty() ? "" : block.type.front()) + "\"";
        std::set<int> now;
        for (int task = 1; task <= kTaskCount; ++task)
            if (!snapshot["tasks"][task].is_null() && snapshot["tasks"][task].get<int>() != 0)
                now.insert(task);
        std::set<int> fresh;
        for (int task : now)
            if (!earned.contains(task)) fresh.insert(task);
        EXPECT_EQ(fresh, block.tasks) << where << ": the tasks it earns";
        earned = now;

        std::vector<std::string> console = snapshot["lines"].get<std::vector<std::string>>();
        for (const std::vector<std::string>& quoted : block.router)
            EXPECT_TRUE(ShowsConsecutively(console, quoted))
                << where << ": the quoted answer\n"
                << Screen(quoted) << "is not on the console\n"
                << Screen(console);
        // The lessons teach this lab's forms: none of them draws the coach's hint.
        EXPECT_EQ(snapshot["hint"].get<std::string>(), "") << where << ": a hint";
        label = snapshot["label"].get<std::string>();
    }
    EXPECT_EQ(label, "Score:  50");
}

TEST_F(LessonsPageTest, EveryTaskHasOneAnchorAndEveryLinkATarget) {
    static const std::regex kId(R"re(\sid="([^"]*)")re");
    static const std::regex kLink(R"re(\shref="#([^"]*)")re");
    std::map<std::string, int> ids;
    for (std::sregex_iterator it(page_.begin(), page_.end(), kId), end; it != end; ++it)
        ++ids[(*it)[1]];
    for (int task = 1; task <= kTaskCount; ++task)
        EXPECT_EQ(ids[TaskAnchor(task)], 1) << TaskAnchor(task);
    for (const auto& [id, count] : ids) EXPECT_EQ(count, 1) << "id \"" << id << "\"";
    int links = 0;
    for (std::sregex_iterator it(page_.begin(), page_.end(), kLink), end; it != end; ++it) {
        ++links;
        EXPECT_TRUE(ids.contains((*it)[1])) << "link to #" << (*it)[1];
    }
    EXPECT_GT(links, kTaskCount);
}

TEST_F(LessonsPageTest, CommittedCopyIsTheGeneratedPage) {
    EXPECT_TRUE(ReadFile(PELLIX_COMMITTED_PAGE) == page_)
        << PELLIX_COMMITTED_PAGE << " is out of date: copy " << PELLIX_LESSONS_PAGE
        << " over it (cmake --build --preset default --target pellix_lessons_page_file)";
}

TEST(TaskTable, EveryTaskHasATitleAndALesson) {
    std::set<int> ordered;
    for (int task = 1; task <= kTaskCount; ++task) {
        EXPECT_FALSE(TaskTitle(task).empty()) << task;
        EXPECT_LE(TaskTitle(task).size(), kMaxTaskTitle) << task;
        ASSERT_NE(LessonOfTask(task), nullptr) << task;
    }
    for (const Lesson& lesson : Lessons()) EXPECT_LE(lesson.title.size(), kMaxLessonTitle);
    for (int task : TasksInLessonOrder()) ordered.insert(task);
    EXPECT_EQ(ordered.size(), static_cast<std::size_t>(kTaskCount));
    EXPECT_TRUE(TaskTitle(0).empty());
    EXPECT_EQ(LessonOfTask(kTaskCount + 1), nullptr);
}

TEST(TaskTable, NextTaskFollowsTheLessonsAndSkipsDoneOnes) {
    TaskTable tasks{};
    std::span<const int> order = TasksInLessonOrder();
    EXPECT_EQ(NextTask(tasks), order[0]);
    tasks[static_cast<std::size_t>(order[0])] = 1;
    tasks[static_cast<std::size_t>(order[1])] = 0;  // a zero counts as not done
    EXPECT_EQ(NextTask(tasks), order[1]);
    EXPECT_EQ(TasksDone(tasks), 1);
    for (int task = 1; task <= kTaskCount; ++task) tasks[static_cast<std::size_t>(task)] = 1;
    EXPECT_EQ(NextTask(tasks), 0);
    EXPECT_EQ(TasksDone(tasks), kTaskCount);
}

}  // namespace
}  // namespace pellix
