// The learner at the router's console: typing key by key, and a command
// typed and sent with Enter.
#pragma once

#include <string_view>

#include "console/KeyCodes.h"
#include "console/Sim.h"

namespace pellix::support {

// Types the text key by key (the router ignores the keys it cannot type).
inline void TypeKeys(Sim& sim, std::string_view text) {
    for (unsigned char c : text) sim.KeyPressed(c);
}

// Types the command key by key, then Enter: the learner entering a command.
inline void TypeCommand(Sim& sim, std::string_view command) {
    TypeKeys(sim, command);
    sim.KeyPressed(key::Enter);
}

}  // namespace pellix::support
