#include "gui/ProgressWindow.h"

#include "lab/Pages.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "lessons/Lessons.h"

namespace pellix::gui {

namespace {

QString TaskText(int task, bool done) {
    return QString("%1  %2. %3")
        .arg(done ? QChar(0x2713) : QChar(0x25CB))  // check mark, or an empty circle
        .arg(task)
        .arg(QString::fromUtf8(TaskTitle(task).data(), static_cast<int>(TaskTitle(task).size())));
}

}  // namespace

ProgressWindow::ProgressWindow(std::function<void(int task)> openLesson)
    : QWidget(nullptr, Qt::Window | Qt::WindowDoesNotAcceptFocus),
      openLesson_(std::move(openLesson)) {
    setObjectName("progressWindow");
    setWindowTitle("Pellix progress");
    // Shown without being activated: the console keeps the keyboard.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);

    auto* layout = new QVBoxLayout(this);
    count_ = new QLabel(this);
    count_->setObjectName("count");
    QFont big = count_->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    count_->setFont(big);
    layout->addWidget(count_);

    // The tasks scroll where the screen is too small for them all.
    auto* list = new QWidget;
    grid_ = new QGridLayout(list);
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setHorizontalSpacing(24);
    grid_->setVerticalSpacing(1);
    for (int task = 1; task <= kTaskCount; ++task) {
        auto* label = new QLabel(list);
        label->setObjectName(QString("task%1").arg(task));
        label->setFocusPolicy(Qt::NoFocus);
        label->setContentsMargins(4, 0, 4, 0);
        tasks_[static_cast<std::size_t>(task)] = label;
    }
    LayOut(2);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName("taskList");
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidgetResizable(true);
    scroll_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    scroll_->setWidget(list);
    layout->addWidget(scroll_, 1);

    next_ = new QLabel(this);
    next_->setObjectName("next");
    next_->setWordWrap(true);
    next_->setFocusPolicy(Qt::NoFocus);
    next_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(next_, &QLabel::linkActivated, this, [this](const QString& link) {
        if (openLesson_) openLesson_(link.mid(link.indexOf('-') + 1).toInt());
    });
    layout->addSpacing(6);
    layout->addWidget(next_);
    layout->addStretch();
}

// The tasks down the first column, then the second.
void ProgressWindow::LayOut(int columns) {
    if (columns == columns_) return;
    columns_ = columns;
    const int rows = (kTaskCount + columns - 1) / columns;
    for (int task = 1; task <= kTaskCount; ++task) {
        QLabel* label = tasks_[static_cast<std::size_t>(task)];
        grid_->removeWidget(label);
        grid_->addWidget(label, (task - 1) % rows, (task - 1) / rows);
    }
    for (int column = 0; column < 2; ++column) grid_->setColumnStretch(column, column < columns);
}

// Where the screen leaves too little room for two columns side by side, the
// tasks take one, scrolled up and down rather than cut at the side.
void ProgressWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    int widest = 0;
    for (int task = 1; task <= kTaskCount; ++task)
        widest = std::max(widest, tasks_[static_cast<std::size_t>(task)]->sizeHint().width());
    // Room is kept for the scroll bar either way, so that the choice holds
    // whether it shows or not.
    const int room = scroll_->width() - scroll_->verticalScrollBar()->sizeHint().width();
    LayOut(room >= 2 * widest + grid_->horizontalSpacing() ? 2 : 1);
}

void ProgressWindow::Refresh(const Sim& sim) {
    const TaskTable& tasks = sim.Tasks();
    const int next = NextTask(tasks);
    const QString count = QString::fromStdString(lab::ProgressCount(sim));
    if (next == shownNext_ && tasks == shown_ && count_->text() == count) return;
    shown_ = tasks;
    shownNext_ = next;

    count_->setText(count);
    for (int task = 1; task <= kTaskCount; ++task) {
        QLabel* label = tasks_[static_cast<std::size_t>(task)];
        label->setText(TaskText(task, TaskDone(tasks, task)));
        // The next task stands out: bold on the highlight colour.
        label->setAutoFillBackground(task == next);
        label->setBackgroundRole(QPalette::Highlight);
        label->setForegroundRole(task == next ? QPalette::HighlightedText : QPalette::WindowText);
        QFont font = label->font();
        font.setBold(task == next);
        label->setFont(font);
    }
    if (next == 0) {
        next_->setText("All 50 tasks done. Well done!");
        return;
    }
    const Lesson* lesson = LessonOfTask(next);
    next_->setText(
        QString("Next: task %1, %2.<br>Its lesson: <a href=\"%3\">%4</a> (F1)")
            .arg(next)
            .arg(QString::fromUtf8(TaskTitle(next).data(), static_cast<int>(TaskTitle(next).size()))
                     .toHtmlEscaped())
            .arg(QString::fromStdString(TaskAnchor(next)))
            .arg(QString::fromUtf8(lesson->title.data(), static_cast<int>(lesson->title.size()))
                     .toHtmlEscaped()));
}

}  // namespace pellix::gui
