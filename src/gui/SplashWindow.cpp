#include "gui/SplashWindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <utility>

#include "gui/MainWindow.h"
#include "gui/Widgets.h"

namespace pellix::gui {

SplashWindow::SplashWindow(std::filesystem::path folder) : folder_(std::move(folder)) {
    setWindowTitle("Pellix Vantric Practice Lab");
    setFixedSize(Px(9495), Px(6450));

    auto* picture = new PictureBox("splash", this);
    NameControl(picture, "splashPicture", "Picture1");
    picture->setGeometry(Px(120), Px(120), Px(9255), Px(4215));

    auto* name = new QLabel("Pellix", this);
    NameControl(name, "productName", "Label1");
    name->setGeometry(Px(3480), Px(4440), Px(2415), Px(735));
    name->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    name->setFont(ProductFont(24));
    QPalette navy = name->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    name->setPalette(navy);

    auto* line = new QLabel("Router console simulator and practice lab for the Vantric exam", this);
    NameControl(line, "splashLine", "Label2");
    line->setGeometry(Px(120), Px(5280), Px(9255), Px(255));
    line->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    startButton_ = new QPushButton("Start", this);
    NameControl(startButton_, "startButton", "Command1");
    startButton_->setGeometry(Px(3840), Px(5760), Px(1695), Px(495));
    startButton_->setFont(SansFont(12, true));
    connect(startButton_, &QPushButton::clicked, this, &SplashWindow::StartPressed);
    // The keyboard reaches "Start": it has the focus, and Enter presses it as
    // Space does.
    startButton_->setAutoDefault(true);
    startButton_->setFocus();

    CentreOnScreen();
}

SplashWindow::~SplashWindow() = default;

// Centres the window on the screen.
void SplashWindow::CentreOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect window(QPoint(0, 0), size());
    window.moveCenter(screen->geometry().center());
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
