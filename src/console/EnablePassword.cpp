// The "Password:" prompt after "enable": three tries at the secret, or at
// the enable password when no secret is set.
#include "console/Modes.h"

namespace pellix {

namespace {

constexpr int kTries = 3;

void CheckEnablePassword(Command& command) {
    const int asked =
        command.Slot(slot::EnableSecret).empty() ? slot::EnablePassword : slot::EnableSecret;
    int& failures = command.Dialog().passwordFailures;
    if (command.Text() == command.Slot(asked)) {
        command.GoTo(Mode::PrivilegedExec);
        failures = 0;
        return;
    }
    if (++failures < kTries) return;
    command.PrintLine("%Bad Password");
    command.PrintLine();
    command.GoTo(Mode::UserExec);
}

}  // namespace

constinit const ModeDef kEnablePasswordMode =
    AnsweredByCode("Password:", false, "", CheckEnablePassword);

}  // namespace pellix
