#include "gui/MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <utility>

#include "gui/LessonsBrowser.h"
#include "gui/PlanPlacement.h"
#include "gui/PlanWindow.h"
#include "gui/ProgressWindow.h"
#include "gui/Scaling.h"
#include "gui/Widgets.h"
#include "lessons/Lessons.h"
#include "scoring/TaskTable.h"
#include "state/LessonsCopy.h"

namespace pellix::gui {

namespace {

// How long after the window first shows a problem found at start-up is told.
constexpr std::chrono::milliseconds kNoticeDelay(400);

}  // namespace

MainWindow::MainWindow(std::filesystem::path folder)
    : sim_(std::move(folder)), console_(sim_, lab::PagePlace::BesideConsole) {
    InitResources();
    setWindowTitle("Vantric Sim");
    setMinimumSize(kSmallestWindowSize);
    resize(kMainWindowSize);
    BuildConsole();
    BuildButtons();
    BuildNotes();

    focusTimer_.setInterval(1000);
    connect(&focusTimer_, &QTimer::timeout, this, &MainWindow::Tick);
    pasteTimer_.setInterval(0);
    connect(&pasteTimer_, &QTimer::timeout, this, &MainWindow::TypePasted);
    noticeTimer_.setSingleShot(true);
    connect(&noticeTimer_, &QTimer::timeout, this, [this] {
        console_.OnTime(lab::Clock::now());
        Redraw();
    });

    Start();
    ApplyColours();
    RestoreSize();
}

MainWindow::~MainWindow() = default;

// The console panel with its first line (Start adds the others), the strip
// and the score label.
void MainWindow::BuildConsole() {
    panel_ = new QWidget(this);
    NameControl(panel_, "consolePanel", "Picture1");
    Place(panel_, QRect(Px(120), Px(240), Px(9135), Px(4815)));
    panel_->setAutoFillBackground(true);

    lines_[0] = new ConsoleLine(panel_);
    NameControl(lines_[0], "consoleLine0", "Txt0");
    lines_[0]->setGeometry(Px(120), 0, Px(8895), Px(225));

    strip_ = new StatusStrip(this);
    NameControl(strip_, "statusStrip", "pic");
    strip_->setAccessibleName("Status strip");
    Place(strip_, QRect(Px(120), Px(5160), Px(9135), Px(330)));

    scoreLabel_ = new QLabel(this);
    NameControl(scoreLabel_, "scoreLabel", "Lbllevel");
    scoreLabel_->setToolTip(kScoreToolTip);
    Place(scoreLabel_, QRect(Px(8400), 0, Px(855), Px(255)));
}

// "Finish", "Show Network Plan" and the product's name between them.
void MainWindow::BuildButtons() {
    finishButton_ = new QPushButton("Finish", this);
    NameControl(finishButton_, "finishButton", "cmdexit");
    finishButton_->setToolTip("Finish (F10)");
    Place(finishButton_, QRect(Px(120), Px(5760), Px(1815), Px(375)));
    connect(finishButton_, &QPushButton::clicked, this, &MainWindow::FinishPressed);

    planButton_ = new QPushButton("Show Network Plan", this);
    NameControl(planButton_, "planButton", "cmdsave");
    planButton_->setToolTip("Show or hide the network plan (F2)");
    Place(planButton_, QRect(Px(7440), Px(5760), Px(1815), Px(375)));
    connect(planButton_, &QPushButton::clicked, this, &MainWindow::PlanButtonPressed);

    productName_ = new QLabel("Pellix", this);
    NameControl(productName_, "productName", "Label1");
    productName_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    productName_->setFont(ProductFont(20.25));
    Place(productName_, QRect(Px(3720), Px(5640), Px(1935), Px(615)));
}

// The colours of the lab's own parts from the desktop's palette, light, dark
// or high-contrast: the console panel in the lines' own background, the name
// and the hint in navy where the window is light and in a light blue where it
// is dark. The router's strip keeps its own colours.
void MainWindow::ApplyColours() {
    QPalette panel = panel_->palette();
    panel.setColor(QPalette::Window, palette().color(QPalette::Base));
    panel_->setPalette(panel);
    QPalette name = productName_->palette();
    name.setColor(QPalette::WindowText, AccentColour(palette()));
    productName_->setPalette(name);
    ShowHint();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && panel_ && !applyingColours_) {
        applyingColours_ = true;
        ApplyColours();
        applyingColours_ = false;
    }
}

