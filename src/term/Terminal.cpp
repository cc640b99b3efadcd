#include "term/Terminal.h"

#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string_view>

#include "lab/Console.h"
#include "term/Keys.h"
#include "term/Layout.h"
#include "term/PlainLog.h"

#define NCURSES_NOMACROS
#include <curses.h>
#include <term.h>

namespace pellix::term {

namespace {

using namespace std::chrono_literals;

volatile std::sig_atomic_t gEndingSignal = 0;
volatile std::sig_atomic_t gResized = 0;
volatile std::sig_atomic_t gSuspend = 0;
volatile std::sig_atomic_t gContinued = 0;

extern "C" void OnEndingSignal(int signal) {
    gEndingSignal = signal;
}
extern "C" void OnSizeChanged(int) {
    gResized = 1;
}
extern "C" void OnSuspend(int) {
    gSuspend = 1;
}
extern "C" void OnContinued(int) {
    gContinued = 1;
}

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
// The signals the loop takes in turn: the ending ones, a resize, a request to
// stop (SIGTSTP from outside: the keyboard's Ctrl-Z is a key here) and the
// continue after any stop.
constexpr int kLoopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGWINCH, SIGTSTP, SIGCONT};
constexpr short kStripPair = 1;

constexpr std::string_view kPasteOn = "\x1b[?2004h";
constexpr std::string_view kPasteOff = "\x1b[?2004l";
// Button reports (for the wheel) in the extended form.
constexpr std::string_view kMouseOn = "\x1b[?1000h\x1b[?1006h";
constexpr std::string_view kMouseOff = "\x1b[?1006l\x1b[?1000l";

// The loop's signals are caught for the run and blocked except while the
// loop waits, so that they wake the wait and never interrupt a command half
// done. The previous handlers and mask come back at the end.
class CaughtSignals {
  public:
    CaughtSignals() {
        gEndingSignal = 0;
        gResized = 0;
        gSuspend = 0;
        gContinued = 0;
        sigset_t caught;
        sigemptyset(&caught);
        for (int signal : kLoopSignals) sigaddset(&caught, signal);
        sigprocmask(SIG_BLOCK, &caught, &previousMask_);
        waitMask_ = previousMask_;
        for (int signal : kLoopSignals) sigdelset(&waitMask_, signal);
        for (std::size_t k = 0; k < std::size(kLoopSignals); ++k) {
            const int signal = kLoopSignals[k];
            void (*handler)(int) = signal == SIGWINCH  ? OnSizeChanged
                                   : signal == SIGTSTP ? OnSuspend
                                   : signal == SIGCONT ? OnContinued
                                                       : OnEndingSignal;
            struct sigaction action {};
            action.sa_handler = handler;
            sigemptyset(&action.sa_mask);
            sigaction(signal, &action, &previous_[k]);
        }
    }
    ~CaughtSignals() {
        for (std::size_t k = 0; k < std::size(kLoopSignals); ++k)
            sigaction(kLoopSignals[k], &previous_[k], nullptr);
        sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
    }
    CaughtSignals(const CaughtSignals&) = delete;
    CaughtSignals& operator=(const CaughtSignals&) = delete;
    const sigset_t& WaitMask() const { return waitMask_; }

  private:
    sigset_t previousMask_{};
    sigset_t waitMask_{};
    struct sigaction previous_[std::size(kLoopSignals)]{};
};

// What a crash must undo so that the learner's terminal works again: the
// settings it had before the run, and the reset sequences (mouse reports,
// bracketed paste, the alternate screen, the cursor). Kept in plain memory
// for the handlers, which may only make async-signal-safe calls.
struct CrashUndo {
    int in = -1;
    int out = -1;
    termios settings{};
    bool haveSettings = false;
    char reset[256] = {};
    std::size_t resetSize = 0;
};
CrashUndo gUndo;

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGQUIT, SIGTRAP};

void UndoTerminal() {
    if (gUndo.out >= 0 && gUndo.resetSize > 0) {
        ssize_t written = write(gUndo.out, gUndo.reset, gUndo.resetSize);
        static_cast<void>(written);
    }
    if (gUndo.haveSettings) tcsetattr(gUndo.in, TCSANOW, &gUndo.settings);
}

// A fatal signal: the terminal given back, then the signal's own end (the
// handler was reset on entry), so that the exit status stays true.
extern "C" void OnFatalSignal(int signal) {
    UndoTerminal();
    raise(signal);
}

[[noreturn]] void OnTerminate() {
    UndoTerminal();
    std::abort();
}

