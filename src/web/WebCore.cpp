#include "web/WebCore.h"

#include <memory>
#include <sstream>

#include "console/Sim.h"
#include "lessons/Lessons.h"
#include "replay/Replay.h"
#include "scoring/ScoreFile.h"
#include "scoring/TaskTable.h"
#include "state/DataFolder.h"
#include "state/ImportedFile.h"

using namespace pellix;

namespace {

// The one running lab of the page.
std::unique_ptr<Sim> gSim;
std::string gReturned;  // the text the last call handed to the page

const char* Hand(std::string text) {
    gReturned = std::move(text);
    return gReturned.c_str();
}

}  // namespace

extern "C" {

const char* pellix_start(const char* folder) {
    std::string error = PrepareLearnerFolder(folder);
    if (!error.empty()) return Hand(error);
    gSim = std::make_unique<Sim>(folder);
    gSim->Start();
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

const char* pellix_scroll_back() {
    if (!gSim) return Hand("[]");
    return Hand(ScrollBackJson(*gSim));
}

const char* pellix_hint_brief() {
    return Hand(gSim ? gSim->HintBrief() : std::string());
}

const char* pellix_score_problem(unsigned shown) {
    if (!gSim) return Hand({});
    const ScoreFileProblem& problem = gSim->ScoreProblem();
    bool show = problem.serial != shown && problem.action != ScoreFileProblem::Action::None;
    return Hand(show ? problem.Text() : std::string());
}

unsigned pellix_score_problem_serial() {
    return gSim ? gSim->ScoreProblem().serial : 0;
}

long pellix_score() {
    return gSim ? SumTasks(gSim->Tasks()) : 0;
}

const char* pellix_progress() {
    if (!gSim) return Hand("null");
    std::string json = "{\"next\":" + std::to_string(NextTask(gSim->Tasks())) + ",\"tasks\":[";
    for (int task = 1; task <= kTaskCount; ++task) {
        if (task > 1) json += ',';
        json += "{\"title\":" + JsonText(TaskTitle(task)) + ",\"anchor\":\"" + TaskAnchor(task) +
                "\",\"done\":" + (TaskDone(gSim->Tasks(), task) ? "true" : "false") + "}";
    }
    return Hand(json + "]}");
}

const char* pellix_check_file(const char* name, const char* data, int size) {
    return Hand(CheckImportedFile(name, std::string_view(data, static_cast<std::size_t>(size))));
}
}
