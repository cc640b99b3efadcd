// Line configuration for the vty lines 0 to 4 and the console line 0: their
// commands and their (identical) listings. One table with a column per line.
#include "console/Modes.h"

namespace pellix {

namespace {

using LineRow = ColumnRow<2>;
enum { Vty, Console };

void SetVtyPassword(Command& command) {
    SetLinePassword(command, slot::VtyPassword, task::VtyPasswordSet);
}
void SetConsolePassword(Command& command) {
    SetLinePassword(command, slot::ConsolePassword, task::ConsolePasswordSet);
}

constexpr std::array<LineRow, 2> kTable = {{
    {Test::Equals, {"login", "login"}, {}, {Nothing(), Nothing()}},
    {Test::StartsWith,
     {"password", "password"},
     {},
     {Call(SetVtyPassword), Call(SetConsolePassword)}},
}};

constexpr auto kVtyRows = ConfigSubmodeRows(kTable, Vty);
constexpr auto kConsoleRows = ConfigSubmodeRows(kTable, Console);

constexpr std::string_view kHelp[] = {
    "These commands are available on this simulation:",
    "  exit",
    "  login",
    "  password",
    "  show history",
};

}  // namespace

constinit const ModeDef kVtyLineMode{"", true, "(config-line)#", kVtyRows, true, kHelp};
constinit const ModeDef kConsoleLineMode{"", true, "(config-line)#", kConsoleRows, true, kHelp};

}  // namespace pellix
