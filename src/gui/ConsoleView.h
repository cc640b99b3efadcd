// A selection over the console panel's lines, as a terminal window has: over
// the live 21 lines or, scrolled back (the lab console keeps how far), the
// older lines kept by the core; it can be copied. None of it changes the
// router.
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
    // The whole-text row that the console line k shows, scrolled back by
    // `offset` lines.
    static int RowOfLine(const Sim& sim, int k, int offset);
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
    bool selecting_ = false;
    TextPlace anchor_;
    TextPlace head_;
};

}  // namespace pellix::gui
