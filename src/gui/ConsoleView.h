// What the console panel shows of the router's lines, as a terminal window
// does: the live 21 lines or, scrolled back, older lines kept by the core;
// a selection over them that can be copied; and pasted text turned into the
// keys the router's key handler receives. None of it changes the router.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "console/Sim.h"

namespace pellix::gui {

// A place in the console's whole text: row 0 is the oldest line kept in the
// scroll-back, the live screen's 21 lines are the last rows.
struct TextPlace {
    int row = 0;
    int column = 0;
    friend bool operator==(const TextPlace&, const TextPlace&) = default;
    friend auto operator<=>(const TextPlace&, const TextPlace&) = default;
};

class ConsoleView {
  public:
    // How many lines the view is scrolled back from the live screen.
    int Offset() const { return offset_; }
    bool Scrolled() const { return offset_ > 0; }
    // Scrolls back (lines > 0) or forward, no further than the kept lines
    // reach; returns whether the view moved.
    bool ScrollBy(const Sim& sim, int lines);
    // Back to the live screen.
    void ScrollToLive() { offset_ = 0; }

    // The whole-text row that the console line k shows.
    int RowOfLine(const Sim& sim, int k) const;
    // The text of a whole-text row.
    static const std::string& RowText(const Sim& sim, int row);
    static int RowCount(const Sim& sim);

    // The selection: from where the mouse went down to where it is now.
    void StartSelection(TextPlace at);
    void ExtendSelection(TextPlace to);
    // The blank-delimited word at the place, as a double click selects it.
    void SelectWord(const Sim& sim, TextPlace at);
    void ClearSelection() { selecting_ = false; }
    bool HasSelection() const { return selecting_ && anchor_ != head_; }
    // The selected columns [first, last) of a row, or an empty pair.
    std::pair<int, int> SelectedColumns(const Sim& sim, int row) const;
    // The selected text, rows joined by line feeds.
    std::string SelectedText(const Sim& sim) const;

  private:
    int offset_ = 0;
    bool selecting_ = false;
    TextPlace anchor_;
    TextPlace head_;
};

// The character codes that typing the pasted text would give: each line end
// (line feed, carriage return, or both together) is one Enter; every other
// character is its own code, for the key handler to use or drop.
std::vector<std::uint16_t> PastedKeys(const QString& text);

}  // namespace pellix::gui
