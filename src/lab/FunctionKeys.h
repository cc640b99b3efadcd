// What the function keys do in the lab console, in key order, the same in
// every front end. The terminal's key hint row lists the listed ones; a key
// not in the table does nothing.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "console/Sim.h"
#include "lab/Page.h"

namespace pellix::lab {

enum class FunctionRole {
    Page,         // a page of the lab: the lesson's steps, the progress
    NetworkPlan,  // the router's "Show Network Plan"
    Hints,        // the coach's hints on or off
    Finish,       // the router's "Finish"
};

// A page drawn from the router's state when its key is pressed.
using PageMaker = std::function<Page(const Sim&)>;

enum class PageName { None, Lesson, Progress };

struct FunctionKeyUse {
    int number = 0;         // F1 .. F10: 1 .. 10
    std::string_view name;  // as the key hint shows it
    FunctionRole role = FunctionRole::Page;
    PageName page = PageName::None;  // for FunctionRole::Page
    PageMaker maker = nullptr;       // for FunctionRole::Page
    bool listed = true;              // named in the terminal's key hint row
};

using FunctionKeyTable = std::vector<FunctionKeyUse>;

const FunctionKeyTable& FunctionKeyUses();

// The function key's use in the table, or nullptr for a key without one.
const FunctionKeyUse* FunctionKeyUseOf(const FunctionKeyTable& uses, int number);
// The key of a role (or of a page), or 0 when no key has it.
int FunctionKeyOf(const FunctionKeyTable& uses, FunctionRole role, PageName page = PageName::None);

// Every key of the table, as a window shows them where a learner looks:
// "F1 Lesson  F2 Network Plan  F3 Progress  F4 Hints  F10 Finish".
std::string KeyList(const FunctionKeyTable& uses);

// The listed keys as the terminal's key hint row shows them:
// "F1 Lesson  F2 Network Plan  F3 Progress  F10 Finish  Alt+1..Alt+0 = F1..F10".
std::string KeyHint(const FunctionKeyTable& uses);
// The same in brief, for a narrower place: "F1 Lesson F2 Network Plan F3 Progress F10 Finish",
// with " Alt+1..0" after it when `alt`.
std::string BriefKeyHint(const FunctionKeyTable& uses, bool alt);

}  // namespace pellix::lab