// The lines of the window's own beside the router's: the coach's hint and
// the lab console's notice.
void MainWindow::BuildNotes() {
    // The coach's hint: one small line in the gap under the strip, outside
    // the router's console, strip and label.
    hintLabel_ = new QLabel(this);
    hintLabel_->setObjectName("coachHint");
    hintLabel_->setFont(SansFont(7.5, false));
    Place(hintLabel_, QRect(Px(120), Px(5490), Px(9135), Px(165)));

    // Over the console's top right corner: the lab console's notice (scrolled
    // back, a first Ctrl-C).
    scrollMarker_ = new QLabel(panel_);
    scrollMarker_->setObjectName("scrollMarker");
    scrollMarker_->setAutoFillBackground(true);
    scrollMarker_->setFrameShape(QFrame::Box);
    scrollMarker_->setMargin(1);
    QPalette note = scrollMarker_->palette();
    note.setColor(QPalette::Window, QColor(255, 255, 204));
    note.setColor(QPalette::WindowText, Qt::black);
    scrollMarker_->setPalette(note);
    scrollMarker_->hide();
}

// The start-up sequence: key preview on, the console's lines 1 to 20 under
// line 0, then the core's own start-up (score file, mode, label, startup
// configuration, welcome screen).
void MainWindow::Start() {
    qApp->installEventFilter(this);
    Place(lines_[0], lines_[0]->geometry());
    for (int k = 1; k < kConsoleLines; ++k) {
        ConsoleLine* above = lines_[static_cast<std::size_t>(k - 1)];
        ConsoleLine* line = new ConsoleLine(panel_);
        NameControl(line, QString("consoleLine%1").arg(k), qPrintable(QString("Txt%1").arg(k)));
        line->setGeometry(above->x(), above->y() + above->height(), above->width(),
                          above->height());
        Place(line, line->geometry());
        lines_[static_cast<std::size_t>(k)] = line;
    }
    sim_.Start();
    ApplyScale();
    Redraw();
    FocusInputLine();
    focusTimer_.start();
}

// ---- Drawing ----

// The input line, changed as little as it can be: a key typed is added and a
// Backspace takes one character off, so that assistive tools are told the
// character, not the whole line again. Anything else replaces the text. The
// caret stays behind the last character.
void MainWindow::ShowTyped(ConsoleLine* line, const QString& text) {
    const QString shown = line->text();
    line->end(false);
    if (text.size() > shown.size() && text.startsWith(shown))
        line->insert(text.mid(shown.size()));
    else if (text.size() + 1 == shown.size() && shown.startsWith(text))
        line->backspace();
    else
        line->setText(text);
}

namespace {

// How many rows the lines above the input line moved by (up when positive) to
// become `wanted`: the move that leaves the fewest lines to write again, and
// no move when nothing needs one.
int OutputLinesMoved(const std::array<QString, kConsoleLines>& shown,
                     const std::array<QString, kConsoleLines>& wanted) {
    int best = 0;
    int fewest = InputLine + 1;
    for (int by = 1 - InputLine; by < InputLine; ++by) {
        int changed = 0;
        for (int k = 0; k < InputLine; ++k)
            changed += shown[static_cast<std::size_t>((k + by + InputLine) % InputLine)] !=
                       wanted[static_cast<std::size_t>(k)];
        // Of equal moves, the shortest.
        if (changed < fewest || (changed == fewest && std::abs(by) < std::abs(best))) {
            best = by;
            fewest = changed;
        }
    }
    return best;
}

}  // namespace

