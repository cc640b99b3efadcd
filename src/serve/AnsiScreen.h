// Draws pellix-term's screen (its layout of texts and looks) on a remote
// ANSI terminal: keeps what the terminal shows and sends only the changes.
#pragma once

#include <string>
#include <vector>

#include "term/Layout.h"

namespace pellix::serve {

class AnsiScreen {
  public:
    // The terminal's size; a change redraws everything at the next Render.
    void Resize(int rows, int cols);
    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    void SetColours(bool colours) { colours_ = colours; }
    // The next Render clears the terminal and draws everything.
    void Invalidate() { full_ = true; }

    // The bytes that turn what the terminal shows into `screen`.
    std::string Render(const term::Screen& screen);

  private:
    struct Cell {
        char ch = ' ';
        term::Look look = term::Look::Plain;
        bool operator==(const Cell&) const = default;
    };

    void Lay(const term::Screen& screen, std::vector<Cell>& cells) const;
    void Style(std::string& out, term::Look look);

    int rows_ = 24;
    int cols_ = 80;
    bool colours_ = true;
    bool full_ = true;
    std::vector<Cell> shown_;
    std::vector<Cell> laid_;  // the next screen's cells, kept to spare an allocation per key
    term::Look current_ = term::Look::Plain;
    int cursorShown_ = -1;  // unknown at first
};

}  // namespace pellix::serve
