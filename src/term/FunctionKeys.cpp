#include "term/FunctionKeys.h"

#include "term/LessonPages.h"

namespace pellix::term {

const FunctionKeyTable& FunctionKeyUses() {
    // A page of its own is a row {number, name, FunctionRole::Page, maker}.
    static const FunctionKeyTable uses = {
        {1, "Lesson", FunctionRole::Page, LessonPageOf},
        {2, "Network Plan", FunctionRole::NetworkPlan},
        {3, "Progress", FunctionRole::Page, ProgressPageOf},
        {10, "Finish", FunctionRole::Finish},
    };
    return uses;
}

const FunctionKeyUse* FunctionKeyUseOf(const FunctionKeyTable& uses, int number) {
    for (const FunctionKeyUse& use : uses)
        if (use.number == number) return &use;
    return nullptr;
}

std::string KeyHint(const FunctionKeyTable& uses) {
    std::string hint;
    for (const FunctionKeyUse& use : uses)
        hint += "F" + std::to_string(use.number) + " " + std::string(use.name) + "  ";
    // Terminals without function keys send Escape and the digit for Alt+digit.
    return hint + "Alt+1..Alt+0 = F1..F10";
}

}  // namespace pellix::term