// The router's lines move up the console as it prints (and either way as the
// learner scrolls back). The line controls above the input line move with
// them, those that leave one edge coming in at the other for the new lines,
// so that assistive tools hear of the lines that are new, not of twenty that
// changed. Each control takes the place, name and order of its new row.
void MainWindow::MoveOutputLines(const std::array<QString, kConsoleLines>& wanted) {
    std::array<QString, kConsoleLines> shown;
    std::array<QRect, kConsoleLines> places;
    const std::array<ConsoleLine*, kConsoleLines> before = lines_;
    for (std::size_t k = 0; k < InputLine; ++k) {
        shown[k] = before[k]->text();
        places[k] = before[k]->geometry();
    }
    const int by = OutputLinesMoved(shown, wanted);
    if (by == 0) return;
    for (int k = 0; k < InputLine; ++k)
        lines_[static_cast<std::size_t>(k)] =
            before[static_cast<std::size_t>((k + by + InputLine) % InputLine)];
    for (Placed& placed : placed_) {
        auto row = std::find(before.begin(), before.begin() + InputLine, placed.widget);
        if (row != before.begin() + InputLine) placed.widget = lines_[row - before.begin()];
    }
    for (int k = 0; k < InputLine; ++k) {
        ConsoleLine* line = lines_[static_cast<std::size_t>(k)];
        line->setGeometry(places[static_cast<std::size_t>(k)]);
        NameControl(line, QString("consoleLine%1").arg(k), qPrintable(QString("Txt%1").arg(k)));
        line->stackUnder(lines_[InputLine]);
    }
}

void MainWindow::Redraw() {
    Snapshot snap = sim_.Snap();
    const int scrolled = console_.ScrolledBack();
    bool live = scrolled == 0;
    if (!lines_[InputLine]) return;  // still being built
    std::array<int, kConsoleLines> rows;
    std::array<QString, kConsoleLines> texts;
    for (std::size_t k = 0; k < kConsoleLines; ++k) {
        rows[k] = ConsoleView::RowOfLine(sim_, static_cast<int>(k), scrolled);
        texts[k] = FromRouter(ConsoleView::RowText(sim_, rows[k]));
    }
    MoveOutputLines(texts);
    for (int k = 0; k < kConsoleLines; ++k) {
        ConsoleLine* line = lines_[static_cast<std::size_t>(k)];
        const int row = rows[static_cast<std::size_t>(k)];
        const QString& text = texts[static_cast<std::size_t>(k)];
        bool caret = live && k == InputLine;
        if (line->text() != text) {
            if (caret) {
                ShowTyped(line, text);
            } else {
                line->setText(text);
                // Lines above the input line show their beginning.
                line->setCursorPosition(0);
            }
        }
        auto [first, last] = view_.SelectedColumns(sim_, row);
        line->SetSelected(first, last);
        line->SetCaretShown(caret);
    }
    strip_->SetPrinted(snap.strip);
    strip_->setAccessibleDescription(snap.strip.empty() ? QString()
                                                        : FromRouter(snap.strip.front()));
    scoreLabel_->setText(FromRouter(snap.label));
    if (progress_ && progress_->isVisible()) progress_->Refresh(sim_);

    // The lab console's notice over the panel's corner; a score-file problem
    // has a notice window of its own.
    const std::string notice = console_.Notice(false);
    if (!notice.empty()) {
        scrollMarker_->setText(FromRouter(notice));
        scrollMarker_->adjustSize();
        scrollMarker_->move(panel_->width() - scrollMarker_->width(), 0);
        scrollMarker_->show();
        scrollMarker_->raise();
    } else {
        scrollMarker_->hide();
    }
    ShowHint();
}

