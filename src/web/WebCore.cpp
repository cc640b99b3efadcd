#include "web/WebCore.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <utility>

#include "console/Sim.h"
#include "lab/Console.h"
#include "lab/Pages.h"
#include "lessons/Lessons.h"
#include "replay/Replay.h"
#include "scoring/ScoreFile.h"
#include "scoring/TaskTable.h"
#include "state/DataFolder.h"
#include "state/ImportedFile.h"

using namespace pellix;

namespace {

// The one running lab of the page, and its console.
std::unique_ptr<Sim> gSim;
std::unique_ptr<lab::Console> gConsole;
std::string gReturned;  // the text the last call handed to the page

const char* Hand(std::string text) {
    gReturned = std::move(text);
    return gReturned.c_str();
}

}  // namespace

namespace {

std::optional<lab::Key> KeyNamed(std::string_view name, int code) {
    static constexpr std::pair<std::string_view, lab::KeyName> kNames[] = {
        {"up", lab::KeyName::Up},           {"down", lab::KeyName::Down},
        {"pageup", lab::KeyName::PageUp},   {"pagedown", lab::KeyName::PageDown},
        {"wheelup", lab::KeyName::WheelUp}, {"wheeldown", lab::KeyName::WheelDown},
        {"home", lab::KeyName::Home},       {"end", lab::KeyName::End},
    };
    if (name == "char" && code >= 0 && code <= 0xffff)
        return lab::Typed(static_cast<std::uint16_t>(code));
    if (name == "f" && code >= 1 && code <= lab::kFunctionKeys) return lab::FunctionKey(code);
    for (const auto& [known, key] : kNames)
        if (name == known) return lab::Key{key, 0, {}};
    return std::nullopt;
}

// Runs the lab console on a key, a paste typed whole.
int Press(const lab::Key& key) {
    if (!gConsole) return 0;
    lab::Outcome outcome = gConsole->OnKey(key, lab::Clock::now());
    while (outcome == lab::Outcome::Continue && gConsole->Pasting())
        outcome = gConsole->TypePasted(lab::Clock::now());
    return outcome == lab::Outcome::Finished ? 1 : 0;
}

}  // namespace

extern "C" {

const char* pellix_start(const char* folder) {
    std::string error = PrepareLearnerFolder(folder);
    if (!error.empty()) return Hand(error);
    gConsole.reset();
    gSim = std::make_unique<Sim>(folder);
    gSim->Start();
    gConsole = std::make_unique<lab::Console>(*gSim, lab::PagePlace::BesideConsole);
    return Hand({});
}

int pellix_event(const char* line) {
    std::optional<Event> event = ParseEvent(line);
    if (!event || !gSim) return 2;
    std::ostringstream ignored;
    return Apply(*gSim, *event, ignored) ? 0 : 1;
}

const char* pellix_snapshot() {
    return Hand(gSim ? SnapshotJson(*gSim) : "null");
}

const char* pellix_hint_brief() {
    return Hand(gSim ? gSim->HintBrief() : std::string());
}

const char* pellix_score_problem() {
    if (!gSim) return Hand({});
    const ScoreFileProblem& problem = gSim->ScoreProblem();
    return Hand(problem.action != ScoreFileProblem::Action::None ? problem.Text() : std::string());
}

long pellix_score() {
    return gSim ? SumTasks(gSim->Tasks()) : 0;
}

const char* pellix_progress(const char* folder) {
    // Before Start, the tasks the learner's score file holds.
    TaskTable saved{};
    if (!gSim) {
        std::ifstream file(std::filesystem::path(folder) / "user.dat", std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        saved = ReadScoreText(text.str());
    }
    const TaskTable& tasks = gSim ? gSim->Tasks() : saved;
    std::string json = "{\"next\":" + std::to_string(NextTask(tasks)) + ",\"tasks\":[";
    for (int task = 1; task <= kTaskCount; ++task) {
        if (task > 1) json += ',';
        json += "{\"title\":" + JsonText(TaskTitle(task)) + ",\"anchor\":\"" + TaskAnchor(task) +
                "\",\"done\":" + (TaskDone(tasks, task) ? "true" : "false") + "}";
    }
    return Hand(json + "]}");
}

const char* pellix_check_file(const char* name, const char* data, int size) {
    return Hand(CheckImportedFile(name, std::string_view(data, static_cast<std::size_t>(size))));
}

int pellix_key(const char* name, int code) {
    const std::optional<lab::Key> key = KeyNamed(name, code);
    return key ? Press(*key) : 0;
}

int pellix_paste(const char* text) {
    return Press(lab::Pasted(text));
}

int pellix_after_draw() {
    return gConsole && gConsole->AfterDraw() ? 1 : 0;
}

void pellix_time() {
    if (gConsole) gConsole->OnTime(lab::Clock::now());
}

void pellix_close_page() {
    if (gConsole) gConsole->ClosePage();
}

void pellix_hints(int on) {
    if (gConsole) gConsole->ShowHints(on != 0);
}

const char* pellix_view() {
    if (!gConsole) return Hand("null");
    lab::Console& console = *gConsole;
    std::string json = "{\"lines\":[";
    for (int k = 0; k < kConsoleLines; ++k) json += (k ? "," : "") + JsonText(console.ShownLine(k));
    const auto left = console.TimeLeft(lab::Clock::now());
    const long long wait = left ? left->count() : -1;
    const std::optional<int> lesson = console.TakeLessonRequest();
    json += "],\"scrolled\":" + std::to_string(console.ScrolledBack()) +
            ",\"notice\":" + JsonText(console.Notice(false)) +
            ",\"coach\":" + JsonText(console.CoachNotice()) + ",\"page\":\"" +
            (console.OpenPage() == lab::PageName::Progress ? "progress" : "none") +
            "\",\"count\":" + JsonText(lab::ProgressCount(*gSim)) +
            ",\"lesson\":" + std::to_string(lesson.value_or(0)) +
            ",\"hints\":" + (console.HintsOn() ? "true" : "false") +
            ",\"finished\":" + (gSim->Finished() ? "true" : "false") +
            ",\"wait\":" + std::to_string(wait) + "}";
    return Hand(json);
}
}
