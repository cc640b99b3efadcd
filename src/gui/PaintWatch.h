// Watching a window paint itself, for start-up measurements: run something
// once the window has painted for the first time, or once it has painted
// and then not painted again for a while (the window is fully drawn).
// Header only, so that the measuring yardsticks can use it without linking
// the program.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <utility>

namespace pellix::gui {

// Runs then after the first paint of window (after the whole paint: queued
// calls run after it ends).
inline void AfterFirstPaint(QWidget* window, std::function<void()> then) {
    class Watcher : public QObject {
      public:
        Watcher(QWidget* window, std::function<void()> then)
            : QObject(window), then_(std::move(then)) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint && !fired_) {
                fired_ = true;
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        then_();
                        deleteLater();
                    },
                    Qt::QueuedConnection);
            }
            return false;
        }

      private:
        std::function<void()> then_;
        bool fired_ = false;
    };
    window->installEventFilter(new Watcher(window, std::move(then)));
}

// Runs then once window or any of its children has painted and nothing of
// it has painted again for quietMs.
inline void AfterPaintSettles(QWidget* window, int quietMs, std::function<void()> then) {
    class Watcher : public QObject {
      public:
        Watcher(QWidget* window, int quietMs, std::function<void()> then)
            : QObject(window), window_(window), then_(std::move(then)) {
            quiet_.setSingleShot(true);
            quiet_.setInterval(quietMs);
            // A coarse timer may fire 5% early or late, which would add up to
            // 30 ms of noise to a 300 ms wait that is subtracted as exact.
            quiet_.setTimerType(Qt::PreciseTimer);
            connect(&quiet_, &QTimer::timeout, this, [this] {
                qApp->removeEventFilter(this);
                then_();
            });
            qApp->installEventFilter(this);
        }
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint && watched->isWidgetType() &&
                static_cast<QWidget*>(watched)->window() == window_)
                quiet_.start();
            return false;
        }

      private:
        QWidget* window_;
        QTimer quiet_;
        std::function<void()> then_;
    };
    new Watcher(window, quietMs, std::move(then));
}

}  // namespace pellix::gui
