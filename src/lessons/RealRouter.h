// Where the lab and a real router part ways: the commands a learner used to
// a real router may type that this lab answers as unknown, what a real router
// does with each, and the form this lab's exercise takes instead. One table
// feeds the coach's hint after such a command and the lessons' notes.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console/Mode.h"

namespace pellix {

// A set of command modes, as a bit per mode number.
using ModeSet = unsigned long long;
constexpr ModeSet Modes(std::initializer_list<Mode> modes) {
    ModeSet set = 0;
    for (Mode mode : modes) set |= ModeSet{1} << Number(mode);
    return set;
}
constexpr bool InModes(ModeSet set, Mode mode) {
    return Number(mode) < 64 && ((set >> Number(mode)) & 1) != 0;
}

struct RealRouterForm {
    ModeSet modes;  // where the learner types it
    // What the learner may type: forms separated by "|"; a form ending in
    // "*" stands for every command that begins with the text before it.
    std::string_view real;
    // What a real router does with it, following "A real router "; "{}"
    // stands for the command as typed, in backquotes.
    std::string_view realDoes;
    // What this lab takes instead, following "; ".
    std::string_view lab;
    // The lab's commands that clause names, "|"-separated, each taken in
    // labMode (NotStarted: in the modes above); empty when it names none.
    std::string_view labForms;
    Mode labMode = Mode::NotStarted;
    // Whether the lessons show the row as a note at the first step that
    // types one of the lab's commands.
    bool lessonNote = true;
};

// Every row, in the order a learner meets them in the lessons.
std::span<const RealRouterForm> RealRouterForms();

struct LessonBlock;

// The "On a real router" notes of a lesson step: its own note on what a real
// router shows there, then the hint of each row whose lab command the lessons
// type first at this step.
std::vector<std::string> RealRouterNotes(const LessonBlock& block);

// Whether the command (without blanks at either end) is one of the row's
// real forms.
bool MatchesRealForm(const RealRouterForm& form, std::string_view command);

// The coach's hint after a command the lab answered as unknown in that mode:
// "A real router takes `conf t` ...; this lab takes ...". Empty when no row
// knows the command.
std::string CoachHint(Mode mode, std::string_view command);
// The same hint's second half alone, for a front end with one short line:
// "This lab takes `config t` or `configure terminal`.".
std::string CoachHintBrief(Mode mode, std::string_view command);

}  // namespace pellix
