#include "term/Terminal.h"

#include <poll.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "term/Console.h"
#include "term/Keys.h"
#include "term/Layout.h"

#define NCURSES_NOMACROS
#include <curses.h>
#include <term.h>

namespace pellix::term {

namespace {

using namespace std::chrono_literals;

volatile std::sig_atomic_t gEndingSignal = 0;
volatile std::sig_atomic_t gResized = 0;

extern "C" void OnEndingSignal(int signal) {
    gEndingSignal = signal;
}
extern "C" void OnSizeChanged(int) {
    gResized = 1;
}

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr auto kTickPeriod = 1000ms;
// How long the start of an escape sequence waits for its rest; a lone Escape
// is the Escape key after that.
constexpr auto kEscapeWait = 300ms;
constexpr short kStripPair = 1;

constexpr std::string_view kPasteOn = "\x1b[?2004h";
constexpr std::string_view kPasteOff = "\x1b[?2004l";
// Button reports (for the wheel) in the extended form.
constexpr std::string_view kMouseOn = "\x1b[?1000h\x1b[?1006h";
constexpr std::string_view kMouseOff = "\x1b[?1006l\x1b[?1000l";

// The ending signals and SIGWINCH are caught for the run and blocked except
// while the loop waits, so that they wake the wait and never interrupt a
// command half done. The previous handlers and mask come back at the end.
class CaughtSignals {
  public:
    CaughtSignals() {
        gEndingSignal = 0;
        gResized = 0;
        sigset_t caught;
        sigemptyset(&caught);
        for (int signal : kEndingSignals) sigaddset(&caught, signal);
        sigaddset(&caught, SIGWINCH);
        sigprocmask(SIG_BLOCK, &caught, &previousMask_);
        waitMask_ = previousMask_;
        for (int signal : kEndingSignals) sigdelset(&waitMask_, signal);
        sigdelset(&waitMask_, SIGWINCH);
        Catch(SIGINT, OnEndingSignal, 0);
        Catch(SIGTERM, OnEndingSignal, 1);
        Catch(SIGHUP, OnEndingSignal, 2);
        Catch(SIGWINCH, OnSizeChanged, 3);
    }
    ~CaughtSignals() {
        const int signals[] = {SIGINT, SIGTERM, SIGHUP, SIGWINCH};
        for (int k = 0; k < 4; ++k) sigaction(signals[k], &previous_[k], nullptr);
        sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
    }
    CaughtSignals(const CaughtSignals&) = delete;
    CaughtSignals& operator=(const CaughtSignals&) = delete;
    const sigset_t& WaitMask() const { return waitMask_; }

