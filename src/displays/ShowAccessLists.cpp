// show access-list: the entries of access lists 3 and 101, each block shown
// when either of its entries is set.
#include "console/Command.h"
#include "displays/Display.h"
#include "interpreters/Procedures.h"

namespace pellix {

namespace {

constexpr bool List3(const ConfigSlotTable& s) {
    return !s[slot::List3Deny].empty() || !s[slot::List3Permit].empty();
}
constexpr bool List101(const ConfigSlotTable& s) {
    return !s[slot::List101Deny].empty() || !s[slot::List101Permit].empty();
}

constexpr DisplayLine kLines[] = {
    {"standard IP access list 3", List3},
    {"    ", List3, slot::List3Deny},
    {"    ", List3, slot::List3Permit},
    {"extended IP access list 101", List101},
    {"    ", List101, slot::List101Deny},
    {"    ", List101, slot::List101Permit},
    {""},
};

}  // namespace

void ShowAccessLists(Command& command) {
    command.Award(task::AccessListsShown);
    PrintDisplay(command, kLines);
}

}  // namespace pellix
