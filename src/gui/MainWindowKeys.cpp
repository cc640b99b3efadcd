// The main window's keys and mouse: every key to the lab console (the
// window's own comforts first: zoom, copy, paste), pasted text, the
// selection over the console lines and the focus rule.
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "gui/MainWindow.h"
#include "gui/PlanWindow.h"
#include "gui/ProgressWindow.h"
#include "gui/Widgets.h"

namespace pellix::gui {

namespace {

// The angle of one notch of the mouse wheel.
constexpr int kWheelNotch = 120;

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
    // Alt with a key types nothing (AltGr, which types, is not Alt here).
    if (event.modifiers() & Qt::AltModifier) return std::nullopt;
    QString text = event.text();
    if (text.isEmpty()) return std::nullopt;
    return text.at(0).unicode();
}

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
    } else if (key.key() >= Qt::Key_0 && key.key() <= Qt::Key_9 &&
               Is(key, Qt::Key(key.key()), Qt::AltModifier)) {
        // Alt+1 .. Alt+0 are F1 .. F10, as in the terminal console.
        const int digit = key.key() - Qt::Key_0;
        Press(lab::FunctionKey(digit == 0 ? lab::kFunctionKeys : digit));
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
    if (const auto left = console_.TimeLeft(lab::Clock::now()))
        noticeTimer_.start(static_cast<int>(left->count()));
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
    // On a line, or in the panel's margin beside the lines (the nearest line).
    const bool onLine = std::find(lines_.begin(), lines_.end(), watched) != lines_.end();
    if (!onLine && watched != panel_ && !(mouseSelecting_ && event->type() == QEvent::MouseMove))
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

}  // namespace pellix::gui
