// The console as a line-oriented log, for `pellix-term --plain` (and a
// terminal that cannot move its cursor): each line the router writes comes
// once, the input line as it is typed (erased characters as backspaces), a
// page (lesson, plan, progress) as plain text when it opens, and the status
// strip, the score label and the notices on lines of their own when they
// change. Nothing moves the cursor but a backspace and a line end, so a
// screen reader, a braille display, `script` or a slow serial link can follow
// it. A pure function of the lab console's state: the terminal writes what it
// returns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lab/Console.h"

namespace pellix::term {

// How the log marks what is not a router line.
inline constexpr std::string_view kPlainStatus = "Status: ";
inline constexpr std::string_view kPlainHint = "Hint: ";
inline constexpr std::string_view kPlainPageEnd = "-- ";

class PlainLog {
  public:
    explicit PlainLog(const lab::Console& console);

    // The start: a line naming the program and its keys, then the welcome
    // screen's lines (runs of blank lines as one) and the prompt.
    std::string Start();
    // What changed since the last call, as text to write; `keyNotice` is the
    // key decoder's (a lone Escape waiting for its digit).
    std::string Update(std::string_view keyNotice = {});
    // The end: the line left open is closed.
    std::string End();

  private:
    enum class Shown { Console, Plan, Lesson, Progress };
    Shown ShownNow() const;
    void NewLines(std::string& out);
    void OwnLine(std::string& out, std::string_view text);
    void Retype(std::string& out, const std::string& now);
    void Page(std::string& out);
    void Notes(std::string& out, std::string_view keyNotice, bool commandRan);

    const lab::Console& console_;
    std::uint64_t scrolled_ = 0;    // the router's lines written so far
    std::string typed_;             // the text on the log's current line
    Shown shown_ = Shown::Console;  // what the log showed last
    std::vector<std::string> strip_;
    std::string label_;
    std::string notice_;
    std::string hint_;
};

// The text with every control character (a stray one from a file could move
// the cursor) shown as "?"; other characters, UTF-8 included, as they are.
std::string LogText(std::string_view text);

}  // namespace pellix::term
