#include "serve/AnsiScreen.h"

#include <algorithm>
#include <cstdio>

namespace pellix::serve {

namespace {

constexpr int kMaxSide = 500;  // no real terminal is larger; keeps the cells bounded

void MoveTo(std::string& out, int row, int col) {
    char move[24];
    const int length = std::snprintf(move, sizeof move, "\x1b[%d;%dH", row + 1, col + 1);
    out.append(move, static_cast<std::size_t>(length));
}

}  // namespace

void AnsiScreen::Resize(int rows, int cols) {
    rows = std::clamp(rows, 1, kMaxSide);
    cols = std::clamp(cols, 1, kMaxSide);
    if (rows == rows_ && cols == cols_) return;
    rows_ = rows;
    cols_ = cols;
    full_ = true;
}

void AnsiScreen::Lay(const term::Screen& screen, std::vector<Cell>& cells) const {
    cells.assign(static_cast<std::size_t>(rows_ * cols_), Cell{});
    for (const term::Text& text : screen.texts) {
        if (text.row < 0 || text.row >= rows_ || text.col < 0) continue;
        // The layout's UTF-8 as one "?" a column: the cells stay in place.
        const std::string ascii = term::AsciiText(text.text);
        for (std::size_t i = 0; i < ascii.size(); ++i) {
            const int col = text.col + static_cast<int>(i);
            if (col >= cols_) break;
            char ch = ascii[i];
            const auto byte = static_cast<unsigned char>(ch);
            if (byte < 32 || byte > 126) ch = '?';
            cells[static_cast<std::size_t>(text.row * cols_ + col)] = {ch, text.look};
        }
    }
}

void AnsiScreen::Style(std::string& out, term::Look look) {
    if (look == current_) return;
    current_ = look;
    switch (look) {
        case term::Look::Caption:
        case term::Look::Label:
        case term::Look::Notice:
            out += "\x1b[0;1m";
            break;
        case term::Look::Strip:
            out += colours_ ? "\x1b[0;1;31;47m" : "\x1b[0;1;7m";
            break;
        case term::Look::Hint:
        case term::Look::Marker:
            out += "\x1b[0;7m";
            break;
        case term::Look::Plain:
            out += "\x1b[0m";
            break;
    }
}

std::string AnsiScreen::Render(const term::Screen& screen) {
    std::string out;
    std::vector<Cell>& cells = laid_;
    Lay(screen, cells);
    if (full_ || shown_.size() != cells.size()) {
        out += "\x1b[0m\x1b[H\x1b[2J";
        current_ = term::Look::Plain;
        shown_.assign(cells.size(), Cell{});
        full_ = false;
    }
    for (int row = 0; row < rows_; ++row) {
        const auto first = static_cast<std::size_t>(row * cols_);
        int left = 0, right = cols_ - 1;
        while (left < cols_ && cells[first + left] == shown_[first + left]) ++left;
        if (left == cols_) continue;
        while (cells[first + right] == shown_[first + right]) --right;
        // Blanks up to the row's end are cleared in one go.
        int tail = cols_;
        while (tail > 0 && cells[first + tail - 1] == Cell{}) --tail;
        const bool clearTail = tail <= right;
        const int writeEnd = clearTail ? std::max(tail, left) : right + 1;
        MoveTo(out, row, left);
        for (int col = left; col < writeEnd; ++col) {
            Style(out, cells[first + col].look);
            out += cells[first + col].ch;
        }
        if (clearTail) {
            Style(out, term::Look::Plain);
            out += "\x1b[K";
        }
        std::copy(cells.begin() + first, cells.begin() + first + cols_, shown_.begin() + first);
    }
    Style(out, term::Look::Plain);
    const int visible = screen.cursorShown ? 1 : 0;
    if (visible) MoveTo(out, screen.cursorRow, screen.cursorCol);
    if (visible != cursorShown_) out += visible ? "\x1b[?25h" : "\x1b[?25l";
    cursorShown_ = visible;
    return out;
}

}  // namespace pellix::serve
