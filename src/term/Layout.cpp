#include "term/Layout.h"

#include <algorithm>

#include "term/NetworkPlan.h"

namespace pellix::term {

namespace {

void Put(Screen& screen, int row, int col, std::string_view text, Look look, int cols) {
    if (col >= cols) return;
    screen.texts.push_back({row, col, FitText(text, cols - col), look});
}

}  // namespace

std::string FitText(std::string_view text, int width) {
    if (width <= 0) return {};
    std::string fitted(text.substr(0, static_cast<std::size_t>(width)));
    for (char& c : fitted) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte > 126) c = '?';
    }
    return fitted;
}

bool Fits(int rows, int cols) {
    return rows >= kMinRows && cols >= kMinCols;
}

Screen ScreenFor(const Snapshot& snap, int rows, int cols) {
    if (!Fits(rows, cols)) return TooSmallScreen(rows, cols);
    return snap.plan ? PlanScreen(rows, cols) : ConsoleScreen(snap, rows, cols);
}

Screen ConsoleScreen(const Snapshot& snap, int rows, int cols) {
    Screen screen;
    if (rows <= 0 || cols <= 0) return screen;
    Put(screen, kLabelRow, 0, kCaption, Look::Caption, cols);
    // The score label sits above the console's right end, clear of the caption.
    const int labelCol =
        std::max(static_cast<int>(kCaption.size()) + 1, cols - static_cast<int>(snap.label.size()));
    if (!snap.label.empty()) Put(screen, kLabelRow, labelCol, snap.label, Look::Label, cols);
    for (int k = 0; k < kConsoleLines; ++k) {
        const std::string& line = snap.lines[static_cast<std::size_t>(k)];
        if (!line.empty() && kFirstConsoleRow + k < rows)
            Put(screen, kFirstConsoleRow + k, 0, line, Look::Plain, cols);
    }
    if (kStripRow < rows) {
        // The strip shows its first note only, on a band as wide as the console.
        std::string strip = snap.pic.empty() ? std::string() : FitText(snap.pic.front(), cols);
        strip.resize(static_cast<std::size_t>(cols), ' ');
        screen.texts.push_back({kStripRow, 0, strip, Look::Strip});
    }
    if (kHintRow < rows) Put(screen, kHintRow, 0, kKeyHint, Look::Hint, cols);
    // The cursor stands behind the last typed character while that place is
    // on the screen.
    const auto inputLength = snap.lines[InputLine].size();
    if (kInputRow < rows && inputLength < static_cast<std::size_t>(cols)) {
        screen.cursorShown = true;
        screen.cursorRow = kInputRow;
        screen.cursorCol = static_cast<int>(inputLength);
    }
    return screen;
}

Screen PlanScreen(int rows, int cols) {
    Screen screen;
    if (rows <= 0 || cols <= 0) return screen;
    Put(screen, 0, 0, kPlanCaption, Look::Caption, cols);
    const auto& plan = NetworkPlanRows();
    for (std::size_t k = 0; k < plan.size(); ++k) {
        const int row = 1 + static_cast<int>(k);
        if (row >= rows - 1) break;
        if (!plan[k].empty()) Put(screen, row, 0, plan[k], Look::Plain, cols);
    }
    Put(screen, rows - 1 < kHintRow ? rows - 1 : kHintRow, 0, kPlanHint, Look::Hint, cols);
    return screen;
}

Screen TooSmallScreen(int rows, int cols) {
    Screen screen;
    if (rows <= 0 || cols <= 0) return screen;
    Put(screen, 0, 0,
        "Terminal too small: need " + std::to_string(kMinCols) + "x" + std::to_string(kMinRows),
        Look::Notice, cols);
    if (rows > 1)
        Put(screen, 1, 0,
            "now " + std::to_string(cols) + "x" + std::to_string(rows) +
                "; enlarge it, or press F10 to finish",
            Look::Plain, cols);
    return screen;
}

}  // namespace pellix::term
