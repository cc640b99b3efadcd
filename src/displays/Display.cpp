#include "displays/Display.h"

#include <string>

#include "console/Sim.h"

namespace pellix {

void PrintDisplay(Sim& sim, std::span<const DisplayLine> lines) {
    for (const DisplayLine& line : lines) {
        if (line.when && !line.when(sim.ConfigSlots)) continue;
        if (line.slot < 0)
            sim.PrintLine(line.text);
        else
            sim.PrintLine(std::string(line.text) + sim.Slot(line.slot) + std::string(line.suffix));
        if (line.taskAfter) sim.AwardTask(line.taskAfter);
    }
}

}  // namespace pellix
