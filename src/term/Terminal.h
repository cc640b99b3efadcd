// The console on a terminal: curses drawing on the terminal's output, keys
// decoded from its input, the wait for the next event, and the restoring of
// the terminal on every way out. Any terminal will do: the controlling one
// (pellix-term), or the pseudo-terminal of a network session.
#pragma once

#include <unistd.h>

#include <string>

#include "console/Sim.h"

namespace pellix::term {

struct TerminalStreams {
    int in = STDIN_FILENO;    // the keys
    int out = STDOUT_FILENO;  // the screen
    std::string type;         // the terminal type (TERM)
    bool colour = true;       // false where NO_COLOR asks for none
    bool hints = true;        // the coach's hints on the notice line (--no-hints: none)
    bool plain = false;       // the console as a line-oriented log (see PlainLog), no curses
};

// Whether the console is written as a plain log: asked for, or the only
// way on a terminal of this type ("dumb": it cannot move the cursor).
bool PlainWanted(bool asked, const std::string& type);

struct Ending {
    bool started = true;    // false when the terminal could not be used
    bool finished = false;  // F10 or a second Ctrl-C: the score file is saved
    int signal = 0;         // the signal (SIGHUP for a terminal gone) that ended the run;
                            // after SIGHUP and SIGTERM the run is finished, the score saved
    std::string error;
};

// Why the console cannot run on a terminal of this type (one line naming the
// type), or "" when it can: the type must be known and able to move the
// cursor.
std::string RefusalFor(const std::string& type, int out);

// Whether the terminal type is of a family that shows hyperlinks (OSC 8) or
// passes over them unseen: the F1 page's path is then a link.
bool LinksWanted(const std::string& type);

// Whether NO_COLOR asks for no colour.
bool ColourWanted();

// Runs the console until Finish, a second Ctrl-C, SIGINT, SIGTERM or SIGHUP
// or the end of the input; the terminal is restored before it returns.
// SIGWINCH tells it the terminal's size changed.
Ending RunTerminal(Sim& sim, const TerminalStreams& streams);

// The line the shell shows after the learner finished: the score and where
// it was saved, or why it was not.
std::string FinishedLine(const Sim& sim);

}  // namespace pellix::term
