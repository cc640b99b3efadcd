// Where the network plan window opens: on the screen, never over the main
// window's input line, and beside the main window where the screen has room.
#pragma once

#include <QRect>
#include <QSize>

namespace pellix::gui {

// screen: the screen's free area; mainFrame: the main window with its frame;
// inputLine: the console's input line; plan: the plan window with its frame.
// All in screen coordinates. Returns the plan's frame: beside the main
// window when it fits there, else wherever it hides the least of the main
// window, made lower when no place leaves the input line free.
QRect PlacePlan(const QRect& screen, const QRect& mainFrame, const QRect& inputLine, QSize plan);

}  // namespace pellix::gui
