#include "serve/Classroom.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "console/Sim.h"
#include "lab/Pages.h"
#include "scoring/ScoreFile.h"
#include "serve/LearnerName.h"
#include "serve/LearnerPin.h"
#include "serve/Session.h"
#include "state/DataFolder.h"
#include "state/Files.h"

namespace pellix::serve {

namespace {

constexpr char kScoreFileName[] = "user.dat";
// The wait after a first wrong password, doubled with each further one, up
// to the longest; an address quiet for a while starts again.
constexpr auto kFirstMissDelay = std::chrono::milliseconds(500);
constexpr auto kLongestMissDelay = std::chrono::milliseconds(30000);
constexpr auto kMissesForgotten = std::chrono::minutes(15);
constexpr std::size_t kMostAddressesKept = 4096;

// When the learner's files last changed: the latest of the folder's own time
// (a save renames a new file into it) and its files' times.
std::optional<std::chrono::system_clock::time_point> LastChange(
    const std::filesystem::path& folder) {
    std::error_code ec;
    auto latest = std::filesystem::last_write_time(folder, ec);
    if (ec) return std::nullopt;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc)) continue;
        const auto written = it->last_write_time(fileEc);
        if (!fileEc) latest = std::max(latest, written);
    }
    return std::chrono::time_point_cast<std::chrono::system_clock::duration>(
        std::chrono::file_clock::to_sys(latest));
}

}  // namespace

Classroom::Classroom(std::filesystem::path dir, std::optional<std::string> classPassword)
    : dir_(std::move(dir)), classPassword_(std::move(classPassword)) {}

void Classroom::SetLessonsUrl(const std::string& url) {
    for (lab::FunctionKeyUse& use : functionKeys_)
        if (use.page == lab::PageName::Lesson)
            use.maker = [url](const Sim& sim) { return lab::LessonPage(sim.Tasks(), url); };
}

void Classroom::Log(const std::string& line) const {
    // One write per line, so that the sessions' lines never mix.
    if (!quiet_) std::fprintf(stderr, "pellix-serve: %s\n", line.c_str());
    if (sink_) sink_(line);
}

Classroom::~Classroom() {
    EndKeptRouters(Clock::now(), true);
}

std::chrono::milliseconds Classroom::WrongPassword(const std::string& client, int tries) {
    return Missed("password " + client, tries, "wrong class password", client);
}

void Classroom::RightPassword(const std::string& client) {
    std::lock_guard lock(missesMutex_);
    misses_.erase("password " + client);
}

std::chrono::milliseconds Classroom::WrongPin(const std::string& name, const std::string& client,
                                              int tries) {
    return Missed("pin " + client, tries, "wrong PIN for " + name, client);
}

void Classroom::RightPin(const std::string& client) {
    std::lock_guard lock(missesMutex_);
    misses_.erase("pin " + client);
}

// A wrong secret from the client (the connection's `tries`th): logged;
// returns how long its answer waits, twice as long with each wrong one of
// the kind from that address in a row, up to half a minute.
std::chrono::milliseconds Classroom::Missed(const std::string& key, int tries,
                                            const std::string& what, const std::string& client) {
    const auto now = std::chrono::steady_clock::now();
    int count = 0;
    {
        std::lock_guard lock(missesMutex_);
        if (misses_.size() > kMostAddressesKept)
            std::erase_if(misses_, [&](const auto& entry) {
                return now - entry.second.last > kMissesForgotten;
            });
        Misses& misses = misses_[key];
        if (now - misses.last > kMissesForgotten) misses.count = 0;
        misses.last = now;
        count = ++misses.count;
    }
    Log(what + " from " + client + " (" + std::to_string(tries) + " on this connection, " +
        std::to_string(count) + " in a row from this address)");
    auto delay = kFirstMissDelay;
    for (int i = 1; i < count && delay < kLongestMissDelay; ++i) delay *= 2;
    return std::min(delay, kLongestMissDelay);
}

std::optional<std::string> Classroom::HashPin(std::string_view pin) {
    hashing_.acquire();
    std::optional<std::string> hash = serve::HashPin(pin);
    hashing_.release();
    return hash;
}

bool Classroom::PinMatches(std::string_view pin, std::string_view hash) {
    hashing_.acquire();
    const bool matches = serve::PinMatches(pin, hash);
    hashing_.release();
    return matches;
}

std::string Classroom::ClaimName(const std::string& name, std::string_view hash, bool& taken) {
    std::lock_guard lock(claimMutex_);
    taken = false;
    std::filesystem::path folder;
    if (std::string problem = OpenFolder(name, folder); !problem.empty()) return problem;
    const StoredPin stored = ReadPin(folder);
    if (stored.state != StoredPin::State::None) {
        taken = true;
        return {};
    }
    if (std::string problem = WritePin(folder, hash); !problem.empty()) {
        Log("cannot keep the PIN of " + name + ": " + problem);
        return "its PIN cannot be kept: " + problem;
    }
    return {};
}

