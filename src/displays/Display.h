// A show display is a table of lines, each with the condition on the slots
// under which it is printed. A line may hold a slot's text between its fixed
// text and a fixed suffix, and may award a task right after it is printed.
#pragma once

#include <span>
#include <string_view>

#include "console/Dispatch.h"

namespace pellix {

struct DisplayLine {
    std::string_view text;
    SlotTest when = nullptr;      // null: always
    int slot = -1;                // this slot's text follows the fixed text
    std::string_view suffix;      // after the slot's text
    Task taskAfter = Task::None;  // awarded right after the line is printed
};

// Prints the lines whose condition holds, in order.
void PrintDisplay(Command& command, std::span<const DisplayLine> lines);

}  // namespace pellix
