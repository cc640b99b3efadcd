// An empty window of the main window's size that quits as soon as it is
// shown: what any Qt program pays to start, to compare pellix against.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Empty");
    window.resize(626, 424);
    window.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