// Gives the terminal back however the program ends while it is installed:
// on the fatal signals and on an uncaught exception.
class CrashGuard {
  public:
    CrashGuard(int in, int out, const std::optional<termios>& settings, std::string_view reset) {
        gUndo.in = in;
        gUndo.out = out;
        gUndo.haveSettings = settings.has_value();
        if (settings) gUndo.settings = *settings;
        gUndo.resetSize = std::min(reset.size(), sizeof gUndo.reset);
        if (gUndo.resetSize > 0) std::memcpy(gUndo.reset, reset.data(), gUndo.resetSize);
        for (std::size_t k = 0; k < std::size(kFatalSignals); ++k) {
            struct sigaction action {};
            action.sa_handler = OnFatalSignal;
            action.sa_flags = SA_RESETHAND;
            sigemptyset(&action.sa_mask);
            sigaction(kFatalSignals[k], &action, &previous_[k]);
        }
        previousTerminate_ = std::set_terminate(OnTerminate);
    }
    ~CrashGuard() {
        std::set_terminate(previousTerminate_);
        for (std::size_t k = 0; k < std::size(kFatalSignals); ++k)
            sigaction(kFatalSignals[k], &previous_[k], nullptr);
        gUndo = CrashUndo{};
    }
    CrashGuard(const CrashGuard&) = delete;
    CrashGuard& operator=(const CrashGuard&) = delete;

  private:
    struct sigaction previous_[std::size(kFatalSignals)]{};
    std::terminate_handler previousTerminate_ = nullptr;
};

