// What the function keys do in the terminal console, in key order. The key
// hint row lists them; a key not in the table does nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "console/Sim.h"
#include "term/Layout.h"

namespace pellix::term {

enum class FunctionRole {
    NetworkPlan,  // the router's "Show Network Plan"
    Finish,       // the router's "Finish"
    Page,         // a page of the terminal console over the console lines
};

// A page drawn from the router's state when its key is pressed.
using PageMaker = Page (*)(const Sim&);

struct FunctionKeyUse {
    int number = 0;         // F1 .. F10: 1 .. 10
    std::string_view name;  // as the key hint shows it
    FunctionRole role = FunctionRole::Page;
    PageMaker page = nullptr;  // for FunctionRole::Page
};

using FunctionKeyTable = std::vector<FunctionKeyUse>;

const FunctionKeyTable& FunctionKeyUses();

// The function key's use in the table, or nullptr for a key without one.
const FunctionKeyUse* FunctionKeyUseOf(const FunctionKeyTable& uses, int number);

// The table as the key hint row shows it:
// "F1 Lesson  F2 Network Plan  F3 Progress  F10 Finish  Alt+1..Alt+0 = F1..F10".
std::string KeyHint(const FunctionKeyTable& uses);

}  // namespace pellix::term
