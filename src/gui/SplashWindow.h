// The splash window: the splash picture, the product name, one line about
// the lab, and "Start", which opens the main window.
#pragma once

#include <QWidget>
#include <filesystem>
#include <memory>

class QKeyEvent;
class QPushButton;

namespace pellix::gui {

class MainWindow;

class SplashWindow : public QWidget {
    Q_OBJECT
  public:
    // The main window will work on the files in folder.
    explicit SplashWindow(std::filesystem::path folder);
    ~SplashWindow() override;

    QPushButton* StartButton() const { return startButton_; }
    // The main window, once "Start" has loaded it.
    MainWindow* Main() const { return main_.get(); }
    // Whether the main window starts with the coach's hints on.
    void SetHints(bool on) { hints_ = on; }

  public slots:
    void StartPressed();

  signals:
    // The main window has ended the program.
    void finished();

  protected:
    // Enter and Space press "Start".
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void CentreOnScreen();

    std::filesystem::path folder_;
    QPushButton* startButton_ = nullptr;
    std::unique_ptr<MainWindow> main_;
    bool hints_ = true;
};

}  // namespace pellix::gui
