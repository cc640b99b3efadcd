// One learner's connection: the telnet protocol (libtelnet), or plain bytes
// under a protocol of the server's (SSH); the class password and learner
// name prompts, then the learner's router console drawn as pellix-term draws
// it. Free of sockets: the server feeds it the bytes it receives and sends
// what it leaves in Output(). Whoever calls it holds its
// Mutex(); it locks another session's only to take a learner over from it.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "console/Sim.h"
#include "lab/Console.h"
#include "serve/AnsiScreen.h"
#include "serve/Classroom.h"
#include "term/Keys.h"
#include "term/Layout.h"

struct telnet_t;
union telnet_event_t;

namespace pellix::serve {

using Clock = std::chrono::steady_clock;

// How long a connection may take to log in from its start, whatever it
// types meanwhile.
inline constexpr auto kLoginTimeout = std::chrono::seconds(30);
// How long the start of a function or arrow key's sequence waits for its rest
// (a lone Esc waits longer for a digit: see term::KeyDecoder).
inline constexpr auto kEscapeWait = std::chrono::milliseconds(50);
// The longest password or name line kept; more typed is ignored.
inline constexpr std::size_t kMaxLoginLine = 256;
// Wrong class passwords, or wrong PINs, before the connection is closed.
inline constexpr int kMaxPasswordTries = 3;
// While the session lasts, the learner's score file is written at most once
// in this time (a class typing at full speed would otherwise wait on the
// disk at every prompt); the session's end, a take-over, a kept router and
// the server's stop write it at once.
inline constexpr auto kScoreSaveInterval = std::chrono::seconds(1);
// A write put off is made right after the answer to a key, when the learner
// reads it, or else once the learner has paused this long: never while a
// key of a learner typing on may be on its way.
inline constexpr auto kScoreSavePause = std::chrono::milliseconds(300);

// How the client's bytes come: in telnet's framing, or as a terminal's own
// bytes (an SSH channel: the window size and terminal type come apart).
enum class Framing { Telnet, Raw };

class Session : public std::enable_shared_from_this<Session> {
  public:
    // Logging in: the class password, the learner's name, then the PIN
    // (a new name's chosen and typed again); then the console.
    enum class Phase { Password, Name, Pin, NewPin, SamePin, Console, Closed };

    // `client` is the client's address, for the log and the wrong password's
    // delay.
    Session(Classroom& room, Clock::time_point now, std::chrono::seconds idleTimeout,
            std::string client = "", std::chrono::seconds loginTimeout = kLoginTimeout,
            Framing framing = Framing::Telnet);
    ~Session();  // the learner's run ends: the score file is saved
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Bytes received from the client.
    void Receive(std::string_view bytes, Clock::time_point now);
    // The client's window size and terminal type, told apart from its bytes
    // (telnet's NAWS and TTYPE, or an SSH pty request).
    void Resize(int rows, int cols);
    void SetTerminalType(std::string_view type);
    // The login prompt waiting for its answer ("" while none is: before a
    // wrong password's answer, on the console). Its text has gone out too.
    const std::string& Prompt() const { return prompt_; }
    // A whole line answering Prompt(), for a client that asks in prompts of
    // its own (SSH's keyboard-interactive login).
    void Answer(std::string_view line, Clock::time_point now);
    // Time passing: a lone Esc, a notice running out, the router's timer,
    // the idle and login timeouts.
    void Tick(Clock::time_point now);
    // When Tick, or SaveAfterSending (a score save put off), has something
    // to do next.
    Clock::time_point NextTick() const;
    // The server stops: the learner is told, the score saved.
    void Shutdown();
    // The server gives up on the connection (the client has gone, or
    // stalled): the learner's router is kept for the next login when the
    // class keeps routers, else its score is saved; nothing more is sent.
    void Abandon();

    // The bytes to send; the server takes them out.
    std::string& Output() { return out_; }
    // Writes the score file once the answer to the learner's keys has gone
    // out (the router defers its saves to then), unless the last write was
    // less than kScoreSaveInterval before `now`: then it waits for the
    // answer to a key after that, or for the learner's pause (NextTick says
    // when). Called after every Receive and Tick.
    void SaveAfterSending(Clock::time_point now);
    Phase CurrentPhase() const { return phase_; }
    bool LoggingIn() const { return phase_ < Phase::Console; }
    bool Closed() const { return phase_ == Phase::Closed; }
    const std::string& Name() const { return name_; }
    int Rows() const { return screen_.Rows(); }
    int Cols() const { return screen_.Cols(); }
    const std::string& TerminalType() const { return terminalType_; }
    const Sim* Learner() const { return sim_.get(); }

