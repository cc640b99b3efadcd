// The terminal console's screen as a pure function of what it shows and the
// terminal's size: which texts go where, in which look, and where the cursor
// sits. Drawing them is the terminal loop's only job.
#pragma once

#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "console/Sim.h"
#include "lab/Console.h"
#include "lab/Page.h"

namespace pellix::term {

using lab::Page;
using lab::WrapText;

// The console keeps to a frame of 80 columns, centred in a larger terminal.
// Row 0: the caption and the score label at the right; rows 1 to 21: the
// console lines; row 22: the status strip; row 23: the key hint, when the
// terminal has a 24th row.
inline constexpr int kLabelRow = 0;
inline constexpr int kFirstConsoleRow = 1;
inline constexpr int kInputRow = kFirstConsoleRow + InputLine;
inline constexpr int kStripRow = kFirstConsoleRow + kConsoleLines;
inline constexpr int kHintRow = kStripRow + 1;

// The smallest terminal the console and the network plan fit in: the welcome
// text needs 73 columns, the plan 80; the hint row is left out at 23 rows.
inline constexpr int kMinRows = kStripRow + 1;
inline constexpr int kMinCols = lab::kConsoleColumns;
inline constexpr int kFrameRows = kHintRow + 1;
inline constexpr int kFrameCols = kMinCols;

inline constexpr std::string_view kCaption = "Vantric Sim";
// Where text goes on: left of the input line's visible part, or past the cut
// of an output line.
inline constexpr std::string_view kHiddenLeftMarker = "<";
inline constexpr std::string_view kCutMarker = ">";

enum class Look { Plain, Caption, Label, Strip, Hint, Notice, Marker };

// One text to draw at a row and column.
struct Text {
    int row = 0;
    int col = 0;
    std::string text;
    Look look = Look::Plain;
    // The file the text names, as a file:// URL, for a terminal that shows
    // hyperlinks (see FileUrl); "" for most.
    std::string link;
    bool operator==(const Text&) const = default;
};

struct Screen {
    std::vector<Text> texts;
    bool cursorShown = false;
    int cursorRow = 0;
    int cursorCol = 0;
};

// What the console screen shows besides the router's snapshot.
struct ConsoleView {
    // Lines that left the top of the console, oldest first, and how many
    // lines up from the live screen the view stands (0: live).
    const std::deque<std::string>* scrollBack = nullptr;
    int scrolledBack = 0;
    // How many columns the view is moved sideways (Left, Right), for lines
    // longer than the terminal shows.
    int shifted = 0;
    // A one-line notice of the terminal front end (Ctrl-C, a file problem),
    // or "": shown instead of the key hint, or of the caption at 23 rows.
    std::string notice;
    // The key hint for the hint row.
    std::string hint;
    // Shorter forms of it, longest first, for the caption's row when the
    // terminal has no hint row.
    std::vector<std::string> briefHints;
};

// Where the frame stands in the terminal.
struct Frame {
    int top = 0;
    int left = 0;
    int rows = 0;  // kFrameRows, or kMinRows when there is no room for the hint
    // Columns from the frame's left to the terminal's right edge: a line
    // longer than the frame goes on into the margin as far as this.
    int room = kFrameCols;
};

Frame FrameFor(int rows, int cols);

// The text as it can be drawn in `width` columns: UTF-8 text, each character
// taking its columns (two for a wide one), cut there, never wrapped; a
// control character (a stray one from a file could move the terminal's
// cursor) or a byte that starts no character is shown as "?".
std::string FitText(std::string_view text, int width);
// How many columns the text takes as FitText shows it.
int TextColumns(std::string_view text);
// The part of the text from column `from` on, as FitText shows it (a wide
// character cut in two is a blank).
std::string TextFrom(std::string_view text, int from);
// The text for a terminal that shows ASCII only: each character beyond it
// as "?" ("??" for a wide one), so that the columns stay as laid out.
std::string AsciiText(std::string_view text);

bool Fits(int rows, int cols);

// The file:// URL of a file on `host` ("" for none), its path percent-encoded
// (every byte but letters, digits, "-._~" and "/"), and the place in it.
std::string FileUrl(std::string_view host, const std::filesystem::path& file,
                    std::string_view fragment);

// The console lines, the score label, the strip and the hint row.
Screen ConsoleScreen(const Snapshot& snap, const ConsoleView& view, int rows, int cols);
// A page over the console, from row `top` of the page on; a notice, when
// there is one, stands in the hint's place.
Screen PageScreen(const Page& page, int top, int rows, int cols, std::string_view notice = {});
// How many rows of a page the terminal shows at once.
int PageRowsShown(int rows);
Screen TooSmallScreen(int rows, int cols);

// The lab console as the terminal shows it: the console screen, a page over
// it, or the notice that the terminal is too small. A notice of the key
// decoder's (a lone Escape waiting for its digit) goes before the console's.
Screen Draw(const lab::Console& console, int rows, int cols, std::string_view keyNotice = {});
// Tells the lab console how much of a page the terminal shows and whether
// the console fits.
void FitConsole(lab::Console& console, int rows, int cols);

}  // namespace pellix::term
