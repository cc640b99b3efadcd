// How every console mode is declared: its prompt, its interpreter as an
// ordered table of rows read top to bottom (the first row whose test holds
// is carried out), and its help listing. One executor acts on matched rows.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "console/Command.h"
#include "console/Mode.h"
#include "scoring/TaskTable.h"
#include "state/ConfigSlots.h"

namespace pellix {

using Procedure = void (*)(Command&);
// A condition on the configuration: a row's guard, a display line's.
using SlotTest = bool (*)(const ConfigSlotTable&);

// The two conditions on one slot: it holds some text, it holds this text.
template <int Slot>
constexpr bool IsSet(const ConfigSlotTable& slots) {
    return !slots[Slot].empty();
}
template <int Slot, const char* Text>
constexpr bool SlotIs(const ConfigSlotTable& slots) {
    return slots[Slot] == Text;
}

enum class Test : std::uint8_t {
    Equals,      // the whole command is the text
    StartsWith,  // the command's first characters are the text
    Abbrev,      // MatchesAbbreviation(command, text, full)
    Any,         // every command, the empty one included
    Never,       // a row that does not exist in this mode
};

struct SlotWrite {
    int slot = -1;
    std::string_view value;
};

// Called only when a table is built wrong. None of them is constexpr, so a
// table whose row has more slot writes or printed lines than a row holds, or
// goes to a mode no table or dialog declares, does not compile.
void RowHoldsAtMostFiveSlotWrites();
void RowPrintsAtMostTwoLines();
void RowGoesToAnUndeclaredMode();

// What a matched row does, in this order: call a procedure, write slots,
// award a task, print lines ("" prints an empty line), change the mode.
struct Action {
    Procedure call = nullptr;
    std::array<SlotWrite, 5> writes{};
    Task task = Task::None;
    std::array<const char*, 2> lines{};
    Mode next = Mode::NotStarted;  // NotStarted: the mode stays

    constexpr Action Set(int slot, std::string_view value) const {
        Action a = *this;
        for (SlotWrite& w : a.writes)
            if (w.slot < 0) {
                w = {slot, value};
                return a;
            }
        RowHoldsAtMostFiveSlotWrites();
        return a;
    }
    constexpr Action Award(Task t) const {
        Action a = *this;
        a.task = t;
        return a;
    }
    constexpr Action Print(const char* line) const {
        Action a = *this;
        if (!a.lines[0])
            a.lines[0] = line;
        else if (!a.lines[1])
            a.lines[1] = line;
        else
            RowPrintsAtMostTwoLines();
        return a;
    }
    constexpr Action ToMode(Mode m) const {
        if (!IsDeclared(m)) RowGoesToAnUndeclaredMode();
        Action a = *this;
        a.next = m;
        return a;
    }
};

constexpr Action Call(Procedure p) {
    return Action{.call = p};
}
constexpr Action ToMode(Mode m) {
    return Action{}.ToMode(m);
}
constexpr Action Set(int slot, std::string_view value) {
    return Action{}.Set(slot, value);
}
constexpr Action Print(const char* line) {
    return Action{}.Print(line);
}
constexpr Action Nothing() {
    return Action{};
}

// A row holds when its test holds and, where a guard is given, the guard
// holds for the configuration.
struct Row {
    Test test = Test::Never;
    std::string_view text;
    std::string_view full;
    SlotTest guard = nullptr;
    Action act;
};

constexpr Row Eq(std::string_view text, Action act, SlotTest guard = nullptr) {
    return {Test::Equals, text, {}, guard, act};
}
constexpr Row Starts(std::string_view text, Action act) {
    return {Test::StartsWith, text, {}, nullptr, act};
}
constexpr Row Abbrev(std::string_view shortForm, std::string_view fullForm, Action act,
                     SlotTest guard = nullptr) {
    return {Test::Abbrev, shortForm, fullForm, guard, act};
}
constexpr Row AnyCommand(Action act) {
    return {Test::Any, {}, {}, nullptr, act};
}

// One table from several, in order: a mode's own rows and the rows it shares
// with other modes.
template <std::size_t... N>
constexpr std::array<Row, (N + ...)> Rows(const std::array<Row, N>&... parts) {
    std::array<Row, (N + ...)> all{};
    auto out = all.begin();
    ((out = std::copy(parts.begin(), parts.end(), out)), ...);
    return all;
}

// A row of a table shared by several modes, with a column per mode (the two
// interfaces, the two lines). An empty text means the row does not exist in
// that column's mode.
template <std::size_t K>
struct ColumnRow {
    Test test;
    std::array<std::string_view, K> text;
    std::string_view full;
    std::array<Action, K> act;
};

template <std::size_t K, std::size_t N>
constexpr std::array<Row, N> Column(const std::array<ColumnRow<K>, N>& table, std::size_t k) {
    std::array<Row, N> rows{};
    for (std::size_t i = 0; i < N; ++i) {
        const ColumnRow<K>& r = table[i];
        bool exists = r.test == Test::Any || !r.text[k].empty();
        rows[i] = {exists ? r.test : Test::Never, r.text[k], r.full, nullptr, r.act[k]};
    }
    return rows;
}

// A mode's table or dialog; which mode it answers in is declared with it in
// kDeclaredModes (console/Mode.h).
struct ModeDef {
    // The prompt: before + (the hostname, when withHostname) + after.
    std::string_view before;
    bool withHostname;
    std::string_view after;
    std::span<const Row> rows;
    // The closing rows of the command modes: an empty command does nothing,
    // any other unmatched command gets the unknown-command line.
    bool closing;
    std::span<const std::string_view> help;  // empty: the mode has no listing
    // A dialog whose answer is handled by plain code rather than rows.
    Procedure answer = nullptr;
};

// A dialog whose answer is handled by plain code: its prompt and that code.
constexpr ModeDef AnsweredByCode(std::string_view before, bool withHostname, std::string_view after,
                                 Procedure answer) {
    return {.before = before,
            .withHostname = withHostname,
            .after = after,
            .rows = {},
            .closing = false,
            .help = {},
            .answer = answer};
}

// The shared matching rule: the command begins with the short form and is
// itself a beginning of the full form.
bool MatchesAbbreviation(std::string_view command, std::string_view shortForm,
                         std::string_view fullForm);

bool RowHolds(const Row& row, std::string_view command, const ConfigSlotTable& slots);

// Runs the dialog's answer, or the first row of the table that holds and
// then the closing rows.
void Interpret(Command& command, const ModeDef& mode);

// The declared mode with this number, or null.
const ModeDef* FindMode(Mode mode);

}  // namespace pellix
