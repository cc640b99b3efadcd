// The commands with a free-text argument: hostname, enable password, enable
// secret and the line passwords. Each cuts its argument at a fixed position
// and keeps the rest exactly as typed.
#include <string>

#include "console/Sim.h"
#include "interpreters/Procedures.h"

namespace pellix {

namespace {

// The command without its first n characters; empty when it is no longer.
std::string After(const std::string& command, std::size_t n) {
    return command.size() > n ? command.substr(n) : std::string();
}

}  // namespace

void SetHostname(Sim& sim) {
    std::string name = After(sim.CommandText, 9);
    if (name.empty()) {
        sim.PrintLine("Invalid Hostname");
        return;
    }
    sim.Slot(slot::Hostname) = std::move(name);
    sim.AwardTask(2);
}

void SetEnablePassword(Sim& sim) {
    const std::string& command = sim.CommandText;
    std::string password;
    if (command.starts_with("en pass ") && command.size() > 9)
        password = command.substr(8);
    else if (command.starts_with("enable password ") && command.size() > 17)
        password = command.substr(16);
    if (password.empty()) {
        sim.PrintLine("Invalid Password");
        return;
    }
    sim.Slot(slot::EnablePassword) = std::move(password);
    sim.AwardTask(3);
}

void SetEnableSecret(Sim& sim) {
    if (sim.CommandText.size() <= 15) {
        sim.PrintLine("Invalid Password");
        return;
    }
    sim.Slot(slot::EnableSecret) = sim.CommandText.substr(14);
    sim.AwardTask(4);
}

void SetLinePassword(Sim& sim, int slotNumber, int task) {
    std::string password = After(sim.CommandText, 9);
    if (password.empty()) {
        sim.PrintLine("Bad Password");
        return;
    }
    sim.Slot(slotNumber) = password;
    sim.AwardTask(task);
    sim.pic.Print("Password " + password + " entered.");
}

}  // namespace pellix
