// The commands with a free-text argument: hostname, enable password, enable
// secret and the line passwords. Each cuts its argument at a fixed position
// and keeps the rest exactly as typed.
#include <string>

#include "console/Command.h"
#include "interpreters/Procedures.h"

namespace pellix {

namespace {

// The command without its first n characters; empty when it is no longer.
std::string After(const std::string& command, std::size_t n) {
    return command.size() > n ? command.substr(n) : std::string();
}

}  // namespace

void SetHostname(Command& command) {
    std::string name = After(command.Text(), 9);
    if (name.empty()) {
        command.PrintLine("Invalid Hostname");
        return;
    }
    command.SetSlot(slot::Hostname, name);
    command.Award(task::HostnameConfigured);
}

void SetEnablePassword(Command& command) {
    const std::string& text = command.Text();
    std::string password;
    if (text.starts_with("en pass ") && text.size() > 9)
        password = text.substr(8);
    else if (text.starts_with("enable password ") && text.size() > 17)
        password = text.substr(16);
    if (password.empty()) {
        command.PrintLine("Invalid Password");
        return;
    }
    command.SetSlot(slot::EnablePassword, password);
    command.Award(task::EnablePasswordSet);
}

void SetEnableSecret(Command& command) {
    if (command.Text().size() <= 15) {
        command.PrintLine("Invalid Password");
        return;
    }
    command.SetSlot(slot::EnableSecret, command.Text().substr(14));
    command.Award(task::EnableSecretSet);
}

void SetLinePassword(Command& command, int slotNumber, Task task) {
    std::string password = After(command.Text(), 9);
    if (password.empty()) {
        command.PrintLine("Bad Password");
        return;
    }
    command.SetSlot(slotNumber, password);
    command.Award(task);
    command.Note("Password " + password + " entered.");
}

}  // namespace pellix
