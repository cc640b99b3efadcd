// pellix-term's command line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pellix::term {

inline constexpr char kName[] = "pellix-term";
inline constexpr char kSynopsis[] = "pellix-term [--dir DIR] [--no-hints] [--plain]";
inline constexpr char kUsage[] =
    "Usage: pellix-term [--dir DIR] [--no-hints] [--plain]\n"
    "The router console in this terminal. F1 shows the steps of the next lesson\n"
    "(the lessons are readme.htm in the data folder), F2 the network plan, F3\n"
    "your progress through the 50 tasks, and F10 finishes; on terminals without\n"
    "function keys, Alt+1 to Alt+0 (or Escape, then the digit) do the same.\n"
    "Up and Down recall commands, PgUp and PgDn (or the mouse wheel) scroll back,\n"
    "Left and Right show the rest of lines longer than the console. Ctrl-C twice\n"
    "within 2 seconds finishes as F10 does.\n"
    "\n"
    "The console takes the mouse wheel, so the terminal's own selection needs\n"
    "Shift: Shift+drag selects text (to copy), Shift+middle-click pastes.\n"
    "\n"
    "Your score (user.dat) is saved at every prompt and when you finish. The\n"
    "router's configuration is saved only when you copy it: to router1.cfg with\n"
    "copy running-config startup-config, or to a file with copy running-config\n"
    "tftp. What you have not copied is lost when the program ends.\n"
    "\n"
    "  -d, --dir DIR   keep router1.cfg, user.dat and TFTP files in DIR, which is\n"
    "                  created if missing (its parent folder must exist)\n"
    "                  (default: $XDG_DATA_HOME/pellix or ~/.local/share/pellix)\n"
    "  --no-hints      no hint below the console after a command this lab does not\n"
    "                  know but a real router takes (for exam practice)\n"
    "  --plain         write the console as a plain log, line after line, without\n"
    "                  moving the cursor: for a screen reader, a braille display,\n"
    "                  script(1) or a slow serial line (chosen for TERM=dumb too)\n"
    "  -h, --help      show this help and exit\n"
    "  -V, --version   show the version and exit\n"
    "  --              end of options\n"
    "\n"
    "NO_COLOR in the environment turns colour off.\n";

struct Options {
    std::optional<std::filesystem::path> dir;
    bool help = false;
    bool version = false;
    bool hints = true;   // --no-hints: the coach stays silent
    bool plain = false;  // --plain: the console as a line-oriented log
    std::string error;   // what is wrong with the command line, or ""
};

// Reads the arguments after the program's name, the GNU way: short and long
// options, "--dir=DIR" or "--dir DIR", "--" ending the options.
Options ParseOptions(const std::vector<std::string>& args);

}  // namespace pellix::term
