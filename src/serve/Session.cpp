#include "serve/Session.h"

#include <libtelnet.h>

#include <algorithm>
#include <cctype>

#include "lab/FunctionKeys.h"
#include "scoring/ScoreFile.h"
#include "serve/LearnerName.h"
#include "serve/LearnerPin.h"
#include "state/Files.h"
#include "term/Keys.h"

namespace pellix::serve {

namespace {

// What the server offers and asks for: it echoes and suppresses go-ahead
// (the client's character mode), and it wants the window size and the
// terminal type.
const telnet_telopt_t kTelnetOptions[] = {
    {TELNET_TELOPT_ECHO, TELNET_WILL, TELNET_DONT},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_NAWS, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_TTYPE, TELNET_WONT, TELNET_DO},
    {-1, 0, 0},
};

constexpr std::size_t kMaxTerminalType = 40;
// Bracketed paste on and off: a pasted command arrives as typed keys.
constexpr std::string_view kPasteOn = "\x1b[?2004h";
constexpr std::string_view kPasteOff = "\x1b[?2004l";

constexpr std::string_view kGreeting =
    "Pellix classroom: your own router console of the exercise network.\r\n";
constexpr std::string_view kPasswordPrompt = "Class password: ";
constexpr std::string_view kNamePrompt = "Learner name: ";
constexpr std::string_view kPinPrompt = "PIN: ";
constexpr std::string_view kNewPinPrompt = "New PIN: ";
constexpr std::string_view kSamePinPrompt = "The same PIN again: ";
constexpr std::string_view kResumed =
    "Your router was kept since your connection dropped: resumed as you left it.";
constexpr std::string_view kScoreSaved = "Your score is saved.";

// Terminals known to show no colours; every other gets the coloured strip.
bool ColourTerminal(std::string_view type) {
    std::string lower(type);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return !(lower.starts_with("vt") || lower == "dumb" || lower == "unknown");
}

std::string Printable(std::string_view text) {
    std::string shown(text.substr(0, kMaxTerminalType));
    for (char& c : shown)
        if (c < 33 || c > 126) c = '?';
    return shown;
}

}  // namespace

Session::Session(Classroom& room, Clock::time_point now, std::chrono::seconds idleTimeout,
                 std::string client, std::chrono::seconds loginTimeout, Framing framing)
    : client_(std::move(client)),
      loginDeadline_(now + loginTimeout),
      room_(room),
      idleTimeout_(idleTimeout),
      lastKey_(now),
      lastInput_(now),
      phase_(room.ClassPassword() ? Phase::Password : Phase::Name) {
    lastKeyTime_ = std::chrono::system_clock::now().time_since_epoch().count();
    if (framing == Framing::Telnet) {
        telnet_ = telnet_init(kTelnetOptions, &Session::OnTelnetEvent, 0, this);
        if (!telnet_) {
            phase_ = Phase::Closed;
            return;
        }
        telnet_negotiate(telnet_, TELNET_WILL, TELNET_TELOPT_ECHO);
        telnet_negotiate(telnet_, TELNET_WILL, TELNET_TELOPT_SGA);
        telnet_negotiate(telnet_, TELNET_DO, TELNET_TELOPT_NAWS);
        telnet_negotiate(telnet_, TELNET_DO, TELNET_TELOPT_TTYPE);
    }
    Send(kGreeting);
    Ask(phase_ == Phase::Password ? kPasswordPrompt : kNamePrompt);
}

Session::~Session() {
    ReleaseLearner();
    if (telnet_) telnet_free(telnet_);
}

void Session::OnTelnetEvent(telnet_t*, telnet_event_t* event, void* self) {
    static_cast<Session*>(self)->OnEvent(*event);
}