void Write(int out, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(out, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

bool Described(const char* capability) {
    return capability != nullptr && capability != reinterpret_cast<char*>(-1) && *capability;
}

// The key sequences of the terminal's description (the current terminal).
std::vector<DescribedKey> DescribedKeys() {
    std::vector<DescribedKey> keys;
    auto add = [&keys](const char* name, Key key) {
        const char* sequence = tigetstr(const_cast<char*>(name));
        if (Described(sequence)) keys.emplace_back(sequence, key);
    };
    for (int number = 1; number <= kFunctionKeys; ++number)
        add(("kf" + std::to_string(number)).c_str(),
            {KeyName::Function, static_cast<std::uint16_t>(number)});
    add("kcuu1", {KeyName::Up});
    add("kcud1", {KeyName::Down});
    add("kcub1", {KeyName::Left});
    add("kcuf1", {KeyName::Right});
    add("kpp", {KeyName::PageUp});
    add("knp", {KeyName::PageDown});
    return keys;
}

attr_t AttributesOf(Look look, bool colours) {
    switch (look) {
        case Look::Caption:
        case Look::Label:
        case Look::Notice:
            return A_BOLD;
        case Look::Strip:
            return colours ? (COLOR_PAIR(kStripPair) | A_BOLD) : (A_REVERSE | A_BOLD);
        case Look::Hint:
        case Look::Marker:
            return A_REVERSE;
        case Look::Plain:
            break;
    }
    return A_NORMAL;
}

// How the screen is drawn on this terminal.
struct DrawWay {
    int out = -1;
    bool colours = false;
    bool utf8 = false;   // the locale's characters are UTF-8 (ncursesw takes them so)
    bool links = false;  // hyperlinks (OSC 8) are written for texts that name a file
    std::string host;    // this machine's name, for the links' file:// URLs
};

// A text that names a file, written again over what curses drew as an OSC 8
// hyperlink, the cursor and attributes saved and restored around it (curses
// knows nothing of it: the cells hold what it drew).
void WriteLink(const Text& text, const std::string& shown, const DrawWay& way) {
    static constexpr std::string_view kSaveCursor = "\x1b\x37";     // ESC 7
    static constexpr std::string_view kRestoreCursor = "\x1b\x38";  // ESC 8
    static constexpr std::string_view kLinkStart = "\x1b[0m\x1b]8;;";
    static constexpr std::string_view kLinkEnd = "\x1b]8;;\x1b\\";
    std::string url = text.link;
    if (url.starts_with("file://")) url.insert(7, way.host);
    char move[32];
    std::snprintf(move, sizeof move, "\x1b[%d;%dH", text.row + 1, text.col + 1);
    std::string bytes(kSaveCursor);
    bytes += move;
    bytes += kLinkStart;
    bytes += url + "\x1b\\" + shown;
    bytes += kLinkEnd;
    bytes += kRestoreCursor;
    Write(way.out, bytes);
}

// Draws the screen; its texts are UTF-8, drawn as they are where the
// locale's characters are UTF-8, else as ASCII.
void Draw(const Screen& screen, const DrawWay& way) {
    werase(stdscr);
    for (const Text& text : screen.texts) {
        wattrset(stdscr, AttributesOf(text.look, way.colours));
        const std::string shown = way.utf8 ? text.text : AsciiText(text.text);
        // Writing the bottom right cell reports an error after writing it.
        mvwaddnstr(stdscr, text.row, text.col, shown.c_str(), static_cast<int>(shown.size()));
    }
    wattrset(stdscr, A_NORMAL);
    curs_set(screen.cursorShown ? 1 : 0);
    if (screen.cursorShown) wmove(stdscr, screen.cursorRow, screen.cursorCol);
    wrefresh(stdscr);
    if (!way.links) return;
    for (const Text& text : screen.texts)
        if (!text.link.empty()) WriteLink(text, way.utf8 ? text.text : AsciiText(text.text), way);
}

// The bytes that undo what the run turned on: mouse reports, bracketed
// paste, and the terminal's own alternate screen, cursor and attributes.
std::string ResetSequences() {
    std::string reset = std::string(kMouseOff) + std::string(kPasteOff);
    for (const char* name : {"rmcup", "cnorm", "sgr0"}) {
        const char* sequence = tigetstr(const_cast<char*>(name));
        if (Described(sequence)) reset += sequence;
    }
    return reset;
}

// Stops the program for real, as a SIGTSTP from outside asked.
void StopHere() {
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    struct sigaction ours {
    }, plain{};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    sigaction(SIGTSTP, &plain, &ours);
    raise(SIGTSTP);  // pending while blocked: the unblocking stops the process
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    sigprocmask(SIG_BLOCK, &stop, nullptr);
    sigaction(SIGTSTP, &ours, nullptr);
}

// A stop asked from outside (SIGTSTP): the terminal given back as at the
// end, then stopped for real; once continued, the modes are back.
void Suspend(int out, bool mouse) {
    if (mouse) Write(out, kMouseOff);
    Write(out, kPasteOff);
    endwin();
    StopHere();
}

// After a continue (from a stop of ours or anybody's): the modes back on and
// the whole screen drawn anew.
void Resume(int out, bool mouse) {
    Write(out, kPasteOn);
    if (mouse) Write(out, kMouseOn);
    clearok(curscr, TRUE);
}

using Clock = lab::Clock;
constexpr Clock::time_point kNoWait = Clock::time_point::max();

timespec Until(Clock::time_point when, Clock::time_point now) {
    const auto wait = std::max(Clock::duration::zero(), when - now);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(wait - seconds);
    return {static_cast<time_t>(seconds.count()), static_cast<long>(nanoseconds.count())};
}

}  // namespace

std::string RefusalFor(const std::string& type, int out) {
    const std::string quoted = "\"" + type + "\"";
    if (type.empty())
        return "the terminal type is not set (TERM is empty); the console needs one that can "
               "move the cursor";
    int status = 0;
    if (setupterm(type.c_str(), out, &status) != OK) {
        if (status == 0)
            return "unknown terminal type " + quoted +
                   "; the console needs one that can move the cursor";
        return "no terminal descriptions are installed (terminal type " + quoted + ")";
    }
    const bool addressable = Described(tigetstr(const_cast<char*>("cup")));
    del_curterm(cur_term);
    if (!addressable)
        return "the terminal type " + quoted + " cannot move the cursor, which the console needs";
    return {};
}

bool LinksWanted(const std::string& type) {
    // Terminals of these families show OSC 8 hyperlinks or pass over them
    // unseen; others (the Linux console among them) would print them.
    static constexpr std::string_view kFamilies[] = {
        "xterm",   "tmux",    "screen", "rxvt",  "alacritty", "kitty",  "foot",
        "wezterm", "konsole", "vte",    "gnome", "contour",   "mintty", "iterm"};
    for (std::string_view family : kFamilies)
        if (std::string_view(type).starts_with(family)) return true;
    return false;
}

bool PlainWanted(bool asked, const std::string& type) {
    return asked || type == "dumb";
}

bool ColourWanted() {
    const char* noColour = std::getenv("NO_COLOR");
    return noColour == nullptr || *noColour == '\0';
}

namespace {

// Curses on the terminal for the length of a run: raw keys, colours, the
// paste and mouse modes; everything given back at the end (and, through the
// crash guard, after a fatal signal too).
class CursesRun {
  public:
    CursesRun(const TerminalStreams& streams, const std::optional<termios>& shellSettings)
        : out_(streams.out) {
        outFile_ = fdopen(dup(streams.out), "w");
        inFile_ = fdopen(dup(streams.in), "r");
        // The size comes from the terminal itself: COLUMNS and LINES left in
        // the environment (by a shell, for another window) would garble the
        // screen until the next resize.
        use_env(FALSE);
        use_tioctl(TRUE);
        way_.out = streams.out;
        way_.utf8 = std::string_view(nl_langinfo(CODESET)) == "UTF-8";
        way_.links = LinksWanted(streams.type);
        char host[256] = {};
        if (gethostname(host, sizeof host - 1) == 0) way_.host = host;
        if (outFile_ && inFile_) terminal_ = newterm(streams.type.c_str(), outFile_, inFile_);
        if (!terminal_) return;
        set_term(terminal_);
        guard_.emplace(streams.in, streams.out, shellSettings, ResetSequences());
        raw();  // Ctrl-Z, Ctrl-C, Ctrl-S and Ctrl-Q arrive as keys
        noecho();
        nonl();  // Enter arrives as 13, line feed as 10
        way_.colours = streams.colour && has_colors();
        if (way_.colours) {
            start_color();
            use_default_colors();
            init_pair(kStripPair, COLOR_RED, COLOR_WHITE);
        }
        mouse_ = Described(tigetstr(const_cast<char*>("kmous")));
        Write(out_, kPasteOn);
        if (mouse_) Write(out_, kMouseOn);
    }
    ~CursesRun() {
        if (terminal_) {
            if (mouse_) Write(out_, kMouseOff);
            Write(out_, kPasteOff);
            // On a terminal without an alternate screen the last row stays
            // after the end, under the shell's next line: leave it empty.
            wmove(stdscr, getmaxy(stdscr) - 1, 0);
            wclrtoeol(stdscr);
            wrefresh(stdscr);
            endwin();
            delscreen(terminal_);
        }
        if (outFile_) fclose(outFile_);
        if (inFile_) fclose(inFile_);
    }
    CursesRun(const CursesRun&) = delete;
    CursesRun& operator=(const CursesRun&) = delete;

    bool Started() const { return terminal_ != nullptr; }
    const DrawWay& Way() const { return way_; }
    bool Mouse() const { return mouse_; }

  private:
    int out_;
    FILE* outFile_ = nullptr;
    FILE* inFile_ = nullptr;
    SCREEN* terminal_ = nullptr;
    std::optional<CrashGuard> guard_;
    DrawWay way_;
    bool mouse_ = false;
};

// The keys of a run and the wait for them: it sleeps until a key, a signal,
// or the end of a wait it started itself (an escape sequence, a notice);
// nothing else wakes it.
class KeyInput {
  public:
    KeyInput(const TerminalStreams& streams, CaughtSignals& signals,
             std::vector<DescribedKey> described)
        : streams_(streams), signals_(signals), decoder_(std::move(described)) {}

    // Waits for the input, a signal or the next deadline; returns whether a
    // notice of the console ran out.
    bool Wait(lab::Console& console, Ending& ending) {
        Clock::time_point wake = decoder_.Deadline().value_or(kNoWait);
        if (console.Deadline()) wake = std::min(wake, *console.Deadline());
        const Clock::time_point now = Clock::now();
        const timespec timeout = Until(wake, now);
        pollfd input{streams_.in, POLLIN, 0};
        ready_ = ppoll(&input, 1, wake == kNoWait ? nullptr : &timeout, &signals_.WaitMask()) > 0 &&
                 input.revents != 0;
        if (gEndingSignal != 0) ending.signal = gEndingSignal;
        const Clock::time_point after = Clock::now();
        if (console.Deadline() && after >= *console.Deadline()) {
            console.OnTime(after);
            return true;
        }
        return false;
    }

    // The keys that came, and those whose wait is over.
    std::vector<Key> Read(Ending& ending) {
        std::vector<Key> keys;
        if (ready_) {
            char buffer[4096];
            const ssize_t got = read(streams_.in, buffer, sizeof buffer);
            if (got > 0) {
                keys = decoder_.Feed(std::string_view(buffer, static_cast<std::size_t>(got)),
                                     Clock::now());
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                // The terminal is gone (hung up, closed): as good as a hang-up.
                ending.signal = SIGHUP;
                return keys;
            }
        }
        for (Key& key : decoder_.OnTime(Clock::now())) keys.push_back(std::move(key));
        return keys;
    }

    const KeyDecoder& Decoder() const { return decoder_; }

  private:
    const TerminalStreams& streams_;
    CaughtSignals& signals_;
    KeyDecoder decoder_;
    bool ready_ = false;
};

// Hands the keys to the console, a pasted text a line at a time with `show`
// called between; returns whether the learner finished.
template <typename Show>
bool Deliver(lab::Console& console, const std::vector<Key>& keys, Show show) {
    for (const Key& key : keys) {
        if (console.OnKey(key, Clock::now()) == lab::Outcome::Finished) return true;
        while (console.Pasting()) {
            show();
            if (console.TypePasted(Clock::now()) == lab::Outcome::Finished) return true;
        }
    }
    return false;
}

// The run's loop on a screen drawn with curses.
class TerminalLoop {
  public:
    TerminalLoop(Sim& sim, const TerminalStreams& streams, CaughtSignals& signals,
                 const CursesRun& curses)
        : streams_(streams),
          curses_(curses),
          console_(sim, lab::PagePlace::OverConsole),
          input_(streams, signals, DescribedKeys()) {
        console_.ShowHints(streams.hints);
        getmaxyx(stdscr, rows_, cols_);
        FitConsole(console_, rows_, cols_);
        Redraw();
    }

    void Run(Ending& ending) {
        while (!ending.finished && ending.signal == 0) {
            const bool woken = input_.Wait(console_, ending);
            if (ending.signal != 0) break;
            const bool redraw = Signals() | woken;
            const bool escapeWaited = input_.Decoder().EscapeWaiting();
            std::vector<Key> keys = input_.Read(ending);
            if (ending.signal != 0) break;
            ending.finished = Deliver(console_, keys, [this] { Redraw(); });
            // The Escape's notice comes and goes with the wait for its digit.
            const bool marker = escapeWaited != input_.Decoder().EscapeWaiting();
            if (!ending.finished && (redraw || marker || !keys.empty())) Redraw();
        }
    }

  private:
    // A stop, a continue or a resize that came in: returns whether to draw.
    bool Signals() {
        bool redraw = false;
        if (gSuspend != 0) {
            gSuspend = 0;
            Suspend(streams_.out, curses_.Mouse());
        }
        if (gContinued != 0) {
            gContinued = 0;
            Resume(streams_.out, curses_.Mouse());
            redraw = true;
        }
        if (gResized != 0) {
            gResized = 0;
            winsize size{};
            if (ioctl(streams_.out, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0)
                resizeterm(size.ws_row, size.ws_col);
            getmaxyx(stdscr, rows_, cols_);
            FitConsole(console_, rows_, cols_);
            redraw = true;
        }
        return redraw;
    }

    // The learner sees the answer before the router writes its score.
    void Redraw() {
        const std::string_view notice = input_.Decoder().Notice();
        Draw(term::Draw(console_, rows_, cols_, notice), curses_.Way());
        if (console_.AfterDraw()) Draw(term::Draw(console_, rows_, cols_, notice), curses_.Way());
    }

    const TerminalStreams& streams_;
    const CursesRun& curses_;
    lab::Console console_;
    KeyInput input_;
    int rows_ = 0;
    int cols_ = 0;
};

// The terminal for the plain log: keys one at a time, not echoed, Ctrl-C and
// Ctrl-Z as keys; the output's line ends as the terminal makes them. Given
// back at the end, when stopped, and after a crash.
class PlainRun {
  public:
    PlainRun(const TerminalStreams& streams, const std::optional<termios>& shellSettings)
        : in_(streams.in), shell_(shellSettings) {
        guard_.emplace(streams.in, streams.out, shellSettings, std::string_view());
        KeysOneByOne();
    }
    ~PlainRun() { GiveBack(); }
    PlainRun(const PlainRun&) = delete;
    PlainRun& operator=(const PlainRun&) = delete;

    void KeysOneByOne() {
        if (!shell_) return;
        termios keys = *shell_;
        keys.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
        keys.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR);
        keys.c_cc[VMIN] = 1;
        keys.c_cc[VTIME] = 0;
        tcsetattr(in_, TCSANOW, &keys);
    }
    void GiveBack() {
        if (shell_) tcsetattr(in_, TCSANOW, &*shell_);
    }

  private:
    int in_;
    std::optional<termios> shell_;
    std::optional<CrashGuard> guard_;
};

// The description's key sequences for a type that may have no cursor
// addressing (a dumb terminal has none, nor function keys).
std::vector<DescribedKey> DescribedKeysOf(const std::string& type, int out) {
    int status = 0;
    if (type.empty() || setupterm(type.c_str(), out, &status) != OK) return {};
    std::vector<DescribedKey> keys = DescribedKeys();
    del_curterm(cur_term);
    return keys;
}

// The run's loop writing the console as a log (see PlainLog). The keys that
// move a view have nothing to move here: the terminal keeps what was written.
class PlainLoop {
  public:
    PlainLoop(Sim& sim, const TerminalStreams& streams, CaughtSignals& signals, PlainRun& run)
        : streams_(streams),
          run_(run),
          console_(sim, lab::PagePlace::OverConsole),
          log_(console_),
          input_(streams, signals, DescribedKeysOf(streams.type, streams.out)) {
        console_.ShowHints(streams.hints);
        Write(streams_.out, log_.Start());
    }

    void Run(Ending& ending) {
        while (!ending.finished && ending.signal == 0) {
            input_.Wait(console_, ending);
            if (ending.signal != 0) break;
            Signals();
            std::vector<Key> keys = input_.Read(ending);
            if (ending.signal != 0) break;
            std::erase_if(keys, [](const Key& key) { return MovesAView(key); });
            // Written after each key, so that the log is the same however
            // the keys came in (one by one, or many in one read).
            if (keys.empty()) Show();
            for (const Key& key : keys) {
                ending.finished = Deliver(console_, {key}, [this] { Show(); });
                if (ending.finished) break;
                Show();
            }
        }
        Write(streams_.out, log_.End());
    }

  private:
    static bool MovesAView(const Key& key) {
        switch (key.name) {
            case KeyName::PageUp:
            case KeyName::PageDown:
            case KeyName::WheelUp:
            case KeyName::WheelDown:
            case KeyName::Home:
            case KeyName::End:
            case KeyName::Left:
            case KeyName::Right:
                return true;
            default:
                return false;
        }
    }

    void Signals() {
        if (gSuspend != 0) {
            gSuspend = 0;
            Write(streams_.out, log_.End());
            run_.GiveBack();
            StopHere();
        }
        if (gContinued != 0) {
            gContinued = 0;
            run_.KeysOneByOne();
        }
        gResized = 0;
    }

    // The learner reads the answer before the router writes its score.
    void Show() {
        Write(streams_.out, log_.Update(input_.Decoder().Notice()));
        if (console_.AfterDraw()) Write(streams_.out, log_.Update(input_.Decoder().Notice()));
    }

    const TerminalStreams& streams_;
    PlainRun& run_;
    lab::Console console_;
    PlainLog log_;
    KeyInput input_;
};

}  // namespace

Ending RunTerminal(Sim& sim, const TerminalStreams& streams) {
    Ending ending;
    if (std::string refusal = streams.plain ? "" : RefusalFor(streams.type, streams.out);
        !refusal.empty()) {
        ending.started = false;
        ending.error = refusal;
        return ending;
    }
    // The terminal's settings as the shell left them, for a crash to give back.
    std::optional<termios> shellSettings;
    if (termios settings{}; tcgetattr(streams.in, &settings) == 0) shellSettings = settings;
    {
        // Caught before curses starts, so that curses leaves them to the loop.
        CaughtSignals signals;
        if (streams.plain) {
            PlainRun run(streams, shellSettings);
            PlainLoop(sim, streams, signals, run).Run(ending);
        } else {
            CursesRun curses(streams, shellSettings);
            if (!curses.Started()) {
                ending.started = false;
                ending.error = "cannot use the terminal type \"" + streams.type + "\"";
                return ending;
            }
            TerminalLoop(sim, streams, signals, curses).Run(ending);
        }
        // A hang-up (the terminal window closed) or a request to stop ends
        // the run as F10 does, the score saved, before anything else (a
        // second hang-up may end the program once its signals are given back).
        if (ending.signal == SIGHUP || ending.signal == SIGTERM) sim.Finish();
    }
    return ending;
}

std::string FinishedLine(const Sim& sim) {
    const std::string score =
        "Score: " + std::to_string(SumTasks(sim.Tasks())) + " of " + std::to_string(kTaskCount);
    const ScoreFileProblem& problem = sim.ScoreProblem();
    if (problem.action != ScoreFileProblem::Action::None)
        return score + ", not saved: " + problem.Text();
    return score + ", saved in " + sim.Folder().string();
}

}  // namespace pellix::term
