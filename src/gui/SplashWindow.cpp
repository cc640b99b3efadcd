#include "gui/SplashWindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "gui/MainWindow.h"
#include "gui/PlanPlacement.h"
#include "gui/Scaling.h"
#include "gui/Widgets.h"

namespace pellix::gui {

namespace {

// The splash at its own size, and the factor that makes it fit a screen too
// small for it (a small laptop at 200%), no smaller than half.
constexpr QSize kSplashSize(Px(9495), Px(6450));

double SplashFit(const QWidget& window) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return 1.0;
    QSize room = screen->availableGeometry().size() - FrameAllowance(window);
    double fit = std::min(static_cast<double>(room.width()) / kSplashSize.width(),
                          static_cast<double>(room.height()) / kSplashSize.height());
    return std::clamp(fit, kSmallestScale, 1.0);
}

}  // namespace

SplashWindow::SplashWindow(std::filesystem::path folder) : folder_(std::move(folder)) {
    setWindowTitle("Pellix Vantric Practice Lab");
    const double fit = SplashFit(*this);
    auto at = [fit](int left, int top, int width, int height) {
        return ScaleRect(QRect(Px(left), Px(top), Px(width), Px(height)), fit);
    };
    setFixedSize(ScaleRect(QRect(QPoint(0, 0), kSplashSize), fit).size());

    auto* picture = new PictureBox("splash", this);
    NameControl(picture, "splashPicture", "Picture1");
    picture->setGeometry(at(120, 120, 9255, 4215));
    picture->SetScale(fit);

    auto* name = new QLabel("Pellix", this);
    NameControl(name, "productName", "Label1");
    name->setGeometry(at(3480, 4440, 2415, 735));
    name->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    name->setFont(ScaleFont(ProductFont(24), fit));
    QPalette navy = name->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    name->setPalette(navy);

    auto* line = new QLabel("Router console simulator and practice lab for the Vantric exam", this);
    NameControl(line, "splashLine", "Label2");
    line->setGeometry(at(120, 5280, 9255, 255));
    line->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    line->setFont(ScaleFont(line->font(), fit));

    startButton_ = new QPushButton("Start", this);
    NameControl(startButton_, "startButton", "Command1");
    startButton_->setGeometry(at(3840, 5760, 1695, 495));
    startButton_->setFont(ScaleFont(SansFont(12, true), fit));
    connect(startButton_, &QPushButton::clicked, this, &SplashWindow::StartPressed);
    // The keyboard reaches "Start": it has the focus, and Enter presses it as
    // Space does.
    startButton_->setAutoDefault(true);
    startButton_->setFocus();

    CentreOnScreen();
}

SplashWindow::~SplashWindow() = default;

// Centres the window on the screen's free area, its title bar within it.
void SplashWindow::CentreOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect window(QPoint(0, 0), size());
    window.moveCenter(screen->availableGeometry().center());
    QSize frame = FrameAllowance(*this);
    int side = frame.width() / 2;
    QRect framed = window.adjusted(-side, side - frame.height(), side, side);
    window.translate(KeepInside(framed, screen->availableGeometry()).topLeft() - framed.topLeft());
    setGeometry(window);
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            StartPressed();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

// Hides the splash and shows the main window, loading it the first time.
void SplashWindow::StartPressed() {
    hide();
    if (!main_) {
        main_ = std::make_unique<MainWindow>(folder_);
        main_->SetHints(hints_);
        connect(main_.get(), &MainWindow::finished, this, &SplashWindow::finished);
    }
    main_->show();
}

}  // namespace pellix::gui