void Session::OnEvent(const telnet_event_t& event) {
    switch (event.type) {
        case TELNET_EV_SEND:
            out_.append(event.data.buffer, event.data.size);
            break;
        case TELNET_EV_DATA:
            if (phase_ != Phase::Closed) Data(std::string_view(event.data.buffer, event.data.size));
            break;
        case TELNET_EV_WILL:
            if (event.neg.telopt == TELNET_TELOPT_TTYPE) telnet_ttype_send(telnet_);
            break;
        case TELNET_EV_SUBNEGOTIATION:
            if (event.sub.telopt == TELNET_TELOPT_NAWS && event.sub.size == 4) {
                const auto* b = reinterpret_cast<const unsigned char*>(event.sub.buffer);
                Resize(b[2] << 8 | b[3], b[0] << 8 | b[1]);
            }
            break;
        case TELNET_EV_TTYPE:
            if (event.ttype.cmd == TELNET_TTYPE_IS && event.ttype.name)
                SetTerminalType(event.ttype.name);
            break;
        case TELNET_EV_IAC:
            // The client's "interrupt process" is Ctrl-C.
            if (event.iac.cmd == TELNET_IP && phase_ != Phase::Closed)
                Keys({lab::Typed(key::CtrlC)});
            break;
        case TELNET_EV_WARNING:
        case TELNET_EV_ERROR:
            // A broken telnet sequence or an overlong subnegotiation, which
            // no real client sends (libtelnet does not always say which):
            // this connection ends, nothing else.
            End("The connection sent what is not telnet; it is closed.");
            break;
        default:
            break;
    }
}

void Session::Resize(int rows, int cols) {
    // 0 means "unknown" to a client: keep what there is.
    if (cols <= 0 || rows <= 0) return;
    screen_.Resize(rows, cols);
    if (console_) term::FitConsole(*console_, screen_.Rows(), screen_.Cols());
    dirty_ = true;
}

void Session::SetTerminalType(std::string_view type) {
    terminalType_ = Printable(type);
    screen_.SetColours(ColourTerminal(terminalType_));
    screen_.Invalidate();
    dirty_ = true;
}

void Session::Send(std::string_view text) {
    if (telnet_)
        telnet_send(telnet_, text.data(), text.size());
    else
        out_ += text;
}

void Session::Ask(std::string_view prompt) {
    prompt_ = prompt;
    Send(prompt);
}

void Session::Receive(std::string_view bytes, Clock::time_point now) {
    if (phase_ == Phase::Closed || bytes.empty()) return;
    lastInput_ = now;
    if (telnet_)
        telnet_recv(telnet_, bytes.data(), bytes.size());
    else
        Data(bytes);
    if (phase_ == Phase::Console) Draw();
}

void Session::Answer(std::string_view line, Clock::time_point now) {
    if (prompt_.empty() || phase_ == Phase::Closed) return;
    lastInput_ = lastKey_ = now;
    line_ = line.substr(0, kMaxLoginLine);
    SubmitLine();
}

// Enter comes as CR LF or CR NUL in the telnet protocol, or as a bare CR
// from some clients: each is one Enter, and the byte after the CR is dropped.
// While logging in, a bare LF is Enter too (a line from nc).
void Session::Data(std::string_view bytes) {
    const bool loggingIn = LoggingIn();
    std::string kept;
    kept.reserve(bytes.size());
    for (char c : bytes) {
        const bool afterReturn = afterCarriageReturn_;
        afterCarriageReturn_ = c == '\r';
        if (afterReturn && (c == '\n' || c == '\0')) continue;
        kept += loggingIn && c == '\n' ? '\r' : c;
    }
    Keys(decoder_.Feed(kept, lastInput_));
}

Clock::time_point Session::NextTick() const {
    // An ended session has nothing more to do in time.
    if (phase_ == Phase::Closed) return Clock::time_point::max();
    Clock::time_point next =
        std::min(decoder_.Deadline().value_or(Clock::time_point::max()), answerAt_);
    if (console_ && console_->Deadline()) next = std::min(next, *console_->Deadline());
    if (LoggingIn()) next = std::min(next, loginDeadline_);
    if (phase_ == Phase::Console && idleTimeout_.count() > 0)
        next = std::min(next, lastKey_ + idleTimeout_);
    if (sim_) next = std::min(next, saveDue_);
    return next;
}

