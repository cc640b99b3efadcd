// What the sessions of one server share: the server's folder with one folder
// per learner, the class password, which session holds which learner, and
// the live scores the scoreboard shows.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <semaphore>
#include <string>
#include <vector>

#include "lab/FunctionKeys.h"
#include "scoring/TaskTable.h"

namespace pellix {
class Sim;
}

namespace pellix::serve {

class Session;
using Clock = std::chrono::steady_clock;

struct LearnerStatus {
    std::string name;
    bool connected = false;
    TaskTable tasks{};
    // Why the learner's score could not be saved, or "".
    std::string problem;
    // Where a connected learner's client is, or "".
    std::string client;
    // A connected learner's last key; else the last change to the learner's
    // files (the last save). Nothing when neither is known.
    std::optional<std::chrono::system_clock::time_point> lastActivity;
    // Until when the router of a learner whose connection dropped is kept
    // for the next login (its tasks are the router's); nothing when none is.
    std::optional<std::chrono::system_clock::time_point> keptUntil;
};

class Classroom {
  public:
    Classroom(std::filesystem::path dir, std::optional<std::string> classPassword);
    ~Classroom();  // every kept router ended, its score saved

    const std::filesystem::path& Dir() const { return dir_; }
    const std::optional<std::string>& ClassPassword() const { return classPassword_; }

    // Where the learners read the lessons: the scoreboard's address of the
    // lessons page ("http://HOST:PORT/readme.htm"), which F1 then names
    // instead of a file on the server. Set before the sessions start.
    void SetLessonsUrl(const std::string& url);
    // The function keys of the sessions' consoles.
    const lab::FunctionKeyTable& FunctionKeys() const { return functionKeys_; }

    // One line on standard error (the instructor's terminal, the journal):
    // who logged in and who left with which score. Quiet() turns it off.
    void Log(const std::string& line) const;
    void Quiet() { quiet_ = true; }
    // Every line logged goes to `sink` as well (the tests read it).
    void CopyLog(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }

    // A wrong class password from the client's address (the connection's
    // `tries`th): logged; returns how long its answer waits, twice as long
    // with each wrong one from that address in a row, up to half a minute.
    std::chrono::milliseconds WrongPassword(const std::string& client, int tries);
    // The right password from the address: its wrong ones are forgotten.
    void RightPassword(const std::string& client);
    // A wrong PIN for the learner from the address, counted and delayed as
    // wrong class passwords are, but apart from them (the right class
    // password forgets no wrong PIN).
    std::chrono::milliseconds WrongPin(const std::string& name, const std::string& client,
                                       int tries);
    void RightPin(const std::string& client);

    // The PIN hashed, and a PIN checked against its hash: slow on purpose,
    // and so only a few at a time, the others waiting their turn.
    std::optional<std::string> HashPin(std::string_view pin);
    bool PinMatches(std::string_view pin, std::string_view hash);
    // The first PIN for the learner: the folder prepared and the hash
    // written, unless a PIN was chosen for the name meanwhile (`taken`).
    // Returns an error text for the learner, or "".
    std::string ClaimName(const std::string& name, std::string_view hash, bool& taken);
    // The instructor resets the learner's PIN: the next login under the
    // name chooses a new one, a login at the PIN prompt too. Returns why not
    // ("no such learner", ...), or "". The scoreboard logs the action.
    std::string ResetPin(const std::string& name);
    // Why the learner's folder cannot be used ("" when it is a plain folder
    // or not there yet).
    std::string FolderProblem(const std::string& name) const;

    // Whether `typed` is the class password, compared in constant time.
    bool PasswordMatches(std::string_view typed) const;

    // The learner's folder, created with the delivered router1.cfg when it is
    // new. Returns an error text, or "" when the folder is ready. A name is
    // only ever a valid learner name; a folder entry that is a link or a file
    // is refused rather than followed.
    std::string OpenFolder(const std::string& name, std::filesystem::path& folder) const;
    // How the learner's folder is spelled: an existing folder's name that
    // differs from the typed one only in case, else the name as typed.
    std::string FolderName(const std::string& typed) const;

