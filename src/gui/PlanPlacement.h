// Where the network plan window opens: on the screen, never over the main
// window's input line, and beside the main window where the screen has room.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace pellix::gui {

// screen: the screen's free area; mainFrame: the main window with its frame;
// inputLine: the console's input line; score: the score label; plan: the
// plan window with its frame. All in screen coordinates. Returns the plan's
// frame: beside the main window when it fits there, else wherever it hides
// the least of the main window and leaves the score in view where it can,
// made lower when no place leaves the input line free.
QRect PlacePlan(const QRect& screen, const QRect& mainFrame, const QRect& inputLine,
                const QRect& score, QSize plan);

// The rectangle moved (not resized) to lie inside the area where it can; one
// larger than the area keeps its top-left corner on it, so that a window's
// title bar stays within reach.
QRect KeepInside(QRect rect, const QRect& area);

// A window's size bounded so that, with its frame, it fits the area; never
// below the window's minimum.
QSize SizeWithin(QSize wanted, QSize frame, const QRect& area, QSize minimum);

// What a window's frame adds to its size: the window manager's frame once
// the window is shown, else the style's title bar and borders.
QSize FrameAllowance(const QWidget& window);

}  // namespace pellix::gui
