// The main window's size and zoom: the fixed layout scaled as one to any
// window size, the zoom keys, and the size remembered between runs.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <cmath>

#include "gui/MainWindow.h"
#include "gui/PlanPlacement.h"
#include "gui/PlanWindow.h"
#include "gui/Scaling.h"
#include "gui/Widgets.h"
#include "scoring/TaskTable.h"

namespace pellix::gui {

namespace {

// Where the window's size is remembered: $XDG_CONFIG_HOME/pellix/pellix.conf.
constexpr const char* kSizeKey = "MainWindow/size";
constexpr const char* kMaximizedKey = "MainWindow/maximized";

QSettings::Format SettingsFormat() {
    return QSettings::NativeFormat;
}

// Every caption the score label can show.
QStringList ScoreCaptions() {
    QStringList captions{"OK"};
    for (int score = 0; score <= kTaskCount; ++score) captions << FromRouter(ScoreCaption(score));
    return captions;
}

}  // namespace

void MainWindow::Place(QWidget* widget, const QRect& base) {
    widget->setGeometry(base);
    placed_.push_back({widget, base, widget->font()});
}

// Scales every control of the layout to the largest size that the window
// holds and centres the whole.
void MainWindow::ApplyScale() {
    scaledFor_ = size();
    scale_ = FitScale(size());
    QSize used(static_cast<int>(std::lround(kMainWindowSize.width() * scale_)),
               static_cast<int>(std::lround(kMainWindowSize.height() * scale_)));
    QPoint origin((width() - used.width()) / 2, (height() - used.height()) / 2);
    for (const Placed& placed : placed_) {
        QRect at = ScaleRect(placed.base, scale_);
        if (placed.widget->parentWidget() == this) at.translate(origin);
        placed.widget->setGeometry(at);
        placed.widget->setFont(ScaleFont(placed.font, scale_));
    }
    int lineHeight = lines_[0]->height();
    for (ConsoleLine* line : lines_) lineHeight = std::min(lineHeight, line->height());
    QFont console = ConsoleFont(scale_, lineHeight);
    for (ConsoleLine* line : lines_) line->setFont(console);
    // Every score fits the label whole, whatever font stands in for the
    // label's.
    scoreLabel_->setFont(
        FitFont(scoreLabel_->font(), ScoreCaptions(), scoreLabel_->contentsRect().size()));
    scrollMarker_->setFont(ScaleFont(QApplication::font(), scale_));
    if (plan_) {
        plan_->SetScale(scale_);
        if (plan_->isVisible()) PlacePlanWindow();
    }
    // A style whose buttons need more room than the layout gives (a desktop
    // theme, a large font) widens them towards the middle: their words whole
    // inside the button's frame.
    for (QPushButton* button : {finishButton_, planButton_}) {
        QRect at = button->geometry();
        int need = ButtonWidthForText(*button) - at.width();
        if (need <= 0) continue;
        if (button == finishButton_)
            at.setRight(at.right() + need);
        else
            at.setLeft(at.left() - need);
        button->setGeometry(at);
    }
    Redraw();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The layout depends on the size alone: the resize a first show sends
    // for the size the window was laid out at changes nothing.
    if (lines_[kConsoleLines - 1] && size() != scaledFor_) ApplyScale();
}

// Ctrl+= and Ctrl+- make the window a zoom step larger or smaller, as far
// as the screen allows; Ctrl+0 (direction 0) returns to the first size.
void MainWindow::Zoom(int direction) {
    double target = direction == 0 ? 1.0 : NextZoom(scale_, direction);
    QSize size(static_cast<int>(std::lround(kMainWindowSize.width() * target)),
               static_cast<int>(std::lround(kMainWindowSize.height() * target)));
    if (QScreen* screen = this->screen())
        size = SizeWithin(size, FrameAllowance(*this), screen->availableGeometry(), minimumSize());
    if (isMaximized() || isFullScreen()) showNormal();
    resize(size.expandedTo(minimumSize()));
    KeepOnScreen();
}

void MainWindow::RestoreSize() {
    QSettings settings(SettingsFormat(), QSettings::UserScope, "pellix", "pellix");
    // The first size, and a size kept from a larger screen, fit this one with
    // the window's frame.
    QSize size = settings.value(kSizeKey, kMainWindowSize).toSize();
    if (QScreen* screen = this->screen())
        size = SizeWithin(size, FrameAllowance(*this), screen->availableGeometry(), minimumSize());
    resize(size.expandedTo(minimumSize()));
    if (settings.value(kMaximizedKey, false).toBool())
        setWindowState(windowState() | Qt::WindowMaximized);
}

// Moves the window, with its frame, inside the screen's free area where it
// stands partly outside it.
void MainWindow::KeepOnScreen() {
    QScreen* screen = this->screen();
    if (!screen || isMaximized() || isFullScreen()) return;
    QRect frame(frameGeometry().topLeft(), size() + FrameAllowance(*this));
    QRect inside = KeepInside(frame, screen->availableGeometry());
    if (inside.topLeft() != frame.topLeft()) move(inside.topLeft());
}

void MainWindow::SaveSize() {
    QSettings settings(SettingsFormat(), QSettings::UserScope, "pellix", "pellix");
    bool maximized = isMaximized() || isFullScreen();
    QSize size = maximized ? normalGeometry().size() : this->size();
    if (size.isValid()) settings.setValue(kSizeKey, size);
    settings.setValue(kMaximizedKey, maximized);
}

}  // namespace pellix::gui