std::string Classroom::ResetPin(const std::string& name) {
    if (!ValidLearnerName(name)) return "No such learner.";
    const std::string folderName = FolderName(name);
    std::error_code ec;
    if (!FolderProblem(folderName).empty() || !std::filesystem::is_directory(dir_ / folderName, ec))
        return "No such learner.";
    std::lock_guard lock(claimMutex_);
    if (std::string problem = RemovePin(dir_ / folderName); !problem.empty())
        return "The PIN of " + folderName + " cannot be reset: " + problem;
    return {};
}

std::string Classroom::FolderProblem(const std::string& name) const {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(dir_ / name, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status))
        return "the learner's folder is not a plain folder";
    return {};
}

bool Classroom::PasswordMatches(std::string_view typed) const {
    if (!classPassword_) return true;
    const std::string& want = *classPassword_;
    unsigned char difference = typed.size() == want.size() ? 0 : 1;
    for (std::size_t i = 0; i < std::min(typed.size(), want.size()); ++i)
        difference |= static_cast<unsigned char>(typed[i] ^ want[i]);
    return difference == 0;
}

std::string Classroom::OpenFolder(const std::string& name, std::filesystem::path& folder) const {
    if (!ValidLearnerName(name)) return "not a learner name";
    folder = dir_ / name;
    std::error_code ec;
    const bool existed = std::filesystem::exists(std::filesystem::symlink_status(folder, ec));
    if (std::string problem = FolderProblem(name); !problem.empty()) return problem;
    std::string problem = PrepareLearnerFolder(folder);
    if (problem.empty()) return problem;
    Log("cannot prepare the folder of " + name + ": " + problem);
    // No empty folder stays behind to look like a learner's.
    if (!existed) std::filesystem::remove(folder, ec);
    // The learner sees the folder as the class names it, not the server's path.
    const std::string prefix = dir_.string() + "/";
    for (auto at = problem.find(prefix); at != std::string::npos; at = problem.find(prefix, at))
        problem.erase(at, prefix.size());
    return problem;
}

std::string Classroom::FolderName(const std::string& typed) const {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(dir_ / typed, ec))) return typed;
    const std::string folded = FoldedName(typed);
    for (std::filesystem::directory_iterator it(dir_, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (ValidLearnerName(name) && FoldedName(name) == folded) return name;
    }
    return typed;
}

std::shared_ptr<Session> Classroom::Claim(const std::string& name,
                                          std::shared_ptr<Session> session) {
    std::lock_guard lock(holdersMutex_);
    std::weak_ptr<Session>& holder = holders_[FoldedName(name)];
    std::shared_ptr<Session> previous = holder.lock();
    holder = session;
    return previous;
}

void Classroom::Detach(const std::string& name, const Session* session) {
    std::lock_guard lock(holdersMutex_);
    auto found = holders_.find(FoldedName(name));
    if (found == holders_.end()) return;
    const std::shared_ptr<Session> holder = found->second.lock();
    if (!holder || holder.get() == session) holders_.erase(found);
}

void Classroom::Publish(const std::string& name, const TaskTable& tasks) {
    std::lock_guard lock(mutex_);
    live_[name] = tasks;
}

void Classroom::SetProblem(const std::string& name, const std::string& problem) {
    std::lock_guard lock(mutex_);
    if (problem.empty())
        problems_.erase(name);
    else
        problems_[name] = problem;
}

void Classroom::Unpublish(const std::string& name) {
    std::lock_guard lock(mutex_);
    live_.erase(name);
}

std::map<std::string, Classroom::Holding> Classroom::Holdings() const {
    std::map<std::string, Holding> holdings;
    std::lock_guard lock(holdersMutex_);
    for (const auto& [folded, holder] : holders_)
        if (const std::shared_ptr<Session> session = holder.lock())
            holdings[folded] = {session->Client(), session->LastKey()};
    return holdings;
}

std::vector<LearnerStatus> Classroom::Statuses() const {
    std::map<std::string, LearnerStatus> byName;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir_, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!ValidLearnerName(name) || !it->is_directory(ec) || it->is_symlink(ec)) continue;
        LearnerStatus& status = byName[name];
        status.name = name;
        const FileRead read = ReadWholeFile(it->path() / kScoreFileName);
        if (read.data) status.tasks = ReadScoreText(*read.data);
        status.lastActivity = LastChange(it->path());
    }
    AddKeptRouters(byName);
    const std::map<std::string, Holding> holdings = Holdings();
    std::lock_guard lock(mutex_);
    for (const auto& [name, tasks] : live_) {
        LearnerStatus& status = byName[name];
        status.name = name;
        status.connected = true;
        status.tasks = tasks;
        if (auto held = holdings.find(FoldedName(name)); held != holdings.end()) {
            status.client = held->second.client;
            status.lastActivity = held->second.lastKey;
        }
    }
    for (const auto& [name, problem] : problems_)
        if (auto found = byName.find(name); found != byName.end()) found->second.problem = problem;
    std::vector<LearnerStatus> statuses;
    statuses.reserve(byName.size());
    for (auto& [name, status] : byName) statuses.push_back(std::move(status));
    return statuses;
}

