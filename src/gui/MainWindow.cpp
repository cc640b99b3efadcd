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

#include "gui/FrmProgress.h"
#include "gui/LessonsBrowser.h"
#include "gui/PlanPlacement.h"
#include "gui/PlanWindow.h"
#include "gui/Scaling.h"
#include "gui/Widgets.h"
#include "lessons/Lessons.h"
#include "scoring/TaskTable.h"
#include "state/LessonsCopy.h"

namespace pellix::gui {

namespace {

// The angle of one notch of the mouse wheel.
constexpr int kWheelNotch = 120;

// How long after the window first shows a problem found at start-up is told.
constexpr std::chrono::milliseconds kNoticeDelay(400);

// Where the window's size is remembered: $XDG_CONFIG_HOME/pellix/pellix.conf.
constexpr const char* kSizeKey = "MainWindow/size";
constexpr const char* kMaximizedKey = "MainWindow/maximized";

QSettings::Format SettingsFormat() {
    return QSettings::NativeFormat;
}

// Every caption the score label can show.
QStringList ScoreCaptions() {
    QStringList captions{"OK"};
    for (int score = 0; score <= kTaskCount; ++score) captions << FromRouter(ScoreCaption(score));
    return captions;
}

bool Is(const QKeyEvent& event, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    constexpr Qt::KeyboardModifiers kChords =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    return event.key() == key && (event.modifiers() & kChords) == modifiers;
}

}  // namespace

std::optional<std::uint16_t> KeyCode(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return key::Enter;
        case Qt::Key_Backspace:
            return key::Backspace;
        case Qt::Key_Tab:
            return key::Tab;
        case Qt::Key_Escape:
            return key::Escape;
        case Qt::Key_Delete:
            return std::nullopt;  // no character, as on the router's terminal
        default:
            break;
    }
    // Ctrl with a letter is the control character (Ctrl-Z is 26), whatever
    // text the platform attached to it.
    if (event.modifiers() & Qt::ControlModifier) {
        if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
            return static_cast<std::uint16_t>(event.key() - Qt::Key_A + 1);
    }
    QString text = event.text();
    if (text.isEmpty()) return std::nullopt;
    return text.at(0).unicode();
}

MainWindow::MainWindow(std::filesystem::path folder)
    : sim_(std::move(folder)), console_(sim_, lab::PagePlace::BesideConsole) {
    InitResources();
    setWindowTitle("Vantric Sim");
    setMinimumSize(kMainWindowSize);
    resize(kMainWindowSize);

    panel_ = new QWidget(this);
    panel_->setObjectName("Picture1");
    Place(panel_, QRect(Px(120), Px(240), Px(9135), Px(4815)));
    panel_->setAutoFillBackground(true);
    QPalette white = panel_->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel_->setPalette(white);

    lines_[0] = new ConsoleLine(panel_);
    lines_[0]->setObjectName("Txt0");
    lines_[0]->setGeometry(Px(120), 0, Px(8895), Px(225));

    strip_ = new StatusStrip(this);
    strip_->setObjectName("pic");
    Place(strip_, QRect(Px(120), Px(5160), Px(9135), Px(330)));

    scoreLabel_ = new QLabel(this);
    scoreLabel_->setObjectName("Lbllevel");
    scoreLabel_->setToolTip(kScoreToolTip);
    Place(scoreLabel_, QRect(Px(8400), 0, Px(855), Px(255)));

    finishButton_ = new QPushButton("Finish", this);
    finishButton_->setObjectName("cmdexit");
    finishButton_->setToolTip("Finish (F10)");
    Place(finishButton_, QRect(Px(120), Px(5760), Px(1815), Px(375)));
    connect(finishButton_, &QPushButton::clicked, this, &MainWindow::FinishPressed);

    planButton_ = new QPushButton("Show Network Plan", this);
    planButton_->setObjectName("cmdsave");
    planButton_->setToolTip("Show or hide the network plan (F2)");
    Place(planButton_, QRect(Px(7440), Px(5760), Px(1815), Px(375)));
    connect(planButton_, &QPushButton::clicked, this, &MainWindow::PlanButtonPressed);

    productName_ = new QLabel("Pellix", this);
    productName_->setObjectName("Label1");
    productName_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    productName_->setFont(ProductFont(20.25));
    Place(productName_, QRect(Px(3720), Px(5640), Px(1935), Px(615)));
    QPalette navy = productName_->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    productName_->setPalette(navy);

    // The coach's hint: one small line in the gap under the strip, outside
    // the router's console, strip and label.
    hintLabel_ = new QLabel(this);
    hintLabel_->setObjectName("coachHint");
    hintLabel_->setFont(SansFont(7.5, false));
    Place(hintLabel_, QRect(Px(120), Px(5490), Px(9135), Px(165)));
    QPalette hintColours = hintLabel_->palette();
    hintColours.setColor(QPalette::WindowText, QColor(0, 0, 128));
    hintLabel_->setPalette(hintColours);

    // Over the console's top right corner while it is scrolled back.
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
    RestoreSize();
}

