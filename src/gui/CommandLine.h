// pellix's command line, read before any window system is touched: its own
// options, and Qt's options (-platform, -style, ...) passed on to Qt.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pellix::gui {

inline constexpr char kSynopsis[] = "pellix [--dir DIR] [--no-hints] [QT-OPTION]...";

inline constexpr char kHelp[] =
    "Usage: pellix [--dir DIR] [--no-hints] [QT-OPTION]...\n"
    "Pellix, the router console simulator and practice lab: a splash window, the\n"
    "router console and the network plan. See pellix(1).\n"
    "\n"
    "Keys in the main window:\n"
    "  F1   the lessons (readme.htm) in your web browser, at your next task\n"
    "  F2   show or hide the network plan\n"
    "  F3   the Progress window: the 50 tasks, which are done, what is next\n"
    "  F4   the coach's hints on or off\n"
    "  F10  finish (your score is saved)\n"
    "\n"
    "  -d, --dir DIR   keep router1.cfg, user.dat and the TFTP copies in DIR\n"
    "                  (default: $XDG_DATA_HOME/pellix or ~/.local/share/pellix)\n"
    "  --no-hints      start with the coach off (for exam practice): no hint under\n"
    "                  the console after a command this lab does not know but a\n"
    "                  real router takes\n"
    "  -h, --help      show this help and exit\n"
    "  -V, --version   show the version and exit\n"
    "  --              end of options\n"
    "Qt's own options (-platform NAME, -style NAME, ...) are passed on to Qt.\n"
    "\n"
    "Keys: F1 the lessons, F2 the network plan, F3 your progress, F4 hints on or\n"
    "off, F10 finish;\n"
    "Up and Down recall commands; Shift+PgUp and Shift+PgDn scroll back;\n"
    "Ctrl+= Ctrl+- Ctrl+0 zoom; Ctrl+Shift+C copies, Ctrl+Shift+V pastes.\n";

struct CommandLine {
    enum class Action { Run, Help, Version, BadUsage };
    Action action = Action::Run;
    std::optional<std::filesystem::path> dir;
    // For start-up measurements: quit once this window has shown ("splash",
    // "main") or the splash is fully drawn ("splash-settled"), or "" to run
    // normally; or press Start at once and stay (idle measurements).
    std::string quitAfterShow;
    bool openMain = false;
    bool hints = true;    // --no-hints: the coach starts off
    std::string problem;  // what is wrong with the command line, for BadUsage
};

// Reads the arguments after the program name. Qt's options and their values
// are skipped: Qt reads them itself when the application starts.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace pellix::gui
