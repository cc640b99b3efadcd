// One learner's session driven as the server drives it (the client's bytes,
// the answer sent, then the save), with the time the test says: the score
// file is written at most once a second while the session lasts, and at
// once whenever the session lets the router go.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "scoring/ScoreFile.h"
#include "serve/Classroom.h"
#include "serve/LearnerPin.h"
#include "serve/Session.h"
#include "state/DataFolder.h"
#include "support/Files.h"
#include "support/Tasks.h"
#include "support/TempFolder.h"

namespace pellix::serve {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using support::EntryOf;

constexpr char kPin[] = "2468";
constexpr auto kKeyGap = 5ms;  // between two keys of a fast typist

// The whole exercise's keys, each as the bytes a terminal sends for it.
std::vector<std::string> ExerciseKeys() {
    std::ifstream in(PELLIX_TRANSCRIPT_DIR "/exercise.txt");
    std::vector<std::string> keys;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("type "))
            for (char c : line.substr(5)) keys.emplace_back(1, c);
        else if (line == "enter")
            keys.emplace_back("\r\n");
        else if (line == "ctrl-z")
            keys.emplace_back("\x1a");
    }
    return keys;
}

// A class folder with the learner ana (her PIN hashed cheaply), sessions
// logged in as her, and the writes of her score file counted: each write
// replaces the file (a new inode), and the test keeps a link to the file it
// saw last, so that its inode number is not given to the next one.
class ScoreSaves {
  public:
    ScoreSaves() {
        room_.Quiet();
        const std::optional<std::string> hash = HashPin(kPin, 1);
        const fs::path folder = dir_.Path() / "ana";
        if (!hash || !PrepareLearnerFolder(folder).empty() || !WritePin(folder, *hash).empty())
            ADD_FAILURE() << "cannot prepare " << folder;
        Counted();
        writes_ = 0;
    }

    Classroom& Room() { return room_; }
    Clock::time_point Now() const { return now_; }
    int Writes() const { return writes_; }
    // The writes made when the session was woken by its clock, with no key.
    int TimerWrites() const { return timerWrites_; }
    TaskTable Saved() const { return ReadScoreText(support::ReadFile(ScoreFile())); }

    std::shared_ptr<Session> LogIn() {
        auto session = std::make_shared<Session>(room_, now_, std::chrono::seconds(0));
        Step(*session, std::string("ana\r\n") + kPin + "\r\n");
        if (session->CurrentPhase() != Session::Phase::Console) ADD_FAILURE() << "not logged in";
        return session;
    }

    // The client's bytes now, as the server's connection thread takes them.
    void Step(Session& session, std::string_view bytes) {
        session.Receive(bytes, now_);
        session.Tick(now_);
        Deliver(session);
    }

    // Time passes: the session woken whenever it asks to be.
    void Wait(Session& session, Clock::duration duration) {
        const Clock::time_point until = now_ + duration;
        for (int wakes = 0; session.NextTick() <= until; ++wakes) {
            ASSERT_GT(session.NextTick(), now_) << "woken again for what is past";
            ASSERT_LT(wakes, 100);
            now_ = session.NextTick();
            session.Tick(now_);
            const int before = writes_;
            Deliver(session);
            timerWrites_ += writes_ - before;
        }
        now_ = until;
    }

    // One key after another, kKeyGap apart.
    void Type(Session& session, const std::vector<std::string>& keys) {
        for (const std::string& key : keys) {
            Wait(session, kKeyGap);
            Step(session, key);
        }
    }

    // Counts a write of the score file since the last look.
    void Counted() {
        struct stat seen {};
        if (stat(ScoreFile().c_str(), &seen) != 0 || seen.st_ino == inode_) return;
        ++writes_;
        inode_ = seen.st_ino;
        std::error_code ec;
        fs::remove(held_.Path() / "user.dat", ec);
        fs::create_hard_link(ScoreFile(), held_.Path() / "user.dat", ec);
    }

