// What a terminal shows after the bytes a server sent: just enough of an ANSI
// terminal (cursor moves, clearing, looks ignored) to read the screen back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellix::serve::testing {

class VtScreen {
  public:
    VtScreen(int rows, int cols);
    void Resize(int rows, int cols);
    void Feed(std::string_view bytes);

    // A row with its trailing blanks removed.
    std::string Row(int row) const;
    std::string Text() const;  // all rows, one per line
    int CursorRow() const { return row_; }
    int CursorCol() const { return col_; }
    bool CursorShown() const { return cursorShown_; }

  private:
    void Put(char c);
    void Control(char final, const std::string& params);
    void LineFeed();

    int rows_, cols_;
    std::vector<std::string> cells_;
    int row_ = 0, col_ = 0;
    bool cursorShown_ = true;
    enum class State { Text, Escape, Csi } state_ = State::Text;
    std::string params_;
};

}  // namespace pellix::serve::testing
