// The main window's fixed layout at any size: every control keeps its place
// in the original proportions, scaled as one and centred in the window.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QStringList>

namespace pellix::gui {

// The main window's client area at scale 1.
inline constexpr QSize kMainWindowSize(626, 424);

// The smallest scale of the layout: a screen smaller than the window at
// scale 1 (a small laptop at 200%) still shows the whole window.
inline constexpr double kSmallestScale = 0.5;

// The main window's smallest size.
inline constexpr QSize kSmallestWindowSize(313, 212);

// The largest scale at which the layout fits the window (never below the
// smallest scale).
double FitScale(QSize window);

// A control's place at the given scale: each edge is scaled and rounded on
// its own, so controls that touch at scale 1 still touch.
QRect ScaleRect(const QRect& base, double scale);

// The font at the given scale (pixel or point size, whichever it has).
QFont ScaleFont(QFont font, double scale);

// The font made smaller, if need be, until every text fits the box.
QFont FitFont(QFont font, const QStringList& texts, QSize box);

// The zoom steps of Ctrl+= and Ctrl+-: the next scale up (direction > 0)
// or down from the current one, or the current one when there is none.
double NextZoom(double scale, int direction);

}  // namespace pellix::gui
