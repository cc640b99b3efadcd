#include "gui/PlanWindow.h"

#include <QCloseEvent>
#include <QPushButton>

#include "gui/Scaling.h"
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
    picture_->setAccessibleName("Network plan");
    picture_->setAccessibleDescription(
        "The lab network: Router1 172.10.0.1 on Ethernet to Switch1 with HostA 172.10.55.20 "
        "and ServerA 172.10.0.10 (TFTP server); Router1 210.16.54.1 on a 56K serial link to "
        "Router2 210.16.54.2; Router2 192.168.50.1 to a Token Ring with ServerX 192.168.50.8 "
        "and 192.168.10.1 to HostZ 192.168.10.20");
    closeButton_ = new QPushButton("Close", this);
    NameControl(closeButton_, "closeButton", "cmdexit");
    closeFont_ = closeButton_->font();
    connect(closeButton_, &QPushButton::clicked, this, &PlanWindow::closeRequested);
    Layout();
}

// The window at the main window's zoom: its first size, the picture and the
// button scaled as one, and room to grow to the whole picture.
void PlanWindow::SetScale(double scale) {
    if (scale == scale_) return;
    scale_ = scale;
    Layout();
    resize(ScaleRect(QRect(0, 0, Px(8925), Px(5490)), scale).size());
}

void PlanWindow::Layout() {
    const QSize whole = ScaleRect(QRect(QPoint(0, 0), picture_->PictureSize()), scale_).size();
    picture_->SetScale(scale_);
    picture_->setGeometry(QRect(QPoint(0, 0), whole));
    setMaximumSize(whole);
    closeButton_->setGeometry(ScaleRect(QRect(Px(6840), Px(4320), Px(1455), Px(495)), scale_));
    closeButton_->setFont(ScaleFont(closeFont_, scale_));
}

void PlanWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}

}  // namespace pellix::gui