  private:
    fs::path ScoreFile() const { return dir_.Path() / "ana" / "user.dat"; }
    void Deliver(Session& session) {
        session.Output().clear();
        session.SaveAfterSending(now_);
        Counted();
    }

    support::TempFolder dir_;
    support::TempFolder held_;
    Classroom room_{dir_.Path(), std::nullopt};
    Clock::time_point now_ = Clock::time_point() + 1h;
    ino_t inode_ = 0;
    int writes_ = 0;
    int timerWrites_ = 0;
};

TEST(ServeScoreSaves, FastTypingWritesAboutOncePerSecondAndTheRestWhenDue) {
    ScoreSaves lab;
    const std::shared_ptr<Session> session = lab.LogIn();
    const Clock::time_point start = lab.Now();
    lab.Step(*session, "\r\n");  // past the welcome: the first prompt
    const std::vector<std::string> keys = ExerciseKeys();
    ASSERT_GT(keys.size(), 500u);
    lab.Type(*session, keys);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(lab.Now() - start);
    EXPECT_LE(lab.Writes(), seconds.count() + 1) << "in " << seconds.count() << " s";
    EXPECT_GE(lab.Writes(), seconds.count() - 1) << "in " << seconds.count() << " s";
    const TaskTable& tasks = session->Learner()->Tasks();
    EXPECT_GE(SumTasks(tasks), 40);
    // Each write came right after the answer to a key, none while the next
    // key could be on its way.
    EXPECT_EQ(lab.TimerWrites(), 0);
    // The last tasks wait for the learner's pause and the rest of the second,
    // no longer.
    EXPECT_NE(lab.Saved(), tasks);
    lab.Wait(*session, kScoreSaveInterval);
    EXPECT_EQ(lab.Saved(), tasks);
    EXPECT_EQ(lab.TimerWrites(), 1);
    EXPECT_EQ(session->NextTick(), Clock::time_point::max()) << "woken with nothing to do";
}

// Whatever lets the router go writes every task at once: the learner's F10,
// the instructor's End, the server's stop, another connection taking the
// router over, the router kept after a disconnect.
TEST(ServeScoreSaves, EveryTaskIsWrittenAtOnceWhenTheSessionLetsTheRouterGo) {
    struct Case {
        const char* what;
        // Returns the session that has the router now, if any.
        std::function<std::shared_ptr<Session>(ScoreSaves&, std::shared_ptr<Session>&)> let;
    };
    using Held = std::shared_ptr<Session>;
    const Case cases[] = {
        {"F10",
         [](ScoreSaves& lab, Held& session) {
             lab.Step(*session, "\x1b[21~");
             return Held();
         }},
        {"instructor's End",
         [](ScoreSaves& lab, Held&) {
             EXPECT_EQ(lab.Room().EndSession("ana"), "");
             return Held();
         }},
        {"server's stop",
         [](ScoreSaves&, Held& session) {
             session->Shutdown();
             return Held();
         }},
        {"take-over", [](ScoreSaves& lab, Held&) { return lab.LogIn(); }},
        {"router kept",
         [](ScoreSaves& lab, Held& session) {
             lab.Room().SetKeepTime(std::chrono::minutes(10));
             session->Abandon();
             return Held();
         }},
        {"session gone",
         [](ScoreSaves&, Held& session) {
             session.reset();
             return Held();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScoreSaves lab;
        std::shared_ptr<Session> session = lab.LogIn();
        lab.Step(*session, "\r\n");  // the first prompt, written at once
        lab.Type(*session, {"s", "h", "o", "w", " ", "v", "e", "r", "\r\n"});
        const TaskTable tasks = session->Learner()->Tasks();
        ASSERT_EQ(EntryOf(tasks, task::VersionShown), 1);
        ASSERT_NE(EntryOf(lab.Saved(), task::VersionShown), 1) << "not put off";
        const Held next = c.let(lab, session);
        EXPECT_EQ(EntryOf(lab.Saved(), task::VersionShown), 1);
        EXPECT_EQ(SumTasks(lab.Saved()), SumTasks(tasks));
    }
}

}  // namespace
}  // namespace pellix::serve
