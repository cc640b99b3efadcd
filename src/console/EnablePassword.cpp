// Mode 98, the "Password:" prompt after "enable": three tries.
#include "console/Modes.h"
#include "console/Sim.h"

namespace pellix {

namespace {

void CheckEnablePassword(Sim& sim) {
    if (sim.CommandText == sim.Slot(sim.PasswordSlot)) {
        sim.mode = sim.PasswordPassMode;
        sim.PasswordFailures = 0;
    } else {
        ++sim.PasswordFailures;
    }
    if (sim.PasswordFailures <= 2) return;
    sim.PrintLine("%Bad Password");
    sim.NewLine();
    sim.mode = sim.PasswordFailMode;
}

constexpr Row kRows[] = {AnyCommand(Call(CheckEnablePassword))};

}  // namespace

constinit const ModeDef kEnablePasswordMode{
    Mode::EnablePassword, "Password:", false, "", kRows, false, {}};

}  // namespace pellix
