#include "term/Keys.h"

#define NCURSES_NOMACROS
#include <curses.h>

namespace pellix::term {

namespace {

constexpr int kCtrlC = 3;
constexpr int kBackspace = 8;
constexpr int kDelete = 127;
constexpr int kCarriageReturn = 13;

}  // namespace

KeyAction MapKey(int key) {
    if (key == KEY_ENTER) return {KeyKind::Type, kCarriageReturn};
    if (key == KEY_BACKSPACE || key == kBackspace || key == kDelete)
        return {KeyKind::Type, kBackspace};
    if (key == KEY_F(2)) return {KeyKind::ShowPlan};
    if (key == KEY_F(10)) return {KeyKind::Finish};
    if (key == KEY_RESIZE) return {KeyKind::Resize};
    if (key == kCtrlC) return {KeyKind::Interrupt};
    if (key >= 0 && key <= 255) return {KeyKind::Type, static_cast<std::uint16_t>(key)};
    return {};
}

Outcome HandleKey(Sim& sim, int key, bool screenFits) {
    const KeyAction action = MapKey(key);
    if (action.kind == KeyKind::Interrupt) return Outcome::Interrupted;
    if (action.kind == KeyKind::Resize || action.kind == KeyKind::Ignore) return Outcome::Continue;
    if (sim.PlanShown()) {
        sim.CloseNetworkPlan();
        return Outcome::Continue;
    }
    switch (action.kind) {
        case KeyKind::Finish:
            sim.Finish();
            return Outcome::Finished;
        case KeyKind::ShowPlan:
            if (screenFits) sim.ShowNetworkPlan();
            break;
        case KeyKind::Type:
            if (screenFits) sim.Form_KeyPress(action.code);
            break;
        default:
            break;
    }
    return Outcome::Continue;
}

}  // namespace pellix::term
