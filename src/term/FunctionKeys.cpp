#include "term/FunctionKeys.h"

namespace pellix::term {

const std::vector<FunctionKeyUse>& FunctionKeyUses() {
    // A page of its own is a row {number, name, FunctionRole::Page, maker}.
    static const std::vector<FunctionKeyUse> uses = {
        {2, "Network Plan", FunctionRole::NetworkPlan},
        {10, "Finish", FunctionRole::Finish},
    };
    return uses;
}

const FunctionKeyUse* FunctionKeyUseOf(int number) {
    for (const FunctionKeyUse& use : FunctionKeyUses())
        if (use.number == number) return &use;
    return nullptr;
}

std::string KeyHint() {
    std::string hint;
    for (const FunctionKeyUse& use : FunctionKeyUses())
        hint += "F" + std::to_string(use.number) + " " + std::string(use.name) + "  ";
    // Terminals without function keys send Escape and the digit for Alt+digit.
    return hint + "Alt+1..Alt+0 = F1..F10";
}

}  // namespace pellix::term