void Session::Tick(Clock::time_point now) {
    if (phase_ == Phase::Closed) return;
    Keys(decoder_.OnTime(now));
    if (console_ && console_->Deadline() && now >= *console_->Deadline()) {
        console_->OnTime(now);
        dirty_ = true;
    }
    if (now >= answerAt_) AnswerPassword();
    if (LoggingIn()) {
        if (now >= loginDeadline_) End("No learner name came in time; goodbye.");
    } else if (phase_ == Phase::Console && idleTimeout_.count() > 0 &&
               now - lastKey_ >= idleTimeout_) {
        End("This session was idle for " + std::to_string(idleTimeout_.count()) +
            " s and ends now. " + std::string(kScoreSaved));
    }
    if (phase_ == Phase::Console) Draw();
}

void Session::Keys(const std::vector<term::Key>& keys) {
    for (const term::Key& key : keys) {
        if (phase_ == Phase::Closed) return;
        lastKey_ = lastInput_;
        if (phase_ == Phase::Console)
            ConsoleKey(key);
        else
            LoginKey(key);
    }
}

void Session::LoginKey(const term::Key& typed) {
    if (typed.name != term::KeyName::Character || answerAt_ != Clock::time_point::max()) return;
    const std::uint16_t key = typed.code;
    if (key == key::Enter) {
        SubmitLine();
    } else if (key == key::Backspace || key == key::Delete) {
        if (line_.empty()) return;
        line_.pop_back();
        if (phase_ == Phase::Name) Send("\b \b");
    } else if (key == key::CtrlC || (key == key::CtrlD && line_.empty())) {
        End("Goodbye.");
    } else if (key >= 32 && key <= 255 && key != key::Delete && line_.size() < kMaxLoginLine) {
        // Every byte counts, so that a name with a letter outside ASCII is
        // refused rather than shortened.
        line_ += static_cast<char>(key);
        // The password is not shown; the name is, as far as it can be one.
        if (phase_ == Phase::Name && line_.size() <= kMaxNameLength)
            Send(std::string(1, static_cast<char>(key)));
    }
}

void Session::SubmitLine() {
    const std::string line = std::move(line_);
    line_.clear();
    prompt_.clear();
    Send("\r\n");
    switch (phase_) {
        case Phase::Password:
            if (room_.PasswordMatches(line)) {
                room_.RightPassword(client_);
                phase_ = Phase::Name;
                Ask(kNamePrompt);
            } else {
                WrongPassword();
            }
            break;
        case Phase::Name:
            SubmitName(line);
            break;
        case Phase::Pin:
            CheckPin(line);
            break;
        case Phase::NewPin:
            ChoosePin(line);
            break;
        case Phase::SamePin:
            ConfirmPin(line);
            break;
        default:
            break;
    }
}

// A name with a PIN asks for it; one without (new, or its PIN reset by the
// instructor) has the learner choose one.
void Session::SubmitName(const std::string& line) {
    if (!ValidLearnerName(line)) {
        Send(kNameRule);
        Send("\r\n");
        Ask(kNamePrompt);
        return;
    }
    loginName_ = room_.FolderName(line);
    if (std::string problem = room_.FolderProblem(loginName_); !problem.empty())
        return AskName("This name cannot be used here (" + problem + "); ask your instructor.");
    const StoredPin stored = ReadPin(room_.Dir() / loginName_);
    if (stored.state == StoredPin::State::Unreadable) {
        room_.Log("the PIN file of " + loginName_ + " cannot be read: " + stored.error);
        return AskName("This name's PIN cannot be read; ask your instructor.");
    }
    if (stored.state == StoredPin::State::Set) {
        phase_ = Phase::Pin;
        Ask(kPinPrompt);
        return;
    }
    phase_ = Phase::NewPin;
    Send("No PIN keeps this name yet: choose one (4 to 12 digits) to make it yours.\r\n");
    Ask(kNewPinPrompt);
}

void Session::AskName(const std::string& why) {
    phase_ = Phase::Name;
    loginName_.clear();
    newPin_.clear();
    Send(why + "\r\n");
    Ask(kNamePrompt);
}

