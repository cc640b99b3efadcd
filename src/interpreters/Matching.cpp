// The matching rule that every interpreter's rows use.
#include "console/Dispatch.h"

namespace pellix {

bool MatchesAbbreviation(std::string_view command, std::string_view shortForm,
                         std::string_view fullForm) {
    return command.starts_with(shortForm) && fullForm.starts_with(command);
}

bool RowHolds(const Row& row, std::string_view command, const ConfigSlotTable& slots) {
    bool holds = false;
    switch (row.test) {
        case Test::Equals:
            holds = command == row.text;
            break;
        case Test::StartsWith:
            holds = command.starts_with(row.text);
            break;
        case Test::Abbrev:
            holds = MatchesAbbreviation(command, row.text, row.full);
            break;
        case Test::Any:
            holds = true;
            break;
        case Test::Never:
            break;
    }
    return holds && (!row.guard || row.guard(slots));
}

}  // namespace pellix
