// The console in a real terminal: curses set-up, the input loop and the
// restoring of the terminal on every way out.
#pragma once

#include <string>

#include "console/Sim.h"

namespace pellix::term {

struct Ending {
    bool started = true;    // false when the terminal could not be used
    bool finished = false;  // F10: the score file is saved
    int signal = 0;         // the signal (or Ctrl-C, as SIGINT) that ended the run
    std::string error;
};

// Runs the console on the controlling terminal until F10, Ctrl-C, SIGINT,
// SIGTERM or SIGHUP; the terminal is restored before it returns.
Ending RunTerminal(Sim& sim);

}  // namespace pellix::term
