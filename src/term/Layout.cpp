#include "term/Layout.h"

#include <locale.h>
#include <wchar.h>

#include <algorithm>
#include <cctype>
#include <limits>

#include "lab/FunctionKeys.h"
#include "lab/Pages.h"

namespace pellix::term {

namespace {

constexpr int kBriefHintCol = static_cast<int>(kCaption.size()) + 2;

// One character of UTF-8 text as the terminal shows it: its bytes, its
// columns, and whether it is shown as it is (else as "?", one column).
struct Glyph {
    std::size_t bytes = 1;
    int columns = 1;
    bool shown = false;
};

// The columns a character takes, from the C library's tables for UTF-8,
// whatever the program's own locale: -1 for a control character.
int ColumnsOf(char32_t character) {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    if (character < 0x80) return character >= 32 && character < 127 ? 1 : -1;
    if (utf8 == locale_t{}) return 1;
    const locale_t before = uselocale(utf8);
    const int columns = wcwidth(static_cast<wchar_t>(character));
    uselocale(before);
    return columns;
}

Glyph GlyphAt(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xc2 && lead <= 0xdf ? 2
                               : lead >= 0xe0 && lead <= 0xef ? 3
                               : lead >= 0xf0 && lead <= 0xf4 ? 4
                                                              : 0;
    if (length == 0 || at + length > text.size()) return {};
    char32_t character = length == 1 ? lead : lead & (0x7f >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xc0) != 0x80) return {};
        character = (character << 6) | (next & 0x3f);
    }
    // Overlong forms and surrogates start no character either.
    if ((length == 3 && character < 0x800) || (length == 4 && character < 0x10000) ||
        (character >= 0xd800 && character <= 0xdfff) || character > 0x10ffff)
        return {};
    const int columns = ColumnsOf(character);
    if (columns < 0) return {length, 1, false};
    return {length, columns, true};
}

// Adds a text at a row and column of the frame, cut at the frame's width.
void Put(Screen& screen, const Frame& frame, int row, int col, std::string_view text, Look look) {
    if (col >= kFrameCols || text.empty()) return;
    screen.texts.push_back(
        {frame.top + row, frame.left + col, FitText(text, kFrameCols - col), look});
}

// An output line: longer than the frame, it goes on into the margin at the
// right, and is cut at the terminal's edge with a marker at the cut.
void PutLine(Screen& screen, const Frame& frame, int row, std::string_view line) {
    if (line.empty()) return;
    const int room = std::max(frame.room, kFrameCols);
    if (TextColumns(line) <= room) {
        screen.texts.push_back({frame.top + row, frame.left, FitText(line, room), Look::Plain});
        return;
    }
    const int kept = room - static_cast<int>(kCutMarker.size());
    const std::string shown = FitText(line, kept);
    screen.texts.push_back({frame.top + row, frame.left, shown, Look::Plain});
    screen.texts.push_back(
        {frame.top + row, frame.left + TextColumns(shown), std::string(kCutMarker), Look::Marker});
}

// The input line scrolls sideways: the cursor and the last characters typed
// stay on the screen, a marker at the left stands for the hidden beginning.
void PutInputLine(Screen& screen, const Frame& frame, std::string_view line) {
    const auto width = static_cast<std::size_t>(kFrameCols);
    int cursorCol = static_cast<int>(line.size());
    if (line.size() < width) {
        Put(screen, frame, kInputRow, 0, line, Look::Plain);
    } else {
        const std::size_t shown = width - kHiddenLeftMarker.size() - 1;  // one cell for the cursor
        Put(screen, frame, kInputRow, 0, kHiddenLeftMarker, Look::Marker);
        Put(screen, frame, kInputRow, static_cast<int>(kHiddenLeftMarker.size()),
            line.substr(line.size() - shown), Look::Plain);
        cursorCol = kFrameCols - 1;
    }
    screen.cursorShown = true;
    screen.cursorRow = frame.top + kInputRow;
    screen.cursorCol = frame.left + cursorCol;
}

}  // namespace

Frame FrameFor(int rows, int cols) {
    Frame frame;
    frame.rows = rows >= kFrameRows ? kFrameRows : kMinRows;
    frame.top = std::max(0, (rows - frame.rows) / 2);
    frame.left = std::max(0, (cols - kFrameCols) / 2);
    frame.room = std::max(kFrameCols, cols - frame.left);
    return frame;
}

