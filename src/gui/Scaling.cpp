#include "gui/Scaling.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <algorithm>
#include <array>
#include <cmath>

namespace pellix::gui {

static_assert(kSmallestWindowSize.width() * 2 == kMainWindowSize.width() &&
              kSmallestWindowSize.height() * 2 == kMainWindowSize.height());

namespace {

constexpr std::array kZoomSteps{0.5, 0.625, 0.75, 0.875, 1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 4.0};
// Scales this close count as equal (a window size rounds to whole pixels).
constexpr double kSameScale = 0.01;

int ScaleEdge(int edge, double scale) {
    return static_cast<int>(std::lround(edge * scale));
}

}  // namespace

double FitScale(QSize window) {
    double across = static_cast<double>(window.width()) / kMainWindowSize.width();
    double down = static_cast<double>(window.height()) / kMainWindowSize.height();
    return std::max(kSmallestScale, std::min(across, down));
}

QRect ScaleRect(const QRect& base, double scale) {
    int left = ScaleEdge(base.x(), scale);
    int top = ScaleEdge(base.y(), scale);
    int right = ScaleEdge(base.x() + base.width(), scale);
    int bottom = ScaleEdge(base.y() + base.height(), scale);
    return QRect(left, top, right - left, bottom - top);
}

QFont ScaleFont(QFont font, double scale) {
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, ScaleEdge(font.pixelSize(), scale)));
    else
        font.setPointSizeF(font.pointSizeF() * scale);
    return font;
}

QFont FitFont(QFont font, const QStringList& texts, QSize box) {
    auto fits = [&] {
        QFontMetrics metrics(font);
        if (metrics.height() > box.height()) return false;
        for (const QString& text : texts)
            if (metrics.horizontalAdvance(text) > box.width()) return false;
        return true;
    };
    if (font.pixelSize() <= 0) font.setPixelSize(std::max(1, QFontInfo(font).pixelSize()));
    while (font.pixelSize() > 6 && !fits()) font.setPixelSize(font.pixelSize() - 1);
    return font;
}

double NextZoom(double scale, int direction) {
    if (direction > 0) {
        for (double step : kZoomSteps)
            if (step > scale + kSameScale) return step;
    } else {
        for (auto step = kZoomSteps.rbegin(); step != kZoomSteps.rend(); ++step)
            if (*step < scale - kSameScale) return *step;
    }
    return scale;
}

}  // namespace pellix::gui