// The PIN is checked against the name's PIN as it stands when typed, and
// still stands after the slow check: the instructor may have reset it since
// the name was typed, and then the learner chooses a new one.
void Session::CheckPin(const std::string& pin) {
    const std::filesystem::path folder = room_.Dir() / loginName_;
    StoredPin stored = ReadPin(folder);
    bool matches = stored.state == StoredPin::State::Set && ValidPin(pin) &&
                   room_.PinMatches(pin, stored.hash);
    if (matches) {
        StoredPin after = ReadPin(folder);
        matches = after.state == StoredPin::State::Set && after.hash == stored.hash;
        stored = std::move(after);
    }
    if (stored.state == StoredPin::State::None) {
        phase_ = Phase::NewPin;
        Send(
            "Your instructor has reset the PIN of this name: choose a new one (4 to 12 "
            "digits).\r\n");
        Ask(kNewPinPrompt);
        return;
    }
    if (stored.state == StoredPin::State::Unreadable) {
        room_.Log("the PIN file of " + loginName_ + " cannot be read: " + stored.error);
        return AskName("This name's PIN cannot be read; ask your instructor.");
    }
    if (matches) {
        room_.RightPin(client_);
        Login(loginName_);
        return;
    }
    ++pinTries_;
    answerAt_ = lastInput_ + room_.WrongPin(loginName_, client_, pinTries_);
}

void Session::ChoosePin(const std::string& pin) {
    if (!ValidPin(pin)) {
        Send(std::string(kPinRule) + "\r\n");
        Ask(kNewPinPrompt);
        return;
    }
    newPin_ = pin;
    phase_ = Phase::SamePin;
    Ask(kSamePinPrompt);
}

// The PIN typed twice becomes the name's, unless another connection chose
// one for it first.
void Session::ConfirmPin(const std::string& pin) {
    const std::string chosen = std::move(newPin_);
    newPin_.clear();
    if (pin != chosen) {
        phase_ = Phase::NewPin;
        Send("The two PINs differ; choose one again.\r\n");
        Ask(kNewPinPrompt);
        return;
    }
    const std::optional<std::string> hash = room_.HashPin(pin);
    if (!hash) {
        room_.Log("cannot hash a PIN for " + loginName_);
        return AskName("A PIN cannot be kept on this server now; ask your instructor.");
    }
    bool taken = false;
    if (std::string problem = room_.ClaimName(loginName_, *hash, taken); !problem.empty())
        return AskName("This name cannot be used here (" + problem + "); ask your instructor.");
    if (taken)
        return AskName(
            "A PIN was just chosen for this name from another connection; "
            "log in with that PIN or take another name.");
    room_.Log(loginName_ + " chose a PIN (" + client_ + ")");
    Login(loginName_);
}

// The answer to a wrong password waits, longer with each wrong one from the
// same address.
void Session::WrongPassword() {
    ++passwordTries_;
    answerAt_ = lastInput_ + room_.WrongPassword(client_, passwordTries_);
}

void Session::AnswerPassword() {
    answerAt_ = Clock::time_point::max();
    const bool pin = phase_ == Phase::Pin;
    if ((pin ? pinTries_ : passwordTries_) >= kMaxPasswordTries) {
        End(pin ? "Wrong PIN; goodbye." : "Wrong class password; goodbye.");
        return;
    }
    Send(pin ? "Wrong PIN.\r\n" : "Wrong class password.\r\n");
    Ask(pin ? kPinPrompt : kPasswordPrompt);
}

