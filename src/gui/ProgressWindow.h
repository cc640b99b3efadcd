// The Progress window: the 50 tasks with a done mark, "N of 50 tasks done", and the
// next task to do highlighted with a link to its lesson. It opens beside the
// main window, follows every award, and never takes the keyboard from the
// console.
#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "console/Sim.h"
#include "scoring/TaskTable.h"

class QGridLayout;
class QLabel;
class QScrollArea;

namespace pellix::gui {

class ProgressWindow : public QWidget {
    Q_OBJECT
  public:
    // openLesson opens the lessons page at a task's step.
    explicit ProgressWindow(std::function<void(int task)> openLesson);

    // Shows the table's state; cheap when nothing changed.
    void Refresh(const Sim& sim);

    QLabel* Count() const { return count_; }
    QLabel* TaskLabel(int task) const { return tasks_[static_cast<std::size_t>(task)]; }
    QLabel* NextLabel() const { return next_; }
    int Next() const { return shownNext_; }
    // The tasks in two columns where the window is wide enough, else one.
    int Columns() const { return columns_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void LayOut(int columns);

    std::function<void(int)> openLesson_;
    QLabel* count_ = nullptr;
    std::array<QLabel*, kTaskCount + 1> tasks_{};
    QLabel* next_ = nullptr;
    QGridLayout* grid_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    int columns_ = 0;
    TaskTable shown_{};
    int shownNext_ = -1;
};

}  // namespace pellix::gui
