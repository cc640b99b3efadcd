// The network plan window: the exercise network's picture with a "Close"
// button over it. It holds no state of the router: "Close" and the window's
// close box only ask the main window to hide it.
#pragma once

#include <QFont>
#include <QWidget>

class QPushButton;

namespace pellix::gui {

class PictureBox;

class PlanWindow : public QWidget {
    Q_OBJECT
  public:
    PlanWindow();
    QPushButton* CloseButton() const { return closeButton_; }
    PictureBox* Picture() const { return picture_; }
    // The main window's zoom, which the plan follows.
    void SetScale(double scale);
    double Scale() const { return scale_; }

  signals:
    // "Close" or the close box: the main window hides the plan.
    void closeRequested();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Layout();

    PictureBox* picture_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QFont closeFont_;
    double scale_ = 1.0;
};

}  // namespace pellix::gui