// The whole hint when it fits the line, else what this lab takes, cut to the
// line; the whole text is the label's tool tip.
void MainWindow::ShowHint() {
    const bool hints = console_.HintsOn() && console_.ScrolledBack() == 0;
    const QString whole = hints ? FromRouter(sim_.Hint()) : QString();
    const QFontMetrics metrics(hintLabel_->font());
    const int width = hintLabel_->width();
    QString shown = whole;
    if (hints && metrics.horizontalAdvance(shown) > width) shown = FromRouter(sim_.HintBrief());
    // With no hint to give, the line names the lab's keys.
    const bool keys = shown.isEmpty();
    if (keys) shown = FromRouter(lab::KeyList(console_.FunctionKeys()));
    QPalette colours = hintLabel_->palette();
    colours.setColor(QPalette::WindowText, keys ? QuietColour(palette()) : AccentColour(palette()));
    hintLabel_->setPalette(colours);
    hintLabel_->setText(metrics.elidedText(shown, Qt::ElideRight, width));
    hintLabel_->setToolTip(whole);
}

void MainWindow::SetHints(bool on) {
    console_.ShowHints(on);
    ShowHint();
}

// A score file that cannot be read or written is said once, in a notice of
// its own beside the console: the router's lines and strip stay as the
// router shows them, and the learner can go on typing.
void MainWindow::TellScoreProblem() {
    problemToTell_ = problemToTell_ || console_.NewScoreProblem();
    if (!problemToTell_ || !isVisible() || ended_) return;  // told once the window shows
    problemToTell_ = false;
    ShowNotice("Pellix: score file", QString::fromStdString(sim_.ScoreProblem().Text()));
}

// A notice beside the console, never in it, that leaves the keyboard to the
// console: Escape closes it. It stands over the console's middle lines, clear
// of the score and of the input line.
void MainWindow::ShowNotice(const QString& title, const QString& text) {
    if (notice_) notice_->close();
    notice_ = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    notice_->setInformativeText("Escape closes this notice.");
    notice_->setObjectName("notice");
    notice_->setWindowModality(Qt::NonModal);
    notice_->setAttribute(Qt::WA_DeleteOnClose);
    notice_->setAttribute(Qt::WA_ShowWithoutActivating);
    notice_->show();
    notice_->adjustSize();
    QPoint middle = panel_->mapToGlobal(QPoint(panel_->width() / 2, panel_->height() / 2));
    notice_->move(middle.x() - notice_->width() / 2, middle.y() - notice_->height() / 2);
}

bool MainWindow::ScoreSaved() const {
    return sim_.ScoreProblem().action == ScoreFileProblem::Action::None;
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    KeepOnScreen();
    // A problem found at start-up is told once the window manager has placed
    // the window, so that the notice can be put over it.
    QTimer::singleShot(kNoticeDelay, this, &MainWindow::TellScoreProblem);
}

void MainWindow::FocusInputLine() {
    ConsoleLine* input = lines_[InputLine];
    input->setFocus();
    input->setCursorPosition(static_cast<int>(input->text().size()));
}

// ---- The network plan, the progress and Finish ----

// The plan's and the Progress window's places as the lab console has them.
void MainWindow::ShowPages() {
    const bool progress = console_.OpenPage() == lab::PageName::Progress;
    if (progress && !(progress_ && progress_->isVisible())) ShowProgress();
    if (!progress && progress_ && progress_->isVisible()) progress_->hide();
    if (sim_.PlanShown() && !(plan_ && plan_->isVisible())) ShowPlanWindow();
    if (!sim_.PlanShown() && plan_ && plan_->isVisible()) plan_->hide();
}

void MainWindow::PlanButtonPressed() {
    sim_.ShowNetworkPlan();
    Redraw();
    ShowPlanWindow();
    SaveAfterPaint();
}

void MainWindow::ShowPlanWindow() {
    if (!plan_) {
        plan_ = std::make_unique<PlanWindow>();
        connect(plan_.get(), &PlanWindow::closeRequested, this, &MainWindow::ClosePlan);
    }
    plan_->SetScale(scale_);
    PlacePlanWindow();
    plan_->show();
    plan_->raise();
    plan_->activateWindow();
}

