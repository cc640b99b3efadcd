// Modes 6 and 7, line configuration for the vty lines 0 to 4 and the console
// line 0: InterpretVtyLine, InterpretConsoleLine and their (identical)
// listings. One table with a column per line.
#include "console/Modes.h"
#include "console/Sim.h"
#include "interpreters/Procedures.h"

namespace pellix {

namespace {

using LineRow = ColumnRow<2>;
enum { Vty, Console };

void SetVtyPassword(Sim& sim) {
    SetLinePassword(sim, slot::VtyPassword, 8);
}
void SetConsolePassword(Sim& sim) {
    SetLinePassword(sim, slot::ConsolePassword, 5);
}

constexpr std::array<LineRow, 5> kTable = {{
    {Test::Equals, {"exit", "exit"}, {}, {ToMode(Mode::GlobalConfig), ToMode(Mode::GlobalConfig)}},
    {Test::Abbrev, {"sh h", "sh h"}, "sh history", {Call(ShowHistory), Call(ShowHistory)}},
    {Test::Abbrev, {"show h", "show h"}, "show history", {Call(ShowHistory), Call(ShowHistory)}},
    {Test::Equals, {"login", "login"}, {}, {Nothing(), Nothing()}},
    {Test::StartsWith,
     {"password", "password"},
     {},
     {Call(SetVtyPassword), Call(SetConsolePassword)}},
}};

constexpr auto kVtyRows = Column(kTable, Vty);
constexpr auto kConsoleRows = Column(kTable, Console);

constexpr std::string_view kHelp[] = {
    "These commands are available on this simulation:",
    "  exit",
    "  login",
    "  password",
    "  show history",
};

}  // namespace

constinit const ModeDef kVtyLineMode{
    Mode::VtyLineConfig, "", true, "(config-line)#", kVtyRows, true, kHelp};
constinit const ModeDef kConsoleLineMode{
    Mode::ConsoleLineConfig, "", true, "(config-line)#", kConsoleRows, true, kHelp};

}  // namespace pellix
