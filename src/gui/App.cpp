#include "gui/App.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <cstdio>
#include <functional>
#include <optional>
#include <utility>

#include "console/About.h"
#include "gui/FrmSim.h"
#include "gui/FrmStart.h"
#include "gui/PaintWatch.h"
#include "gui/Widgets.h"
#include "state/DataFolder.h"

namespace pellix::gui {

int RunPellix(int argc, char** argv) {
    QCoreApplication::setApplicationName("pellix");
    QCoreApplication::setApplicationVersion(PELLIX_VERSION);

    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.setApplicationDescription(
        "Pellix: a router console simulator and practice lab for the Vantric exam.");
    parser.addVersionOption();
    QCommandLineOption dirOption(
        "dir",
        "Keep router1.cfg, user.dat and the TFTP copies in DIR (default: the learner's "
        "data folder, $XDG_DATA_HOME/pellix).",
        "DIR");
    parser.addOption(dirOption);
    // For start-up measurements: quit as soon as the splash or the main
    // window is on screen, or once the splash is fully drawn (no paint for
    // 300 ms); or open the main window at once and stay (idle measurements).
    QCommandLineOption quitOption(
        "quit-after-show", "Quit once WINDOW (splash, splash-settled or main) shows.", "WINDOW");
    quitOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(quitOption);
    QCommandLineOption openMainOption("open-main", "Press Start at once.");
    openMainOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(openMainOption);
    // --help and --version answer before any window system is touched.
    if (parser.parse(arguments)) {
        if (parser.isSet("help") || parser.isSet("help-all")) {
            QString help = parser.helpText();
            help.replace("<executable_name>", "pellix");
            fputs(qPrintable(help), stdout);
            return 0;
        }
        if (parser.isSet("version")) {
            fputs(about::VersionText("pellix").c_str(), stdout);
            return 0;
        }
    }

    // Qt takes its own options (-platform, -style ...) out first.
    QApplication app(argc, argv);
    parser.process(app);
    QString quitAfter = parser.value(quitOption);
    if (parser.isSet(quitOption) && quitAfter != "splash" && quitAfter != "splash-settled" &&
        quitAfter != "main") {
        fputs("pellix: --quit-after-show takes splash, splash-settled or main\n", stderr);
        return 2;
    }
    std::optional<std::filesystem::path> dir;
    if (parser.isSet(dirOption))
        dir = std::filesystem::path(QFile::encodeName(parser.value(dirOption)).toStdString());

    QGuiApplication::setDesktopFileName("pellix");
    InitResources();
    QApplication::setWindowIcon(QIcon(":/pellix.svg"));

    std::filesystem::path folder = LearnerFolder(dir);
    std::string error = PrepareLearnerFolder(folder, CreationFor(dir));
    if (!error.empty()) {
        QMessageBox::critical(
            nullptr, "Pellix",
            "Pellix cannot prepare its data folder:\n" + QString::fromStdString(error));
        return 1;
    }

    frmstart splash(folder);
    // Ends the event loop at once, without asking the windows to close again.
    auto end = [] { QCoreApplication::exit(0); };
    QObject::connect(&splash, &frmstart::finished, &app, end, Qt::QueuedConnection);
    splash.show();

    if (quitAfter == "splash") {
        AfterFirstPaint(&splash, end);
    } else if (quitAfter == "splash-settled") {
        AfterPaintSettles(&splash, 300, end);
    } else if (parser.isSet(openMainOption)) {
        AfterFirstPaint(&splash, [&] { splash.Command1_Click(); });
    } else if (quitAfter == "main") {
        AfterFirstPaint(&splash, [&] {
            splash.Command1_Click();
            AfterFirstPaint(splash.Main(), end);
        });
    }
    int status = app.exec();
    // A score that could not be saved is not a success.
    if (status == 0 && splash.Main() && !splash.Main()->ScoreSaved()) return 1;
    return status;
}

}  // namespace pellix::gui
