// "reset score": zeroes every task entry.
#include "console/Command.h"
#include "interpreters/Procedures.h"

namespace pellix {

void ResetScore(Command& command) {
    command.ResetScore();
    command.Note("Score Reset to 0.");
    command.PrintLine("User score reset.");
    command.PrintLine();
}

}  // namespace pellix
