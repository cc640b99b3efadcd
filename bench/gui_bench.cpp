// How long the desktop program takes from Enter to a repainted console, as a
// ratio to a focused text field repainting after a key: both windows side by
// side in one process, their keys interleaved. Run it on a real X server
// (bench/run-desktop.sh starts one); offscreen works too.
//
//   pellix-bench-gui [ROUNDS]
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/MainWindow.h"
#include "state/DataFolder.h"
#include "support/TempFolder.h"

namespace {

using Clock = std::chrono::steady_clock;

// Notes when a widget of the watched window has finished painting.
class TimingApp : public QApplication {
  public:
    using QApplication::QApplication;
    QWidget* watched = nullptr;
    bool painted = false;
    Clock::time_point paintedAt;

    bool notify(QObject* receiver, QEvent* event) override {
        bool result = QApplication::notify(receiver, event);
        if (event->type() == QEvent::Paint && receiver->isWidgetType() &&
            static_cast<QWidget*>(receiver)->window() == watched) {
            painted = true;
            paintedAt = Clock::now();
        }
        return result;
    }
};

// Sends one key press and release to the window's focus widget and returns
// the microseconds until the window has repainted.
double KeyToPaint(TimingApp& app, QWidget* window, Qt::Key key, const QString& text) {
    QCoreApplication::processEvents();  // nothing pending before the clock starts
    app.watched = window;
    app.painted = false;
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    auto start = Clock::now();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
    while (!app.painted && Clock::now() - start < std::chrono::seconds(5))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    double us = std::chrono::duration<double, std::micro>(app.paintedAt - start).count();
    QCoreApplication::processEvents();  // whatever the key left for later
    return us;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    TimingApp app(argc, argv);
    int rounds = argc > 1 ? std::atoi(argv[1]) : 21;
    constexpr int kKeysPerRound = 20;

    const pellix::support::TempFolder temp("pellix-bench-gui");  // removed however the run ends
    const std::filesystem::path& folder = temp.Path();
    pellix::PrepareLearnerFolder(folder);

    QWidget fieldWindow;
    fieldWindow.setWindowTitle("Yardstick");
    fieldWindow.resize(626, 424);
    auto* layout = new QVBoxLayout(&fieldWindow);
    auto* field = new QLineEdit(&fieldWindow);
    layout->addWidget(field);

    pellix::gui::MainWindow main(folder);
    main.move(640, 0);

    std::vector<double> fieldTimes, mainTimes;
    for (int round = 0; round < rounds; ++round) {
        fieldWindow.show();
        fieldWindow.activateWindow();
        field->setFocus();
        QTest::qWaitForWindowActive(&fieldWindow, 2000);
        std::vector<double> times;
        for (int k = 0; k < kKeysPerRound; ++k)
            times.push_back(k % 2 ? KeyToPaint(app, &fieldWindow, Qt::Key_Backspace, "\b")
                                  : KeyToPaint(app, &fieldWindow, Qt::Key_A, "a"));
        fieldTimes.push_back(Median(times));

        main.show();
        main.activateWindow();
        QTest::qWaitForWindowActive(&main, 2000);
        times.clear();
        for (int k = 0; k < kKeysPerRound; ++k)
            times.push_back(KeyToPaint(app, &main, Qt::Key_Return, "\r"));
        mainTimes.push_back(Median(times));
    }

    double base = Median(fieldTimes), subject = Median(mainTimes);
    std::printf("Enter to repainted console (medians of %d interleaved rounds of %d keys)\n",
                rounds, kKeysPerRound);
    std::printf("  key to paint  baseline %10.1f us   subject %10.1f us   ratio %6.2f\n", base,
                subject, subject / base);
    return 0;
}
