#include "term/Terminal.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>

#include "term/Keys.h"
#include "term/Layout.h"

#define NCURSES_NOMACROS
#include <curses.h>

namespace pellix::term {

namespace {

volatile std::sig_atomic_t gSignal = 0;

extern "C" void OnEndingSignal(int signal) {
    gSignal = signal;
}

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kReadTimeoutMs = 100;
constexpr auto kTimerPeriod = std::chrono::milliseconds(1000);
constexpr short kStripPair = 1;

void CatchEndingSignals() {
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: a blocked read returns at once
    for (int signal : kEndingSignals) sigaction(signal, &action, nullptr);
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
            return A_REVERSE;
        case Look::Plain:
            break;
    }
    return A_NORMAL;
}

void Draw(const Sim& sim, bool colours) {
    int rows = 0, cols = 0;
    getmaxyx(stdscr, rows, cols);
    const Screen screen = ScreenFor(sim.Snap(), rows, cols);
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

bool ScreenFitsNow() {
    int rows = 0, cols = 0;
    getmaxyx(stdscr, rows, cols);
    return Fits(rows, cols);
}

// A read that times out on a terminal that has gone away (hung up, closed)
// returns at once; the terminal's end is then as good as a hang-up.
bool TerminalGone() {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    return poll(&input, 1, 0) > 0 && (input.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace

Ending RunTerminal(Sim& sim) {
    Ending ending;
    SCREEN* terminal = newterm(nullptr, stdout, stdin);
    if (!terminal) {
        ending.started = false;
        ending.error = "cannot use this terminal";
        return ending;
    }
    set_term(terminal);
    raw();  // Ctrl-Z, Ctrl-C, Ctrl-S and Ctrl-Q arrive as keys
    noecho();
    nonl();  // Enter arrives as 13, line feed as 10
    keypad(stdscr, TRUE);
    set_escdelay(25);
    wtimeout(stdscr, kReadTimeoutMs);
    const bool colours = has_colors();
    if (colours) {
        start_color();
        use_default_colors();
        init_pair(kStripPair, COLOR_RED, COLOR_WHITE);
    }
    gSignal = 0;
    CatchEndingSignals();

    Draw(sim, colours);
    auto lastTick = std::chrono::steady_clock::now();
    while (gSignal == 0) {
        const int key = wgetch(stdscr);
        if (gSignal != 0) break;
        if (key == ERR) {
            if (TerminalGone()) {
                ending.signal = SIGHUP;
                break;
            }
        } else {
            const Outcome outcome = HandleKey(sim, key, ScreenFitsNow());
            if (outcome == Outcome::Finished) {
                ending.finished = true;
                break;
            }
            if (outcome == Outcome::Interrupted) {
                ending.signal = SIGINT;
                break;
            }
            Draw(sim, colours);
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - lastTick >= kTimerPeriod) {
            sim.Timer1_Timer();
            lastTick = now;
        }
    }
    if (gSignal != 0) ending.signal = gSignal;
    endwin();
    delscreen(terminal);
    return ending;
}

}  // namespace pellix::term
