#include "gui/FrmStart.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <utility>

#include "gui/FrmSim.h"
#include "gui/Widgets.h"

namespace pellix::gui {

frmstart::frmstart(std::filesystem::path folder) : folder_(std::move(folder)) {
    setWindowTitle("Pellix Vantric Practice Lab");
    setFixedSize(Px(9495), Px(6450));

    auto* picture = new PictureBox("splash", this);
    picture->setObjectName("Picture1");
    picture->setGeometry(Px(120), Px(120), Px(9255), Px(4215));

    auto* name = new QLabel("Pellix", this);
    name->setObjectName("Label1");
    name->setGeometry(Px(3480), Px(4440), Px(2415), Px(735));
    name->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    name->setFont(ProductFont(24));
    QPalette navy = name->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    name->setPalette(navy);

    auto* line = new QLabel("Router console simulator and practice lab for the Vantric exam", this);
    line->setObjectName("Label2");
    line->setGeometry(Px(120), Px(5280), Px(9255), Px(255));
    line->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    Command1_ = new QPushButton("Start", this);
    Command1_->setObjectName("Command1");
    Command1_->setGeometry(Px(3840), Px(5760), Px(1695), Px(495));
    Command1_->setFont(SansFont(12, true));
    connect(Command1_, &QPushButton::clicked, this, &frmstart::Command1_Click);
    // The keyboard reaches "Start": it has the focus, and Enter presses it as
    // Space does.
    Command1_->setAutoDefault(true);
    Command1_->setFocus();

    Form_Load();
}

frmstart::~frmstart() = default;

// Centres the window on the screen.
void frmstart::Form_Load() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect window(QPoint(0, 0), size());
    window.moveCenter(screen->geometry().center());
    setGeometry(window);
}

void frmstart::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            Command1_Click();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

// Hides the splash and shows the main window, loading it the first time.
void frmstart::Command1_Click() {
    hide();
    if (!main_) {
        main_ = std::make_unique<FrmSim>(folder_);
        connect(main_.get(), &FrmSim::finished, this, &frmstart::finished);
    }
    main_->show();
}

}  // namespace pellix::gui
