// The terminal console's screen as a pure function of the core's snapshot and
// the terminal's size: which texts go where, in which look, and where the
// cursor sits. Drawing them is the terminal loop's only job.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "console/Sim.h"

namespace pellix::term {

// Row 0: the caption and the score label at the right; rows 1 to 21: the
// console lines; row 22: the status strip; row 23: the key hint.
inline constexpr int kLabelRow = 0;
inline constexpr int kFirstConsoleRow = 1;
inline constexpr int kInputRow = kFirstConsoleRow + InputLine;
inline constexpr int kStripRow = kFirstConsoleRow + kConsoleLines;
inline constexpr int kHintRow = kStripRow + 1;

// The smallest terminal the console and the network plan fit in: the welcome
// text needs 73 columns, the plan 80.
inline constexpr int kMinRows = kHintRow + 1;
inline constexpr int kMinCols = 80;

inline constexpr std::string_view kCaption = "Vantric Sim";
inline constexpr std::string_view kKeyHint = "F2 Network Plan  F10 Finish";
inline constexpr std::string_view kPlanCaption = "Pellix Vantric lab environment diagram";
inline constexpr std::string_view kPlanHint = "Press any key to close the network plan.";

enum class Look { Plain, Caption, Label, Strip, Hint, Notice };

// One text to draw at a row and column.
struct Text {
    int row = 0;
    int col = 0;
    std::string text;
    Look look = Look::Plain;
    bool operator==(const Text&) const = default;
};

struct Screen {
    std::vector<Text> texts;
    bool cursorShown = false;
    int cursorRow = 0;
    int cursorCol = 0;
};

// The text as it can be drawn in `width` columns: cut there, never wrapped,
// and every byte that is not printable ASCII shown as "?" so that a stray
// control character from a file cannot move the terminal's cursor.
std::string FitText(std::string_view text, int width);

bool Fits(int rows, int cols);

// What the terminal shows for the snapshot: the network plan while it is
// shown, the console otherwise, and a short notice when the terminal is too
// small for either.
Screen ScreenFor(const Snapshot& snap, int rows, int cols);

Screen ConsoleScreen(const Snapshot& snap, int rows, int cols);
Screen PlanScreen(int rows, int cols);
Screen TooSmallScreen(int rows, int cols);

}  // namespace pellix::term
