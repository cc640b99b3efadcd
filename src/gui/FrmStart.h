// The splash window: the splash picture, the product name, one line about
// the lab, and "Start", which opens the main window.
#pragma once

#include <QWidget>
#include <filesystem>
#include <memory>

class QKeyEvent;
class QPushButton;

namespace pellix::gui {

class FrmSim;

class frmstart : public QWidget {
    Q_OBJECT
  public:
    // The main window will work on the files in folder.
    explicit frmstart(std::filesystem::path folder);
    ~frmstart() override;

    QPushButton* StartButton() const { return Command1_; }
    // The main window, once "Start" has loaded it.
    FrmSim* Main() const { return main_.get(); }

  public slots:
    void Command1_Click();

  signals:
    // The main window has ended the program.
    void finished();

  protected:
    // Enter and Space press "Start".
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Form_Load();

    std::filesystem::path folder_;
    QPushButton* Command1_ = nullptr;
    std::unique_ptr<FrmSim> main_;
};

}  // namespace pellix::gui
