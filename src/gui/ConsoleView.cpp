#include "gui/ConsoleView.h"

#include <algorithm>

namespace pellix::gui {

int ConsoleView::RowCount(const Sim& sim) {
    return static_cast<int>(sim.ScrollBack().size()) + kConsoleLines;
}

const std::string& ConsoleView::RowText(const Sim& sim, int row) {
    int kept = static_cast<int>(sim.ScrollBack().size());
    if (row < kept) return sim.ScrollBack()[static_cast<std::size_t>(row)];
    return sim.Lines()[static_cast<std::size_t>(row - kept)];
}

int ConsoleView::RowOfLine(const Sim& sim, int k, int offset) {
    return RowCount(sim) - kConsoleLines - offset + k;
}

void ConsoleView::StartSelection(TextPlace at) {
    selecting_ = true;
    anchor_ = head_ = at;
}

void ConsoleView::ExtendSelection(TextPlace to) {
    if (selecting_) head_ = to;
}

void ConsoleView::SelectWord(const Sim& sim, TextPlace at) {
    const std::string& text = RowText(sim, at.row);
    int first = std::min(at.column, static_cast<int>(text.size()));
    int last = first;
    auto blank = [&](int column) { return text[static_cast<std::size_t>(column)] == ' '; };
    if (last < static_cast<int>(text.size()) && !blank(last)) {
        while (first > 0 && !blank(first - 1)) --first;
        while (last < static_cast<int>(text.size()) && !blank(last)) ++last;
    }
    selecting_ = true;
    anchor_ = {at.row, first};
    head_ = {at.row, last};
}

std::pair<int, int> ConsoleView::SelectedColumns(const Sim& sim, int row) const {
    if (!HasSelection()) return {0, 0};
    TextPlace from = std::min(anchor_, head_), to = std::max(anchor_, head_);
    if (row < from.row || row > to.row) return {0, 0};
    int length = static_cast<int>(RowText(sim, row).size());
    int first = row == from.row ? std::min(from.column, length) : 0;
    int last = row == to.row ? std::min(to.column, length) : length;
    return {first, std::max(first, last)};
}

std::string ConsoleView::SelectedText(const Sim& sim) const {
    if (!HasSelection()) return {};
    TextPlace from = std::min(anchor_, head_), to = std::max(anchor_, head_);
    int rows = RowCount(sim);
    std::string text;
    for (int row = std::max(0, from.row); row <= std::min(to.row, rows - 1); ++row) {
        auto [first, last] = SelectedColumns(sim, row);
        if (row > from.row) text += '\n';
        text += RowText(sim, row).substr(static_cast<std::size_t>(first),
                                         static_cast<std::size_t>(last - first));
    }
    return text;
}

}  // namespace pellix::gui
