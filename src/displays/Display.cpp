#include "displays/Display.h"

#include <string>

#include "console/Command.h"

namespace pellix {

void PrintDisplay(Command& command, std::span<const DisplayLine> lines) {
    for (const DisplayLine& line : lines) {
        if (line.when && !line.when(command.Slots())) continue;
        if (line.slot < 0)
            command.PrintLine(line.text);
        else
            command.PrintLine(std::string(line.text) + command.Slot(line.slot) +
                              std::string(line.suffix));
        command.Award(line.taskAfter);
    }
}

}  // namespace pellix