// The kept routers as the scoreboard shows them: their tasks as they stand,
// until when they are kept.
void Classroom::AddKeptRouters(std::map<std::string, LearnerStatus>& byName) const {
    std::lock_guard lock(keptMutex_);
    for (const auto& [folded, kept] : kept_) {
        LearnerStatus& status = byName[kept.name];
        status.name = kept.name;
        status.tasks = kept.sim->Tasks();
        status.keptUntil = kept.until;
    }
}

std::string Classroom::EndSession(const std::string& name) {
    std::shared_ptr<Session> holder;
    {
        std::lock_guard lock(holdersMutex_);
        if (auto found = holders_.find(FoldedName(name)); found != holders_.end())
            holder = found->second.lock();
    }
    // The session's lock is taken with none of ours held: a session holds
    // its own while it calls into the classroom.
    if (holder) {
        std::lock_guard lock(holder->Mutex());
        if (holder->EndByInstructor()) return {};
    }
    if (EndKeptRouter(name, "the instructor ended the kept router")) return {};
    return name + " has no session to end";
}

// Ends the learner's kept router, if there is one, its score saved.
bool Classroom::EndKeptRouter(const std::string& name, const std::string& how) {
    std::lock_guard lock(keptMutex_);
    auto found = kept_.find(FoldedName(name));
    if (found == kept_.end()) return false;
    EndRun(found->second.name, *found->second.sim, how);
    kept_.erase(found);
    return true;
}

void Classroom::RemoveStaleTemporaries() const {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir_, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code typeEc;
        if (ValidLearnerName(it->path().filename().string()) && !it->is_symlink(typeEc) &&
            it->is_directory(typeEc))
            pellix::RemoveStaleTemporaries(it->path());
    }
}

std::optional<std::filesystem::path> Classroom::LearnerFolder(const std::string& name) const {
    if (!ValidLearnerName(name)) return std::nullopt;
    const std::filesystem::path folder = dir_ / FolderName(name);
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(folder, ec)))
        return std::nullopt;
    return folder;
}

bool Classroom::KeepRouter(const std::string& name, std::unique_ptr<Sim>& sim,
                           const std::string& client) {
    if (keepTime_.count() <= 0 || !sim) return false;
    std::lock_guard lock(keptMutex_);
    KeptRouter& kept = kept_[FoldedName(name)];
    // Never two routers of one learner: an older one ends first.
    if (kept.sim) EndRun(kept.name, *kept.sim, "an older kept router ended");
    sim->SavePendingScore();
    Log(name + " dropped (" + client + "); the router is kept for " +
        std::to_string(keepTime_.count() / 60) + " min (score " +
        std::to_string(SumTasks(sim->Tasks())) + ")");
    kept = {name, std::move(sim), Clock::now(), std::chrono::system_clock::now() + keepTime_};
    return true;
}

std::unique_ptr<Sim> Classroom::TakeKeptRouter(const std::string& name) {
    std::lock_guard lock(keptMutex_);
    auto found = kept_.find(FoldedName(name));
    if (found == kept_.end()) return nullptr;
    std::unique_ptr<Sim> sim = std::move(found->second.sim);
    kept_.erase(found);
    return sim;
}

// The runs end with the kept routers locked, so that a login meanwhile
// waits, then finds no router kept and starts from the files saved.
Clock::time_point Classroom::EndKeptRouters(Clock::time_point now, bool all) {
    Clock::time_point next = Clock::time_point::max();
    std::lock_guard lock(keptMutex_);
    for (auto it = kept_.begin(); it != kept_.end();) {
        if (all || now - it->second.since >= keepTime_) {
            EndRun(it->second.name, *it->second.sim,
                   all ? "the kept router ended" : "the kept router ran out");
            it = kept_.erase(it);
        } else {
            next = std::min(next, it->second.since + keepTime_);
            ++it;
        }
    }
    return next;
}

// A kept router's run ends as a session's does: the score saved, and said
// so only when it was.
void Classroom::EndRun(const std::string& name, Sim& sim, const std::string& how) {
    sim.Finish();
    const ScoreFileProblem& problem = sim.ScoreProblem();
    std::string saved = " saved";
    if (problem.action != ScoreFileProblem::Action::None) {
        saved = " NOT saved: " + std::string(Describe(problem.error));
        SetProblem(name, "score not saved: " + std::string(Describe(problem.error)));
    }
    Log(name + ": " + how + "; score " + std::to_string(SumTasks(sim.Tasks())) + saved);
}

}  // namespace pellix::serve