    // Makes the session the one that holds the learner (names differing only
    // in case are one learner) and returns the one that held it until now
    // (to take the router over from), if any.
    std::shared_ptr<Session> Claim(const std::string& name, std::shared_ptr<Session> session);
    // The session lets go of the learner, unless another has claimed it since.
    void Detach(const std::string& name, const Session* session);

    // The scoreboard's view, safe from any thread: the tasks of a connected
    // learner as the session has them; the others' from their score files.
    void Publish(const std::string& name, const TaskTable& tasks);
    void Unpublish(const std::string& name);
    // The learner's save problem to show ("" when gone): kept after the
    // session ends, until a save works.
    void SetProblem(const std::string& name, const std::string& problem);
    std::vector<LearnerStatus> Statuses() const;

    // The instructor ends the learner's session (names differing only in
    // case are one learner): the learner is told, the score saved; or the
    // learner's kept router, its score saved. Returns "" or why nothing was
    // ended.
    std::string EndSession(const std::string& name);
    // Removes the temporary files that saves cut short (a killed server)
    // left in the learners' folders; fresh ones stay, as in the core.
    void RemoveStaleTemporaries() const;
    // The folder of an existing learner (a plain folder, spelled as it is),
    // or nothing.
    std::optional<std::filesystem::path> LearnerFolder(const std::string& name) const;

    // Routers of learners whose connection dropped, kept for `keep` (zero:
    // none kept) for the learner's next login to resume.
    void SetKeepTime(std::chrono::seconds keep) { keepTime_ = keep; }
    bool KeepsRouters() const { return keepTime_.count() > 0; }
    // Keeps the learner's router, its score saved; false when routers are
    // not kept (the caller ends the run).
    bool KeepRouter(const std::string& name, std::unique_ptr<Sim>& sim, const std::string& client);
    // The learner's kept router, if any, no longer kept.
    std::unique_ptr<Sim> TakeKeptRouter(const std::string& name);
    // Ends, as a learner's session ends (the score saved), every router kept
    // longer than the keep time at `now`, or every one with `all`; returns
    // when the next kept one runs out (max() when none is kept).
    Clock::time_point EndKeptRouters(Clock::time_point now, bool all = false);

  private:
    // The client address and last key of every connected learner, by folded name.
    struct Holding {
        std::string client;
        std::chrono::system_clock::time_point lastKey;
    };
    std::map<std::string, Holding> Holdings() const;
    std::chrono::milliseconds Missed(const std::string& key, int tries, const std::string& what,
                                     const std::string& client);
    void EndRun(const std::string& name, Sim& sim, const std::string& how);

    std::filesystem::path dir_;
    std::optional<std::string> classPassword_;
    lab::FunctionKeyTable functionKeys_ = lab::FunctionKeyUses();
    bool quiet_ = false;
    std::function<void(const std::string&)> sink_;
    struct Misses {
        int count = 0;
        std::chrono::steady_clock::time_point last;
    };
    std::mutex missesMutex_;
    std::map<std::string, Misses> misses_;
    mutable std::mutex holdersMutex_;
    std::map<std::string, std::weak_ptr<Session>> holders_;
    mutable std::mutex mutex_;
    std::map<std::string, TaskTable> live_;
    std::map<std::string, std::string> problems_;
    // PINs hashed at once: each takes a core and several megabytes.
    std::counting_semaphore<2> hashing_{2};
    std::mutex claimMutex_;
    struct KeptRouter {
        std::string name;
        std::unique_ptr<Sim> sim;
        Clock::time_point since;
        std::chrono::system_clock::time_point until;  // for the scoreboard
    };
    bool EndKeptRouter(const std::string& name, const std::string& how);
    void AddKeptRouters(std::map<std::string, LearnerStatus>& byName) const;
    std::chrono::seconds keepTime_{0};
    mutable std::mutex keptMutex_;
    std::map<std::string, KeptRouter> kept_;  // by the folded name
};

}  // namespace pellix::serve
