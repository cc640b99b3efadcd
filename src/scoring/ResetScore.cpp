// "reset score": zeroes every task entry.
#include "console/Sim.h"
#include "interpreters/Procedures.h"

namespace pellix {

void ResetScore(Sim& sim) {
    sim.tasks_.fill(std::int16_t{0});
    sim.pic.Print("Score Reset to 0.");
    sim.PrintLine("User score reset.");
    sim.NewLine();
}

}  // namespace pellix