    std::mutex& Mutex() { return mutex_; }
    // Called (its mutex held) when the session has output or has ended
    // because of another session: its connection's thread wakes up.
    void SetWaker(std::function<void()> waker) { waker_ = std::move(waker); }
    // Asked (its mutex held) before a learner logs in: why the learner cannot
    // (the class is full), or "". A refused connection is told and closed.
    void SetAdmission(std::function<std::string()> admit) { admit_ = std::move(admit); }
    const std::string& Client() const { return client_; }

    // When the learner last pressed a key on the console (or logged in);
    // safe without the session's lock.
    std::chrono::system_clock::time_point LastKey() const;
    // The instructor ends the session from the scoreboard: the learner is
    // told, the score saved, the connection closed. False when there was no
    // learner's console to end.
    bool EndByInstructor();

    // Another connection logs in with this learner's name: it takes the
    // router over as it stands; this connection is told and closed. Nothing
    // when this session no longer has the learner.
    std::unique_ptr<Sim> Surrender();

  private:
    static void OnTelnetEvent(telnet_t* telnet, telnet_event_t* event, void* self);
    void OnEvent(const telnet_event_t& event);
    void Send(std::string_view text);
    void Ask(std::string_view prompt);
    void Data(std::string_view bytes);
    void Keys(const std::vector<term::Key>& keys);
    void LoginKey(const term::Key& key);
    void SubmitLine();
    void SubmitName(const std::string& line);
    void CheckPin(const std::string& pin);
    void ChoosePin(const std::string& pin);
    void ConfirmPin(const std::string& pin);
    void AskName(const std::string& why);
    void Login(const std::string& folderName);
    std::unique_ptr<Sim> TakeRouter(std::string& name, std::string& how);
    void ConsoleKey(const term::Key& key);
    void AskAgain();
    void WrongPassword();
    void AnswerPassword();
    void Draw();
    void Publish();
    void End(std::string_view farewell);
    void ReleaseLearner(bool keep = false);
    bool KeepRouter();
    term::Screen Shown() const;
    void SaveScore();
    void ReportScoreProblem();
    std::string Farewell(std::string_view text) const;

    std::mutex mutex_;
    std::atomic<std::chrono::system_clock::rep> lastKeyTime_{};
    std::function<void()> waker_;
    std::function<std::string()> admit_;
    std::string client_;
    Clock::time_point loginDeadline_;
    // A wrong password is answered then; keys typed meanwhile are dropped.
    Clock::time_point answerAt_ = Clock::time_point::max();
    Classroom& room_;
    telnet_t* telnet_ = nullptr;
    std::chrono::seconds idleTimeout_;
    Clock::time_point lastKey_;
    Clock::time_point lastInput_;
    Phase phase_;
    std::string out_;
    term::KeyDecoder decoder_{{}, kEscapeWait};
    bool afterCarriageReturn_ = false;
    AnsiScreen screen_;
    std::string terminalType_;
    std::string line_;
    std::string prompt_;
    int passwordTries_ = 0;
    // The name being logged in with, the new PIN typed once, and the wrong
    // PINs typed.
    std::string loginName_;
    std::string newPin_;
    int pinTries_ = 0;
    // Told on the notice line until the first key: the router was resumed.
    std::string resumed_;
    std::string name_;
    std::unique_ptr<Sim> sim_;
    std::optional<lab::Console> console_;
    TaskTable published_{};
    bool dirty_ = false;
    // The last score write while the session lasts, and when a save put off
    // is due (max(): none waits).
    Clock::time_point lastSave_ = Clock::time_point::min();
    Clock::time_point saveDue_ = Clock::time_point::max();
    // The score problems logged so far (their serial), and why the last
    // save at the end failed ("" when it worked).
    unsigned loggedProblem_ = 0;
    std::string notSaved_;
    // The score file's problem is on the scoreboard (a save failed or the
    // file could not be read).
    bool scoreFailing_ = false;
};

}  // namespace pellix::serve