void Session::Login(const std::string& folderName) {
    if (admit_) {
        if (const std::string refusal = admit_(); !refusal.empty()) {
            End(refusal);
            return;
        }
    }
    std::string name = folderName;
    std::string how;
    std::unique_ptr<Sim> sim = TakeRouter(name, how);
    if (!sim) {
        // A new run from the learner's files, saved by any session before.
        std::filesystem::path folder;
        if (std::string problem = room_.OpenFolder(name, folder); !problem.empty()) {
            room_.Detach(name, this);
            return AskName("This name cannot be used here (" + problem + "); ask your instructor.");
        }
        sim = std::make_unique<Sim>(folder);
        // The learner sees each answer before the score file is written
        // (SaveAfterSending).
        sim->DeferScoreSaves();
        sim->Start();
    }
    room_.Log(name + " logged in from " + client_ + how);
    sim_ = std::move(sim);
    console_.emplace(*sim_, lab::PagePlace::OverConsole, room_.FunctionKeys());
    term::FitConsole(*console_, screen_.Rows(), screen_.Cols());
    name_ = name;
    phase_ = Phase::Console;
    screen_.Invalidate();
    Send(kPasteOn);
    published_ = sim_->Tasks();
    room_.Publish(name_, published_);
    dirty_ = true;
}

// The learner's router as it stands: another connection's (taken over), or
// one kept since the learner's connection dropped; nothing when there is
// neither. `name` becomes the folder as the router has it; `how` tells the
// log.
std::unique_ptr<Sim> Session::TakeRouter(std::string& name, std::string& how) {
    if (std::shared_ptr<Session> previous = room_.Claim(name, shared_from_this())) {
        std::lock_guard lock(previous->Mutex());
        if (!previous->Name().empty()) name = previous->Name();
        if (std::unique_ptr<Sim> sim = previous->Surrender()) {
            how = ", taking the router over from another connection";
            return sim;
        }
    }
    std::unique_ptr<Sim> sim = room_.TakeKeptRouter(name);
    if (sim) {
        how = ", resuming the router kept since the connection dropped";
        resumed_ = kResumed;
    }
    return sim;
}

std::unique_ptr<Sim> Session::Surrender() {
    if (!sim_) return nullptr;
    // The tasks earned here are saved before the other connection goes on.
    SaveScore();
    console_.reset();
    std::unique_ptr<Sim> sim = std::move(sim_);
    room_.Detach(name_, this);
    End("Your learner name was opened from another connection, which has your router now.");
    if (waker_) waker_();
    return sim;
}

std::chrono::system_clock::time_point Session::LastKey() const {
    return std::chrono::system_clock::time_point(std::chrono::system_clock::duration(lastKeyTime_));
}

bool Session::EndByInstructor() {
    if (phase_ != Phase::Console) return false;
    End("Your instructor has ended this session. " + std::string(kScoreSaved) + " Goodbye.");
    if (waker_) waker_();
    return true;
}

void Session::ConsoleKey(const term::Key& key) {
    dirty_ = true;
    lastKeyTime_ = std::chrono::system_clock::now().time_since_epoch().count();
    resumed_.clear();
    // F10, or Ctrl-C twice: the learner finishes, the score is saved.
    lab::Outcome outcome = console_->OnKey(key, lastInput_);
    // A pasted text is typed a line at a time, each answer sent before the next.
    while (outcome == lab::Outcome::Continue && console_->Pasting()) {
        Draw();
        dirty_ = true;
        outcome = console_->TypePasted(lastInput_);
    }
    if (outcome == lab::Outcome::Finished) End(std::string(kScoreSaved) + " Goodbye.");
}

void Session::Draw() {
    if (!dirty_ || !console_) return;
    dirty_ = false;
    Send(screen_.Render(Shown()));
    Publish();
}

// The console as the terminal shows it; on the console itself, with nothing
// else to tell, the notice that the router was resumed.
term::Screen Session::Shown() const {
    // The key decoder's notice (Escape waiting for a digit) first; else, until
    // the first key, the line saying the router was resumed.
    std::string notice(decoder_.Notice());
    if (notice.empty() && console_->Notice().empty()) notice = resumed_;
    return term::Draw(*console_, screen_.Rows(), screen_.Cols(), notice);
}

void Session::SaveAfterSending(Clock::time_point now) {
    if (!sim_) return;
    if (sim_->ScoreSavePending()) {
        const bool answered = lastInput_ == now;
        const Clock::time_point pause = lastInput_ + kScoreSavePause;
        if (now >= lastSave_ + kScoreSaveInterval && (answered || now >= pause)) {
            lastSave_ = now;
            SaveScore();
        } else {
            saveDue_ = std::max(lastSave_ + kScoreSaveInterval, pause);
        }
    }
    // A new problem with the score file shows on the notice line.
    if (console_ && console_->NewScoreProblem()) dirty_ = true;
}

