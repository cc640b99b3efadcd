#include "gui/PlanPlacement.h"

#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace pellix::gui {

namespace {

// The lowest the plan is made to keep the score in view.
constexpr int kLowestPlan = 150;

long Area(const QRect& rect) {
    return rect.isEmpty() ? 0 : static_cast<long>(rect.width()) * rect.height();
}

}  // namespace

QRect KeepInside(QRect rect, const QRect& area) {
    rect.moveLeft(std::max(area.left(), std::min(rect.left(), area.right() - rect.width() + 1)));
    rect.moveTop(std::max(area.top(), std::min(rect.top(), area.bottom() - rect.height() + 1)));
    return rect;
}

QSize SizeWithin(QSize wanted, QSize frame, const QRect& area, QSize minimum) {
    return wanted.boundedTo(area.size() - frame).expandedTo(minimum);
}

QSize FrameAllowance(const QWidget& window) {
    QSize frame = window.frameGeometry().size() - window.size();
    if (window.isVisible() && !frame.isNull()) return frame;
    const QStyle* style = window.style();
    int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return {2 * border, title + 2 * border};
}

QRect PlacePlan(const QRect& screen, const QRect& mainFrame, const QRect& inputLine,
                const QRect& score, QSize plan) {
    plan = plan.boundedTo(screen.size());
    const QRect& m = mainFrame;
    int w = plan.width(), h = plan.height();
    // In order of preference: beside, under and over the main window, the
    // screen's corners, then just under or over the input line.
    std::vector<QPoint> tries = {
        {m.right() + 1, m.top()},
        {m.left() - w, m.top()},
        {m.left(), m.bottom() + 1},
        {m.left(), m.top() - h},
        {screen.right() - w + 1, screen.bottom() - h + 1},
        {screen.left(), screen.bottom() - h + 1},
        {screen.right() - w + 1, screen.top()},
        {screen.left(), screen.top()},
        {m.left(), inputLine.bottom() + 1},
        {m.right() - w + 1, inputLine.bottom() + 1},
        {m.left(), inputLine.top() - h},
        {m.right() - w + 1, inputLine.top() - h},
    };
    // Hiding the score counts as hiding the whole main window.
    auto hides = [&](const QRect& place) {
        return Area(place.intersected(m)) + (place.intersects(score) ? Area(m) : 0);
    };
    QRect best;
    long bestCover = -1;
    for (QPoint at : tries) {
        QRect place = KeepInside(QRect(at, plan), screen);
        if (place.intersects(inputLine)) continue;
        long cover = hides(place);
        if (bestCover < 0 || cover < bestCover) {
            best = place;
            bestCover = cover;
        }
    }
    if (bestCover >= 0) return best;

    // No place is free of the input line: the plan becomes lower, over the
    // larger of the screen's parts above and below the input line, or the
    // other one where the larger hides the score and the other has room.
    int below = screen.bottom() - inputLine.bottom();
    int above = inputLine.top() - screen.top();
    auto part = [&](bool under) {
        QRect place(QPoint(m.left(), 0), QSize(w, std::min(h, under ? below : above)));
        place.moveTop(under ? inputLine.bottom() + 1 : inputLine.top() - place.height());
        place.moveLeft(std::max(screen.left(), std::min(place.left(), screen.right() - w + 1)));
        return place;
    };
    QRect larger = part(below >= above);
    QRect other = part(below < above);
    if (larger.intersects(score) && !other.intersects(score) && other.height() >= kLowestPlan)
        return other;
    return larger;
}

}  // namespace pellix::gui