// The plan opens beside the main window where the screen has room, and never
// over the console's input line. Once placed it stays where the learner puts
// it, unless that now hides the input line.
void MainWindow::PlacePlanWindow() {
    QScreen* screen = this->screen();
    if (!screen) return;
    ConsoleLine* input = lines_[InputLine];
    QRect inputLine(input->mapToGlobal(QPoint(0, 0)), input->size());
    QMargins frame(geometry().left() - frameGeometry().left(),
                   geometry().top() - frameGeometry().top(),
                   frameGeometry().right() - geometry().right(),
                   frameGeometry().bottom() - geometry().bottom());
    if (planPlaced_ && !plan_->frameGeometry().intersects(inputLine)) return;
    QSize planFrame = plan_->size().grownBy(frame);
    QRect place = PlacePlan(screen->availableGeometry(), frameGeometry(), inputLine,
                            ScoreOnScreen(), planFrame);
    plan_->resize(place.size().shrunkBy(frame));
    plan_->move(place.topLeft());
    planPlaced_ = true;
}

QRect MainWindow::ScoreOnScreen() const {
    return QRect(scoreLabel_->mapToGlobal(QPoint(0, 0)), scoreLabel_->size());
}

void MainWindow::ClosePlan() {
    sim_.CloseNetworkPlan();
    plan_->hide();
    Redraw();
    SaveAfterPaint();
}

void MainWindow::FinishPressed() {
    EndProgram();
    close();
}

// The title bar's close box does what "Finish" does.
void MainWindow::closeEvent(QCloseEvent* event) {
    EndProgram();
    event->accept();
}

// Saves the score file and ends the program: no further event reaches the
// router.
void MainWindow::EndProgram() {
    if (ended_) return;
    ended_ = true;
    focusTimer_.stop();
    pasteTimer_.stop();
    noticeTimer_.stop();
    sim_.Finish();
    // The program ends at once: a score not saved is said where the notice
    // can no longer be read.
    if (!ScoreSaved()) fprintf(stderr, "pellix: %s\n", sim_.ScoreProblem().Text().c_str());
    SaveSize();
    if (plan_) plan_->hide();
    if (progress_) progress_->hide();
    emit finished();
}

// ---- Lessons and progress ----

// F1 (the lab console asks for it here): the lessons page in the learner's
// browser, at the step of the task.
void MainWindow::OpenLesson(int task) {
    QPointer<MainWindow> self(this);
    LessonsOpenFailed() = [self] {
        if (self) self->TellLessonsNotOpened();
    };
    if (!OpenLessons(sim_.Folder(), task)) TellLessonsNotOpened();
}

// The lessons could not be shown in a browser: where to open them by hand.
void MainWindow::TellLessonsNotOpened() {
    if (ended_) return;
    ShowNotice("Pellix: lessons",
               "No web browser could open the lessons. Open this file in one yourself:\n" +
                   QString::fromStdString((sim_.Folder() / kLessonsPageFile).string()));
}

// F3: the Progress window beside the main window. It is never activated, so
// the console keeps the keyboard.
void MainWindow::ShowProgress() {
    if (!progress_) {
        progress_ = std::make_unique<ProgressWindow>([this](int task) { OpenLesson(task); });
        // A window of the main window's own, kept above it by the window
        // manager, so that raising the console never hides the progress.
        progress_->setParent(this, progress_->windowFlags() | Qt::Tool);
    }
    progress_->Refresh(sim_);
    progress_->adjustSize();
    if (QScreen* screen = this->screen()) {
        // No larger than the screen (its tasks scroll), beside the console
        // where there is room.
        const QRect area = screen->availableGeometry();
        const QSize frame = FrameAllowance(*progress_);
        ConsoleLine* input = lines_[InputLine];
        QRect inputLine(input->mapToGlobal(QPoint(0, 0)), input->size());
        QRect place =
            PlacePlan(area, frameGeometry(), inputLine, ScoreOnScreen(), progress_->size() + frame);
        progress_->resize(place.size() - frame);
        progress_->move(place.topLeft());
    }
    progress_->show();
    // Where the platform activates it all the same, the console takes the
    // keyboard back.
    activateWindow();
    FocusInputLine();
}

}  // namespace pellix::gui
