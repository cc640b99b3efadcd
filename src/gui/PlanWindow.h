// The network plan window: the exercise network's picture with a "Close"
// button over it. It holds no state of the router: "Close" and the window's
// close box only ask the main window to hide it.
#pragma once

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

  signals:
    // "Close" or the close box: the main window hides the plan.
    void closeRequested();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    PictureBox* picture_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

}  // namespace pellix::gui
