// The yardsticks of the desktop program's measurements: an empty window of
// the main window's size, or a focused text field with its blinking caret.
//
//   pellix-bench-window empty|lineedit [--quit-after-show first-paint|settled]
//
// Without --quit-after-show it stays open (for idle measurements).
#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <cstring>

#include "gui/PaintWatch.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    bool lineEdit = argc > 1 && std::strcmp(argv[1], "lineedit") == 0;
    const char* quit = argc > 3 && std::strcmp(argv[2], "--quit-after-show") == 0 ? argv[3] : "";

    QWidget window;
    window.setWindowTitle("Yardstick");
    window.resize(626, 424);
    if (lineEdit) {
        auto* layout = new QVBoxLayout(&window);
        auto* field = new QLineEdit(&window);
        layout->addWidget(field);
        field->setFocus();
    }
    window.show();
    auto end = [] { QCoreApplication::exit(0); };
    if (std::strcmp(quit, "first-paint") == 0) pellix::gui::AfterFirstPaint(&window, end);
    if (std::strcmp(quit, "settled") == 0) pellix::gui::AfterPaintSettles(&window, 300, end);
    return app.exec();
}