  private:
    void Catch(int signal, void (*handler)(int), int slot) {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, &previous_[slot]);
    }
    sigset_t previousMask_{};
    sigset_t waitMask_{};
    struct sigaction previous_[4]{};
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

void Draw(const Screen& screen, bool colours) {
    werase(stdscr);
    for (const Text& text : screen.texts) {
        wattrset(stdscr, AttributesOf(text.look, colours));
        // Writing the bottom right cell reports an error after writing it.
        mvwaddnstr(stdscr, text.row, text.col, text.text.c_str(),
                   static_cast<int>(text.text.size()));
    }
    wattrset(stdscr, A_NORMAL);
    curs_set(screen.cursorShown ? 1 : 0);
    if (screen.cursorShown) wmove(stdscr, screen.cursorRow, screen.cursorCol);
    wrefresh(stdscr);
}

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

bool ColourWanted() {
    const char* noColour = std::getenv("NO_COLOR");
    return noColour == nullptr || *noColour == '\0';
}

Ending RunTerminal(Sim& sim, const TerminalStreams& streams) {
    Ending ending;
    if (std::string refusal = RefusalFor(streams.type, streams.out); !refusal.empty()) {
        ending.started = false;
        ending.error = refusal;
        return ending;
    }
    // Caught before curses starts, so that curses leaves them to the loop.
    CaughtSignals signals;
    FILE* outFile = fdopen(dup(streams.out), "w");
    FILE* inFile = fdopen(dup(streams.in), "r");
    SCREEN* terminal = outFile && inFile ? newterm(streams.type.c_str(), outFile, inFile) : nullptr;
    if (!terminal) {
        if (outFile) fclose(outFile);
        if (inFile) fclose(inFile);
        ending.started = false;
        ending.error = "cannot use the terminal type \"" + streams.type + "\"";
        return ending;
    }
    set_term(terminal);
    raw();  // Ctrl-Z, Ctrl-C, Ctrl-S and Ctrl-Q arrive as keys
    noecho();
    nonl();  // Enter arrives as 13, line feed as 10
    const bool colours = streams.colour && has_colors();
    if (colours) {
        start_color();
        use_default_colors();
        init_pair(kStripPair, COLOR_RED, COLOR_WHITE);
    }
    const bool mouse = Described(tigetstr(const_cast<char*>("kmous")));
    KeyDecoder decoder(DescribedKeys());

    int rows = 0, cols = 0;
    getmaxyx(stdscr, rows, cols);
    sim.DeferScoreSaves();
    Console console(sim, rows, cols);
    Draw(console.Draw(), colours);
    Write(streams.out, kPasteOn);
    if (mouse) Write(streams.out, kMouseOn);

    // Idle, the loop sleeps until a key, a signal, the focus timer's tick or
    // the end of a wait it started itself (an escape sequence, a notice).
    auto nextTick = Clock::now() + kTickPeriod;
    constexpr Clock::time_point kNoWait = Clock::time_point::max();
    Clock::time_point escapeUntil = kNoWait;
    char buffer[4096];
    while (!ending.finished) {
        auto now = Clock::now();
        Clock::time_point wake = nextTick;
        wake = std::min(wake, escapeUntil);
        if (console.Deadline()) wake = std::min(wake, *console.Deadline());
        const timespec timeout = Until(wake, now);
        pollfd input{streams.in, POLLIN, 0};
        const int ready = ppoll(&input, 1, &timeout, &signals.WaitMask());
        if (gEndingSignal != 0) {
            ending.signal = gEndingSignal;
            break;
        }
        bool redraw = false;
        if (gResized != 0) {
            gResized = 0;
            winsize size{};
            if (ioctl(streams.out, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0)
                resizeterm(size.ws_row, size.ws_col);
            getmaxyx(stdscr, rows, cols);
            console.OnResize(rows, cols);
            redraw = true;
        }
        std::vector<Key> keys;
        if (ready > 0 && input.revents != 0) {
            const ssize_t got = read(streams.in, buffer, sizeof buffer);
            if (got > 0) {
                keys = decoder.Feed(std::string_view(buffer, static_cast<std::size_t>(got)));
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                // The terminal is gone (hung up, closed): as good as a hang-up.
                ending.signal = SIGHUP;
                break;
            }
        }
        now = Clock::now();
        if (!decoder.Waiting()) {
            escapeUntil = kNoWait;
        } else if (escapeUntil == kNoWait) {
            escapeUntil = now + kEscapeWait;
        } else if (now >= escapeUntil) {
            for (const Key& key : decoder.Flush()) keys.push_back(key);
            escapeUntil = kNoWait;
        }
        for (const Key& key : keys) {
            if (console.OnKey(key, now) == Outcome::Finished) {
                ending.finished = true;
                break;
            }
        }
        if (ending.finished) break;
        if (!keys.empty()) redraw = true;
        if (console.Deadline() && now >= *console.Deadline()) {
            console.OnTime(now);
            redraw = true;
        }
        if (now >= nextTick) {
            console.OnTick();
            nextTick = now + kTickPeriod;
        }
        if (redraw) Draw(console.Draw(), colours);
        // The learner sees the answer before the router writes its score.
        sim.SavePendingScore();
        if (console.ShowScoreProblem()) Draw(console.Draw(), colours);
    }
    if (mouse) Write(streams.out, kMouseOff);
    Write(streams.out, kPasteOff);
    // On a terminal without an alternate screen the last row stays after the
    // end, under the shell's next line: leave it empty.
    wmove(stdscr, getmaxy(stdscr) - 1, 0);
    wclrtoeol(stdscr);
    wrefresh(stdscr);
    endwin();
    delscreen(terminal);
    fclose(outFile);
    fclose(inFile);
    return ending;
}

}  // namespace pellix::term