std::string FitText(std::string_view text, int width) {
    std::string fitted;
    int used = 0;
    for (std::size_t at = 0; at < text.size();) {
        const Glyph glyph = GlyphAt(text, at);
        if (used + glyph.columns > width) break;
        if (glyph.shown)
            fitted.append(text.substr(at, glyph.bytes));
        else
            fitted += '?';
        used += glyph.columns;
        at += glyph.bytes;
    }
    return fitted;
}

int TextColumns(std::string_view text) {
    int columns = 0;
    for (std::size_t at = 0; at < text.size();) {
        const Glyph glyph = GlyphAt(text, at);
        columns += glyph.columns;
        at += glyph.bytes;
    }
    return columns;
}

std::string TextFrom(std::string_view text, int from) {
    int column = 0;
    std::size_t at = 0;
    while (at < text.size() && column < from) {
        const Glyph glyph = GlyphAt(text, at);
        column += glyph.columns;
        at += glyph.bytes;
    }
    std::string rest = column > from ? " " : "";
    return rest + FitText(text.substr(at), std::numeric_limits<int>::max());
}

std::string AsciiText(std::string_view text) {
    std::string ascii;
    for (std::size_t at = 0; at < text.size();) {
        const Glyph glyph = GlyphAt(text, at);
        if (glyph.shown && glyph.bytes == 1)
            ascii += text[at];
        else
            ascii.append(static_cast<std::size_t>(glyph.columns), '?');
        at += glyph.bytes;
    }
    return ascii;
}

std::string FileUrl(std::string_view host, const std::filesystem::path& file,
                    std::string_view fragment) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://" + std::string(host);
    for (const char c : file.string()) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 && byte < 0x80)
            url += c;
        else if (c == '-' || c == '.' || c == '_' || c == '~' || c == '/')
            url += c;
        else
            url += {'%', kHex[byte >> 4], kHex[byte & 0xf]};
    }
    if (!fragment.empty()) url += "#" + std::string(fragment);
    return url;
}

bool Fits(int rows, int cols) {
    return rows >= kMinRows && cols >= kMinCols;
}

Screen ConsoleScreen(const Snapshot& snap, const ConsoleView& view, int rows, int cols) {
    Screen screen;
    if (!Fits(rows, cols)) return TooSmallScreen(rows, cols);
    const Frame frame = FrameFor(rows, cols);
    const bool hintRow = frame.rows > kHintRow;

    const int scrollBackSize = view.scrollBack ? static_cast<int>(view.scrollBack->size()) : 0;
    const int scrolled = std::clamp(view.scrolledBack, 0, scrollBackSize);
    std::string status = view.notice;
    if (status.empty() && scrolled > 0) status = lab::ScrolledNotice(scrolled);

    // The score label sits above the console's right end, clear of the caption.
    const int labelCol = std::max(static_cast<int>(kCaption.size()) + 1,
                                  kFrameCols - static_cast<int>(snap.label.size()));
    if (!hintRow && !status.empty()) {
        Put(screen, frame, kLabelRow, 0, FitText(status, labelCol - 1), Look::Notice);
    } else {
        Put(screen, frame, kLabelRow, 0, kCaption, Look::Caption);
        // Without a hint row the keys are named beside the caption.
        const int room = labelCol - 1 - kBriefHintCol;
        for (const std::string& brief : view.briefHints) {
            if (hintRow || static_cast<int>(brief.size()) > room) continue;
            Put(screen, frame, kLabelRow, kBriefHintCol, brief, Look::Hint);
            break;
        }
    }
    Put(screen, frame, kLabelRow, labelCol, snap.label, Look::Label);

    for (int k = 0; k < kConsoleLines; ++k) {
        // Scrolled back, the view's lines run through the kept lines into the
        // console's own.
        const int at = scrollBackSize - scrolled + k;
        const std::string& line = at < scrollBackSize
                                      ? (*view.scrollBack)[static_cast<std::size_t>(at)]
                                      : snap.lines[static_cast<std::size_t>(at - scrollBackSize)];
        if (scrolled == 0 && view.shifted == 0 && k == InputLine)
            PutInputLine(screen, frame, line);
        else if (view.shifted > 0)
            PutLine(screen, frame, kFirstConsoleRow + k, TextFrom(line, view.shifted));
        else
            PutLine(screen, frame, kFirstConsoleRow + k, line);
    }

    // The strip shows its first note only, on a band as wide as the console.
    std::string strip =
        snap.strip.empty() ? std::string() : FitText(snap.strip.front(), kFrameCols);
    strip.resize(static_cast<std::size_t>(kFrameCols), ' ');
    Put(screen, frame, kStripRow, 0, strip, Look::Strip);

    if (hintRow) {
        if (!status.empty())
            Put(screen, frame, kHintRow, 0, status, Look::Notice);
        else
            Put(screen, frame, kHintRow, 0, view.hint, Look::Hint);
    }
    return screen;
}

