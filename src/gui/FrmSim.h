// The main window "Vantric Sim": the console panel with its 21 lines, the
// status strip, the score label, "Finish" and "Show Network Plan". It hands
// every key, click and tick to the core and draws the core's snapshot after
// each; the router lives in the core alone.
#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "console/Sim.h"

class QKeyEvent;
class QLabel;
class QPushButton;

namespace pellix::gui {

class ConsoleLine;
class StatusStrip;
class frmnetwork;

// The character code the router's key handler receives for a key press, or
// nothing for keys that type no character (arrows, function keys, Shift).
std::optional<std::uint16_t> KeyCode(const QKeyEvent& event);

class FrmSim : public QWidget {
    Q_OBJECT
  public:
    // Builds the window and runs its start-up sequence on the files in folder.
    explicit FrmSim(std::filesystem::path folder);
    ~FrmSim() override;

    const Sim& Core() const { return sim_; }
    ConsoleLine* Line(int k) const { return Txt_[static_cast<std::size_t>(k)]; }
    QWidget* Panel() const { return Picture1_; }
    StatusStrip* Strip() const { return pic_; }
    QLabel* ScoreLabel() const { return Lbllevel_; }
    QPushButton* FinishButton() const { return cmdexit_; }
    QPushButton* PlanButton() const { return cmdsave_; }
    // The network plan window, once "Show Network Plan" has loaded it.
    frmnetwork* Plan() const { return plan_.get(); }

  public slots:
    void Timer1_Timer();

  signals:
    // The program has ended: "Finish" or the title bar's close box.
    void finished();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void Form_Load();
    void Txt_Click(int index);
    void cmdsave_Click();
    void cmdexit_Click();
    void ClosePlan();
    void EndProgram();
    void FocusInputLine();
    void Redraw();

    Sim sim_;
    QWidget* Picture1_ = nullptr;
    std::array<ConsoleLine*, kConsoleLines> Txt_{};
    StatusStrip* pic_ = nullptr;
    QLabel* Lbllevel_ = nullptr;
    QLabel* Label1_ = nullptr;
    QPushButton* cmdexit_ = nullptr;
    QPushButton* cmdsave_ = nullptr;
    QTimer Timer1_;
    std::unique_ptr<frmnetwork> plan_;
    bool ended_ = false;
};

}  // namespace pellix::gui
