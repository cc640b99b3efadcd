#include "gui/PlanWindow.h"

#include <QCloseEvent>
#include <QPushButton>

#include "gui/Widgets.h"

namespace pellix::gui {

PlanWindow::PlanWindow() {
    setWindowTitle("Pellix Vantric lab environment diagram");
    resize(Px(8925), Px(5490));

    // The picture is drawn at its natural size from the top-left corner; at
    // the window's first size its right and bottom edges are cut off, and the
    // window grows no bigger than the whole picture.
    picture_ = new PictureBox("network", this);
    picture_->setObjectName("network");
    QSize whole = picture_->PictureSize();
    picture_->setGeometry(QRect(QPoint(0, 0), whole));
    setMaximumSize(whole);

    closeButton_ = new QPushButton("Close", this);
    NameControl(closeButton_, "closeButton", "cmdexit");
    closeButton_->setGeometry(Px(6840), Px(4320), Px(1455), Px(495));
    connect(closeButton_, &QPushButton::clicked, this, &PlanWindow::closeRequested);
}

void PlanWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}

}  // namespace pellix::gui
