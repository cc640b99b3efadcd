#include "gui/App.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <cstdio>
#include <functional>
#include <optional>
#include <utility>

#include "console/About.h"
#include "gui/CommandLine.h"
#include "gui/FontConfiguration.h"
#include "gui/MainWindow.h"
#include "gui/PaintWatch.h"
#include "gui/SplashWindow.h"
#include "gui/Widgets.h"
#include "state/DataFolder.h"
#include "state/LessonsCopy.h"

namespace pellix::gui {

int RunPellix(int argc, char** argv) {
    QCoreApplication::setApplicationName("pellix");
    QCoreApplication::setApplicationVersion(PELLIX_VERSION);

    // The command line is read before any window system is touched, so that
    // --help, --version and a wrong option need no display.
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (line.action) {
        case CommandLine::Action::Help:
            fputs(kHelp, stdout);
            return 0;
        case CommandLine::Action::Version:
            fputs(about::VersionText("pellix").c_str(), stdout);
            return 0;
        case CommandLine::Action::BadUsage:
            fputs(about::BadUsageText("pellix", line.problem, kSynopsis).c_str(), stderr);
            return about::kBadUsage;
        case CommandLine::Action::Run:
            break;
    }

    // Before the window system asks fontconfig for the first font.
    StartFontConfiguration();
    // Qt takes its own options (-platform, -style ...) out.
    QApplication app(argc, argv);

    QGuiApplication::setDesktopFileName("pellix");
    InitResources();
    QApplication::setWindowIcon(ProgramIcon());

    std::filesystem::path folder = LearnerFolder(line.dir);
    std::string error = PrepareLearnerFolder(folder, CreationFor(line.dir));
    if (!error.empty()) {
        // On standard error for a shell or a script, in a dialog for a
        // learner who started it from the menu.
        fprintf(stderr, "pellix: %s\n", error.c_str());
        QMessageBox::critical(
            nullptr, "Pellix",
            "Pellix cannot prepare its data folder:\n" + QString::fromStdString(error));
        return 1;
    }
    // The lessons the welcome text names, beside the learner's files.
    if (auto program = RunningProgramFile())
        if (auto page = InstalledLessonsPage(*program))
            if (std::string problem = PlaceLessonsPage(folder, *page); !problem.empty())
                fprintf(stderr, "pellix: %s\n", problem.c_str());

    SplashWindow splash(folder);
    splash.SetHints(line.hints);
    // Ends the event loop at once, without asking the windows to close again.
    auto end = [] { QCoreApplication::exit(0); };
    QObject::connect(&splash, &SplashWindow::finished, &app, end, Qt::QueuedConnection);
    splash.show();

    if (line.quitAfterShow == "splash") {
        AfterFirstPaint(&splash, end);
    } else if (line.quitAfterShow == "splash-settled") {
        AfterPaintSettles(&splash, 300, end);
    } else if (line.openMain) {
        AfterFirstPaint(&splash, [&] { splash.StartPressed(); });
    } else if (line.quitAfterShow == "main") {
        AfterFirstPaint(&splash, [&] {
            splash.StartPressed();
            AfterFirstPaint(splash.Main(), end);
        });
    }
    int status = app.exec();
    // A score that could not be saved is not a success.
    if (status == 0 && splash.Main() && !splash.Main()->ScoreSaved()) return 1;
    return status;
}

}  // namespace pellix::gui