MainWindow::~MainWindow() = default;

// The start-up sequence: key preview on, the console's lines 1 to 20 under
// line 0, then the core's own start-up (score file, mode, label, startup
// configuration, welcome screen).
void MainWindow::Start() {
    qApp->installEventFilter(this);
    Place(lines_[0], lines_[0]->geometry());
    for (int k = 1; k < kConsoleLines; ++k) {
        ConsoleLine* above = lines_[static_cast<std::size_t>(k - 1)];
        ConsoleLine* line = new ConsoleLine(panel_);
        line->setObjectName(QString("Txt%1").arg(k));
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

// ---- Size and zoom ----

void MainWindow::Place(QWidget* widget, const QRect& base) {
    widget->setGeometry(base);
    placed_.push_back({widget, base, widget->font()});
}

// Scales every control of the layout to the largest size that the window
// holds and centres the whole.
void MainWindow::ApplyScale() {
    scaledFor_ = size();
    scale_ = FitScale(size());
    QSize used(static_cast<int>(std::lround(kMainWindowSize.width() * scale_)),
               static_cast<int>(std::lround(kMainWindowSize.height() * scale_)));
    QPoint origin((width() - used.width()) / 2, (height() - used.height()) / 2);
    for (const Placed& placed : placed_) {
        QRect at = ScaleRect(placed.base, scale_);
        if (placed.widget->parentWidget() == this) at.translate(origin);
        placed.widget->setGeometry(at);
        placed.widget->setFont(ScaleFont(placed.font, scale_));
    }
    int lineHeight = lines_[0]->height();
    for (ConsoleLine* line : lines_) lineHeight = std::min(lineHeight, line->height());
    QFont console = ConsoleFont(scale_, lineHeight);
    for (ConsoleLine* line : lines_) line->setFont(console);
    // Every score fits the label whole, whatever font stands in for the
    // label's.
    scoreLabel_->setFont(
        FitFont(scoreLabel_->font(), ScoreCaptions(), scoreLabel_->contentsRect().size()));
    scrollMarker_->setFont(ScaleFont(QApplication::font(), scale_));
    Redraw();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The layout depends on the size alone: the resize a first show sends
    // for the size the window was laid out at changes nothing.
    if (lines_[kConsoleLines - 1] && size() != scaledFor_) ApplyScale();
}

// Ctrl+= and Ctrl+- make the window a zoom step larger or smaller, as far
// as the screen allows; Ctrl+0 (direction 0) returns to the first size.
void MainWindow::Zoom(int direction) {
    double target = direction == 0 ? 1.0 : NextZoom(scale_, direction);
    QSize size(static_cast<int>(std::lround(kMainWindowSize.width() * target)),
               static_cast<int>(std::lround(kMainWindowSize.height() * target)));
    if (QScreen* screen = this->screen()) {
        QSize frame = frameGeometry().size() - geometry().size();
        size = size.boundedTo(screen->availableGeometry().size() - frame);
    }
    if (isMaximized() || isFullScreen()) showNormal();
    resize(size.expandedTo(kMainWindowSize));
}

void MainWindow::RestoreSize() {
    QSettings settings(SettingsFormat(), QSettings::UserScope, "pellix", "pellix");
    QSize size = settings.value(kSizeKey, kMainWindowSize).toSize();
    if (QScreen* screen = this->screen()) size = size.boundedTo(screen->availableGeometry().size());
    resize(size.expandedTo(kMainWindowSize));
    if (settings.value(kMaximizedKey, false).toBool())
        setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::SaveSize() {
    QSettings settings(SettingsFormat(), QSettings::UserScope, "pellix", "pellix");
    bool maximized = isMaximized() || isFullScreen();
    QSize size = maximized ? normalGeometry().size() : this->size();
    if (size.isValid()) settings.setValue(kSizeKey, size);
    settings.setValue(kMaximizedKey, maximized);
}

// ---- Drawing ----

void MainWindow::Redraw() {
    Snapshot snap = sim_.Snap();
    const int scrolled = console_.ScrolledBack();
    bool live = scrolled == 0;
    for (int k = 0; k < kConsoleLines; ++k) {
        ConsoleLine* line = lines_[static_cast<std::size_t>(k)];
        if (!line) return;  // still being built
        int row = ConsoleView::RowOfLine(sim_, k, scrolled);
        QString text = FromRouter(ConsoleView::RowText(sim_, row));
        bool caret = live && k == InputLine;
        if (line->text() != text) {
            line->setText(text);
            // Lines above the input line show their beginning; the input line
            // keeps its caret behind the last character typed.
            if (!caret) line->setCursorPosition(0);
        }
        auto [first, last] = view_.SelectedColumns(sim_, row);
        line->SetSelected(first, last);
        line->SetCaretShown(caret);
    }
    strip_->SetPrinted(snap.strip);
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
    // A problem found at start-up is told once the window manager has placed
    // the window, so that the notice can be put over it.
    QTimer::singleShot(kNoticeDelay, this, &MainWindow::TellScoreProblem);
}

void MainWindow::FocusInputLine() {
    ConsoleLine* input = lines_[InputLine];
    input->setFocus();
    input->setCursorPosition(static_cast<int>(input->text().size()));
}

// ---- Keys ----

// Key preview: every key typed while this window or the plan is active
// reaches the router's key handler first, whichever control has the focus,
// and no control sees it after. The window's own keys (zoom, copy, paste,
// scroll-back, function keys) come before the router's.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (ended_) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    QWidget* window = widget->window();
    if (window != this && !(plan_ && window == plan_.get()) &&
        !(progress_ && window == progress_.get()))
        return false;
    switch (event->type()) {
        case QEvent::KeyPress:
            return KeyPressed(watched, static_cast<QKeyEvent*>(event));
        case QEvent::Wheel: {
            if (window != this) return false;
            const int notches = static_cast<QWheelEvent*>(event)->angleDelta().y() / kWheelNotch;
            for (int k = 0; k < std::abs(notches); ++k)
                Press({notches > 0 ? lab::KeyName::WheelUp : lab::KeyName::WheelDown});
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return window == this && MouseEvent(watched, event);
        default:
            return false;
    }
}

bool MainWindow::KeyPressed(QObject* watched, QKeyEvent* event) {
    const QKeyEvent& key = *event;
    constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
    constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
    constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
    constexpr Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

    if (notice_ && notice_->isVisible() && Is(key, Qt::Key_Escape, kNone)) {
        notice_->close();  // the notice's key, not the router's
        return true;
    }

    if (Is(key, Qt::Key_Equal, kCtrl) || Is(key, Qt::Key_Plus, kCtrl) ||
        Is(key, Qt::Key_Plus, kCtrlShift)) {
        Zoom(+1);
    } else if (Is(key, Qt::Key_Minus, kCtrl)) {
        Zoom(-1);
    } else if (Is(key, Qt::Key_0, kCtrl)) {
        Zoom(0);
    } else if (Is(key, Qt::Key_C, kCtrlShift) || Is(key, Qt::Key_Insert, kCtrl)) {
        Copy();
    } else if (Is(key, Qt::Key_V, kCtrlShift) || Is(key, Qt::Key_V, kCtrl) ||
               Is(key, Qt::Key_Insert, kShift)) {
        Paste(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
    } else if (Is(key, Qt::Key_PageUp, kShift)) {
        Press({lab::KeyName::PageUp});
    } else if (Is(key, Qt::Key_PageDown, kShift)) {
        Press({lab::KeyName::PageDown});
    } else if (key.key() >= Qt::Key_F1 && key.key() <= Qt::Key_F10 &&
               Is(key, Qt::Key(key.key()), kNone)) {
        Press(lab::FunctionKey(key.key() - Qt::Key_F1 + 1));
    } else if (Is(key, Qt::Key_Up, kNone)) {
        Press({lab::KeyName::Up});
    } else if (Is(key, Qt::Key_Down, kNone)) {
        Press({lab::KeyName::Down});
    } else if (std::optional<std::uint16_t> code = KeyCode(key)) {
        Press(lab::Typed(*code));
    } else {
        // Keys the router has no use for (arrows, Home, Delete ...) move
        // nothing in a console line either.
        bool line = std::find(lines_.begin(), lines_.end(), watched) != lines_.end();
        return line;
    }
    return true;
}

// A key for the lab console, which decides what it does; a key pressed
// while a paste is being typed waits behind it there.
void MainWindow::Press(const lab::Key& key) {
    if (ended_) return;
    const bool scrollKey = key.name == lab::KeyName::PageUp || key.name == lab::KeyName::PageDown ||
                           key.name == lab::KeyName::WheelUp || key.name == lab::KeyName::WheelDown;
    if (!scrollKey) {
        // Any other key ends the selection, as in a terminal.
        view_.ClearSelection();
        lines_[InputLine]->RestartBlink();
    }
    AfterKeys(console_.OnKey(key, lab::Clock::now()));
}

// After keys: the windows as the lab console says, the answer painted, then
// the score saved.
void MainWindow::AfterKeys(lab::Outcome outcome) {
    if (outcome == lab::Outcome::Finished) {
        FinishPressed();
        return;
    }
    if (console_.Pasting()) pasteTimer_.start();
    if (const std::optional<int> task = console_.TakeLessonRequest()) OpenLesson(*task);
    if (console_.Deadline()) {
        const auto left = *console_.Deadline() - lab::Clock::now();
        noticeTimer_.start(static_cast<int>(
            std::max<long long>(0, std::chrono::ceil<std::chrono::milliseconds>(left).count())));
    }
    ShowPages();
    Redraw();
    SaveAfterPaint();
}

// The learner sees the answer first: the window paints what changed at once,
// and only then does the router write its score file.
void MainWindow::SaveAfterPaint() {
    QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest);
    if (console_.AfterDraw()) problemToTell_ = true;
    TellScoreProblem();
}

// Pasted text goes to the lab console, which types it a line at a time with
// the window repainted in between.
void MainWindow::Paste(const QString& text) {
    if (ended_ || text.isEmpty()) return;
    Press(lab::Pasted(text.toStdString()));
}

void MainWindow::TypePasted() {
    if (ended_ || !console_.Pasting()) {
        pasteTimer_.stop();
        return;
    }
    const lab::Outcome outcome = console_.TypePasted(lab::Clock::now());
    if (!console_.Pasting()) pasteTimer_.stop();
    AfterKeys(outcome);
}

// ---- Scroll-back, selection, copy ----

void MainWindow::Copy() {
    if (!view_.HasSelection()) return;
    QGuiApplication::clipboard()->setText(FromRouter(view_.SelectedText(sim_)),
                                          QClipboard::Clipboard);
}

// The console line at a point of the panel, the nearest one outside them.
int MainWindow::LineAt(QPoint inPanel) const {
    for (int k = 0; k < kConsoleLines; ++k)
        if (inPanel.y() < lines_[static_cast<std::size_t>(k)]->geometry().bottom() + 1) return k;
    return InputLine;
}

// The mouse over the console lines: the left button selects (a double click
// a word) and clicks as the router knows it; the middle button pastes the
// primary selection.
bool MainWindow::MouseEvent(QObject* watched, QEvent* event) {
    auto line = std::find(lines_.begin(), lines_.end(), watched);
    if (line == lines_.end() && !(mouseSelecting_ && event->type() == QEvent::MouseMove))
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    QPoint inPanel = panel_->mapFromGlobal(mouse->globalPosition().toPoint());
    int k = LineAt(inPanel);
    ConsoleLine* under = lines_[static_cast<std::size_t>(k)];
    TextPlace place{ConsoleView::RowOfLine(sim_, k, console_.ScrolledBack()),
                    under->ColumnAt(inPanel.x() - under->x())};
    QClipboard* clipboard = QGuiApplication::clipboard();

    switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse->button() == Qt::LeftButton) {
                view_.StartSelection(place);
                mouseSelecting_ = true;
                Redraw();
            }
            return true;
        case QEvent::MouseButtonDblClick:
            if (mouse->button() == Qt::LeftButton) {
                view_.SelectWord(sim_, place);
                mouseSelecting_ = false;
                if (clipboard->supportsSelection())
                    clipboard->setText(FromRouter(view_.SelectedText(sim_)), QClipboard::Selection);
                Redraw();
            }
            return true;
        case QEvent::MouseMove:
            if (mouseSelecting_ && (mouse->buttons() & Qt::LeftButton)) {
                view_.ExtendSelection(place);
                Redraw();
            }
            return true;
        case QEvent::MouseButtonRelease:
            if (mouse->button() == Qt::LeftButton) {
                mouseSelecting_ = false;
                if (view_.HasSelection() && clipboard->supportsSelection())
                    clipboard->setText(FromRouter(view_.SelectedText(sim_)), QClipboard::Selection);
                LineClicked();
            } else if (mouse->button() == Qt::MiddleButton) {
                Paste(clipboard->text(clipboard->supportsSelection() ? QClipboard::Selection
                                                                     : QClipboard::Clipboard));
            }
            return true;
        default:
            return false;
    }
}

// A click on any console line gives the input line the focus back, with the
// caret at its end.
void MainWindow::LineClicked() {
    FocusInputLine();
    Redraw();
}

// While the network plan is shown the keyboard stays where the learner put
// it; otherwise the input line takes the focus back.
void MainWindow::Tick() {
    if (ended_) return;
    if (!sim_.PlanShown()) FocusInputLine();
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
    QRect place = PlacePlan(screen->availableGeometry(), frameGeometry(), inputLine, planFrame);
    plan_->resize(place.size().shrunkBy(frame));
    plan_->move(place.topLeft());
    planPlaced_ = true;
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
    if (!progress_)
        progress_ = std::make_unique<FrmProgress>([this](int task) { OpenLesson(task); });
    progress_->Refresh(sim_);
    progress_->adjustSize();
    if (QScreen* screen = this->screen()) {
        ConsoleLine* input = lines_[InputLine];
        QRect inputLine(input->mapToGlobal(QPoint(0, 0)), input->size());
        QRect place =
            PlacePlan(screen->availableGeometry(), frameGeometry(), inputLine, progress_->size());
        progress_->move(place.topLeft());
    }
    progress_->show();
    // Where the platform activates it all the same, the console takes the
    // keyboard back.
    activateWindow();
    FocusInputLine();
}

}  // namespace pellix::gui