// The score file written now with every task earned so far.
void Session::SaveScore() {
    saveDue_ = Clock::time_point::max();
    sim_->SavePendingScore();
    ReportScoreProblem();
}

// Each new problem with the learner's score file, once, for the instructor:
// in the log, and on the scoreboard until a save works.
void Session::ReportScoreProblem() {
    const ScoreFileProblem& problem = sim_->ScoreProblem();
    if (problem.action == ScoreFileProblem::Action::None) {
        // A write problem only clears when a save works.
        if (scoreFailing_) {
            room_.Log(name_ + " (" + client_ + "): score saved again");
            room_.SetProblem(name_, "");
        }
        scoreFailing_ = false;
        return;
    }
    scoreFailing_ = true;
    if (problem.serial == loggedProblem_) return;
    loggedProblem_ = problem.serial;
    const std::string reason(Describe(problem.error));
    const std::string text =
        problem.action == ScoreFileProblem::Action::Write
            ? "score not saved: " + reason
            : "score file cannot be read (" + reason + "); this run's score is not saved";
    room_.Log(name_ + " (" + client_ + "): " + text);
    room_.SetProblem(name_, text);
}

// The last words, saying the score is saved only when it is.
std::string Session::Farewell(std::string_view text) const {
    std::string said(text);
    if (notSaved_.empty()) return said;
    if (auto at = said.find(kScoreSaved); at != std::string::npos)
        said.replace(at, kScoreSaved.size(),
                     "Your score could not be saved (" + notSaved_ + "); tell your instructor.");
    return said;
}

void Session::Publish() {
    if (!sim_ || sim_->Tasks() == published_) return;
    published_ = sim_->Tasks();
    room_.Publish(name_, published_);
}

void Session::ReleaseLearner(bool keep) {
    if (!sim_) return;
    if (keep && KeepRouter()) return;
    sim_->Finish();  // saves the score file
    ReportScoreProblem();
    const ScoreFileProblem& problem = sim_->ScoreProblem();
    if (problem.action != ScoreFileProblem::Action::None)
        notSaved_ = std::string(Describe(problem.error));
    else
        room_.SetProblem(name_, "");  // the save at the end worked
    room_.Log(name_ + " left (" + client_ + "); score " + std::to_string(SumTasks(sim_->Tasks())) +
              (notSaved_.empty() ? " saved" : " NOT saved: " + notSaved_));
    Publish();
    room_.Detach(name_, this);
    room_.Unpublish(name_);
    console_.reset();
    sim_.reset();
}

// The router is kept for the learner's next login, when the class keeps
// routers: handed over before the learner is let go, so that a login
// meanwhile waits for it rather than starting another run of the files.
bool Session::KeepRouter() {
    if (!room_.KeepsRouters()) return false;
    SaveScore();
    Publish();
    console_.reset();
    room_.KeepRouter(name_, sim_, client_);
    room_.Detach(name_, this);
    room_.Unpublish(name_);
    return true;
}

void Session::End(std::string_view farewell) {
    if (phase_ == Phase::Closed) return;
    prompt_.clear();
    if (phase_ == Phase::Console) {
        Draw();
        // Below the console, the terminal's looks as they were.
        Send(kPasteOff);
        Send("\x1b[0m\x1b[?25h\x1b[" + std::to_string(screen_.Rows()) + ";1H\r\n");
    } else {
        Send("\r\n");
    }
    ReleaseLearner();
    Send(Farewell(farewell));
    Send("\r\n");
    phase_ = Phase::Closed;
}

void Session::Shutdown() {
    End("The classroom server is shutting down. " + std::string(kScoreSaved) + " Goodbye.");
}

void Session::Abandon() {
    ReleaseLearner(true);
    phase_ = Phase::Closed;
    out_.clear();
}

}  // namespace pellix::serve
