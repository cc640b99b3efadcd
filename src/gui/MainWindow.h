// The main window "Vantric Sim": the console panel with its 21 lines, the
// status strip, the score label, "Finish" and "Show Network Plan". It maps
// every key to the lab console of the core and draws what that shows; the
// router and what each key does live in the core alone. Around the router it
// adds what a terminal window gives: any size (the layout scales as one),
// zoom keys, scroll-back, selection, copy and paste, and function keys for
// the buttons.
// Its controls are named by role ("consolePanel", "consoleLine0" to
// "consoleLine20", "statusStrip", "scoreLabel", "finishButton", "planButton",
// "productName"), each with the original form's name as its "formName".
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "console/Sim.h"
#include "gui/ConsoleView.h"
#include "lab/Console.h"

class QKeyEvent;
class QLabel;

class QPushButton;

namespace pellix::gui {

class ConsoleLine;
class StatusStrip;
class PlanWindow;
class ProgressWindow;

// The score label's tooltip: what the score is and the keys around it.
inline constexpr char kScoreToolTip[] =
    "Tasks done of 50. F1: the lessons at your next task; F3: your progress; "
    "F2: the network plan; F10: finish";

// The character code the router's key handler receives for a key press, or
// nothing for keys that type no character (arrows, function keys, Shift).
std::optional<std::uint16_t> KeyCode(const QKeyEvent& event);

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    // Builds the window and runs its start-up sequence on the files in folder.
    explicit MainWindow(std::filesystem::path folder);
    ~MainWindow() override;

    const Sim& Core() const { return sim_; }
    ConsoleLine* Line(int k) const { return lines_[static_cast<std::size_t>(k)]; }
    QWidget* Panel() const { return panel_; }
    StatusStrip* Strip() const { return strip_; }
    QLabel* ScoreLabel() const { return scoreLabel_; }
    QPushButton* FinishButton() const { return finishButton_; }
    QPushButton* PlanButton() const { return planButton_; }
    // The network plan window, once "Show Network Plan" has loaded it.
    PlanWindow* Plan() const { return plan_.get(); }
    // The Progress window, once F3 has opened it.
    ProgressWindow* Progress() const { return progress_.get(); }
    // The scale of the layout: 1 at the window's first size.
    double Scale() const { return scale_; }
    const ConsoleView& View() const { return view_; }
    // How many lines the console is scrolled back from the live screen.
    int ScrolledBack() const { return console_.ScrolledBack(); }
    // The lab console's notice (scrolled back, a first Ctrl-C), while there is one.
    QLabel* ScrollMarker() const { return scrollMarker_; }
    // The coach's hint after a command this lab does not know, between the
    // strip and the buttons (empty while there is none or the coach is off).
    QLabel* HintLabel() const { return hintLabel_; }
    // The coach on or off (F4 toggles it; pellix --no-hints starts it off).
    void SetHints(bool on);
    bool HintsOn() const { return console_.HintsOn(); }
    // Whether pasted keys are still waiting to be typed.
    bool Pasting() const { return console_.Pasting(); }
    // The notice that the score file could not be read or written, while it
    // is open.
    QMessageBox* Notice() const { return notice_; }
    // Whether the score file was saved when the program ended.
    bool ScoreSaved() const;

  public slots:
    // The one-second focus timer.
    void Tick();

  signals:
    // The program has ended: "Finish" or the title bar's close box.
    void finished();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void KeepOnScreen();
    void ShowTyped(ConsoleLine* line, const QString& text);
    QRect ScoreOnScreen() const;

  private:
    // A control of the fixed layout with its place and font at scale 1.
    struct Placed {
        QWidget* widget;
        QRect base;
        QFont font;
    };

    void BuildConsole();
    void BuildButtons();
    void BuildNotes();
    void ApplyColours();
    void changeEvent(QEvent* event) override;
    void Place(QWidget* widget, const QRect& base);
    void ApplyScale();
    void Zoom(int direction);
    void RestoreSize();
    void SaveSize();

    bool KeyPressed(QObject* watched, QKeyEvent* event);
    void ShowHint();
    bool MouseEvent(QObject* watched, QEvent* event);
    void Press(const lab::Key& key);
    void AfterKeys(lab::Outcome outcome);
    void ShowPages();
    void Paste(const QString& text);
    void TypePasted();
    void Copy();
    int LineAt(QPoint inPanel) const;
    void TellScoreProblem();
    void ShowNotice(const QString& title, const QString& text);
    void TellLessonsNotOpened();
    void OpenLesson(int task);
    void ShowProgress();
    void PlacePlanWindow();

    void Start();
    void LineClicked();
    void PlanButtonPressed();
    void ShowPlanWindow();
    void FinishPressed();
    void ClosePlan();
    void EndProgram();
    void FocusInputLine();
    void Redraw();
    void MoveOutputLines(const std::array<QString, kConsoleLines>& wanted);
    void SaveAfterPaint();

    Sim sim_;
    lab::Console console_;
    QWidget* panel_ = nullptr;
    std::array<ConsoleLine*, kConsoleLines> lines_{};
    StatusStrip* strip_ = nullptr;
    QLabel* scoreLabel_ = nullptr;
    QLabel* productName_ = nullptr;
    QPushButton* finishButton_ = nullptr;
    QPushButton* planButton_ = nullptr;
    QTimer focusTimer_;
    QTimer noticeTimer_;  // takes a notice away when its time is up
    std::unique_ptr<PlanWindow> plan_;
    std::unique_ptr<ProgressWindow> progress_;
    bool planPlaced_ = false;
    bool ended_ = false;

    std::vector<Placed> placed_;
    double scale_ = 1;
    QSize scaledFor_;  // the window size the layout was last scaled for
    ConsoleView view_;
    QLabel* scrollMarker_ = nullptr;
    QLabel* hintLabel_ = nullptr;
    bool applyingColours_ = false;
    bool mouseSelecting_ = false;
    QTimer pasteTimer_;
    QPointer<QMessageBox> notice_;
    bool problemToTell_ = false;  // a score-file problem waits for the window to show
};

}  // namespace pellix::gui
