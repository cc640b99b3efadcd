#include "gui/LessonsBrowser.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "state/LessonsCopy.h"

namespace pellix::gui {

namespace {

// A folder of the learner's own for the forwarding page: the session's
// runtime folder, else a temporary folder kept while the program runs.
QString ForwardFolder() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime;
    }
    static QTemporaryDir temporary;
    return temporary.isValid() ? temporary.path() : QString();
}

}  // namespace

OpenFailed& LessonsOpenFailed() {
    static OpenFailed failed = [] {};
    return failed;
}

// The desktop's opener, xdg-open, watched to its end: it fails late (no
// browser, no handler for files) with an exit status. The process is never
// killed with the program: a browser it started in the foreground lives on.
UrlOpener& LessonsUrlOpener() {
    static UrlOpener opener = [](const QUrl& url) {
        const QString tool = QStandardPaths::findExecutable("xdg-open");
        if (tool.isEmpty()) return QDesktopServices::openUrl(url);
        auto* process = new QProcess();
        auto ended = [process](bool worked) {
            if (!worked) LessonsOpenFailed()();
            process->deleteLater();
        };
        QObject::connect(process, &QProcess::finished, process,
                         [ended](int code, QProcess::ExitStatus status) {
                             ended(status == QProcess::NormalExit && code == 0);
                         });
        QObject::connect(process, &QProcess::errorOccurred, process,
                         [ended](QProcess::ProcessError error) {
                             if (error == QProcess::FailedToStart) ended(false);
                         });
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        process->start(tool, {url.toString()});
        return true;
    };
    return opener;
}

bool OpenLessons(const std::filesystem::path& folder, int task) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(folder / kLessonsPageFile, ec)) return false;
    const QString target = QString::fromStdString(LessonsPageUrl(folder, task));
    if (task == 0) return LessonsUrlOpener()(QUrl(target));

    const QString folderForPage = ForwardFolder();
    if (folderForPage.isEmpty()) return LessonsUrlOpener()(QUrl(target));
    const QString forward = QDir(folderForPage).filePath("pellix-lessons.htm");
    QSaveFile file(forward);
    if (!file.open(QIODevice::WriteOnly)) return LessonsUrlOpener()(QUrl(target));
    const QString escaped = target.toHtmlEscaped();
    file.write(QString("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta http-equiv=\"refresh\" content=\"0; url=%1\">\n"
                       "<title>Pellix lessons</title>\n</head>\n<body>\n"
                       "<p><a href=\"%1\">Open the lessons</a></p>\n</body>\n</html>\n")
                   .arg(escaped)
                   .toUtf8());
    if (!file.commit()) return LessonsUrlOpener()(QUrl(target));
    return LessonsUrlOpener()(QUrl::fromLocalFile(forward));
}

}  // namespace pellix::gui
