#include "lab/FunctionKeys.h"

#include "lab/Pages.h"

namespace pellix::lab {

const FunctionKeyTable& FunctionKeyUses() {
    // The hint row has room for four keys; F4, the coach's switch, is named
    // on the hint line and in the lessons instead.
    static const FunctionKeyTable uses = {
        {1, "Lesson", FunctionRole::Page, PageName::Lesson, LessonPageOf},
        {2, "Network Plan", FunctionRole::NetworkPlan},
        {3, "Progress", FunctionRole::Page, PageName::Progress, ProgressPageOf},
        {4, "Hints", FunctionRole::Hints, PageName::None, nullptr, false},
        {10, "Finish", FunctionRole::Finish},
    };
    return uses;
}

const FunctionKeyUse* FunctionKeyUseOf(const FunctionKeyTable& uses, int number) {
    for (const FunctionKeyUse& use : uses)
        if (use.number == number) return &use;
    return nullptr;
}

int FunctionKeyOf(const FunctionKeyTable& uses, FunctionRole role, PageName page) {
    for (const FunctionKeyUse& use : uses)
        if (use.role == role && use.page == page) return use.number;
    return 0;
}

std::string KeyList(const FunctionKeyTable& uses) {
    std::string list;
    for (const FunctionKeyUse& use : uses)
        list +=
            (list.empty() ? "F" : "  F") + std::to_string(use.number) + " " + std::string(use.name);
    return list;
}

std::string KeyHint(const FunctionKeyTable& uses) {
    std::string hint;
    for (const FunctionKeyUse& use : uses)
        if (use.listed)
            hint += "F" + std::to_string(use.number) + " " + std::string(use.name) + "  ";
    // Terminals without function keys send Escape and the digit for Alt+digit.
    return hint + "Alt+1..Alt+0 = F1..F10";
}

std::string BriefKeyHint(const FunctionKeyTable& uses, bool alt) {
    std::string hint;
    for (const FunctionKeyUse& use : uses)
        if (use.listed)
            hint += (hint.empty() ? "F" : " F") + std::to_string(use.number) + " " +
                    std::string(use.name);
    return alt ? hint + " Alt+1..0" : hint;
}

}  // namespace pellix::lab
