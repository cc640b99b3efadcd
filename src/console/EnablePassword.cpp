// Mode 98, the "Password:" prompt after "enable": three tries.
#include "console/Modes.h"
#include "console/Sim.h"

namespace pellix {

namespace {

void CheckEnablePassword(Sim& sim) {
    if (sim.CommandText == sim.Slot(sim.PasswordSlot)) {
        sim.Mode = sim.PasswordPassMode;
        sim.PasswordFailures = 0;
    } else {
        ++sim.PasswordFailures;
    }
    if (sim.PasswordFailures <= 2) return;
    sim.PrintLine("%Bad Password");
    sim.NewLine();
    sim.Mode = sim.PasswordFailMode;
}

constexpr Row kRows[] = {AnyCommand(Call(CheckEnablePassword))};

}  // namespace

constinit const ModeDef kEnablePasswordMode{98, "Password:", false, "", kRows, false, {}};

}  // namespace pellix