int PageRowsShown(int rows) {
    return FrameFor(rows, kFrameCols).rows - 2;  // the caption above, the hint below
}

Screen PageScreen(const Page& page, int top, int rows, int cols, std::string_view notice) {
    if (!Fits(rows, cols)) return TooSmallScreen(rows, cols);
    Screen screen;
    const Frame frame = FrameFor(rows, cols);
    Put(screen, frame, 0, 0, page.caption, Look::Caption);
    const int shown = PageRowsShown(rows);
    for (int k = 0; k < shown; ++k) {
        const auto at = static_cast<std::size_t>(top + k);
        if (top + k < 0 || at >= page.rows.size()) continue;
        const auto link = std::find_if(page.links.begin(), page.links.end(),
                                       [at](const lab::PageLink& l) { return l.row == at; });
        if (link == page.links.end()) {
            PutLine(screen, frame, 1 + k, page.rows[at]);
            continue;
        }
        // The file named, apart from the blanks before it, with its URL.
        const std::string_view row = page.rows[at];
        const std::size_t column = std::min(link->column, row.size());
        PutLine(screen, frame, 1 + k, row.substr(0, column));
        screen.texts.push_back({frame.top + 1 + k, frame.left + static_cast<int>(column),
                                FitText(row.substr(column), frame.room - static_cast<int>(column)),
                                Look::Plain, FileUrl("", link->file, link->fragment)});
    }
    if (notice.empty())
        Put(screen, frame, frame.rows - 1, 0, page.hint, Look::Hint);
    else
        Put(screen, frame, frame.rows - 1, 0, notice, Look::Notice);
    return screen;
}

Screen TooSmallScreen(int rows, int cols) {
    Screen screen;
    if (rows <= 0 || cols <= 0) return screen;
    auto put = [&](int row, const std::string& text, Look look) {
        screen.texts.push_back({row, 0, FitText(text, cols), look});
    };
    put(0, "Terminal too small: need " + std::to_string(kMinCols) + "x" + std::to_string(kMinRows),
        Look::Notice);
    if (rows > 1)
        put(1,
            "now " + std::to_string(cols) + "x" + std::to_string(rows) +
                "; enlarge it, or press F10 to finish",
            Look::Plain);
    return screen;
}

Screen Draw(const lab::Console& console, int rows, int cols, std::string_view keyNotice) {
    const Sim& sim = console.Router();
    const std::string notice = keyNotice.empty() ? console.Notice() : std::string(keyNotice);
    if (sim.PlanShown()) return PageScreen(lab::NetworkPlanPage(), 0, rows, cols, notice);
    if (const Page* page = console.ShownPage())
        return PageScreen(*page, console.PageTop(), rows, cols, notice);
    ConsoleView view;
    view.scrollBack = &sim.ScrollBack();
    view.scrolledBack = console.ScrolledBack();
    view.shifted = console.ShiftedRight();
    view.notice = notice;
    if (view.notice.empty()) view.notice = console.CoachNotice(kFrameCols);
    view.hint = lab::KeyHint(console.FunctionKeys());
    view.briefHints = {lab::BriefKeyHint(console.FunctionKeys(), true),
                       lab::BriefKeyHint(console.FunctionKeys(), false)};
    return ConsoleScreen(sim.Snap(), view, rows, cols);
}

void FitConsole(lab::Console& console, int rows, int cols) {
    console.SetRoom(PageRowsShown(rows), Fits(rows, cols));
}

}  // namespace pellix::term
