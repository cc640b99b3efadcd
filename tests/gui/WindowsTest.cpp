// The three windows, driven as a learner drives them: clicks and key presses
// delivered as Qt events, checked against what the core alone shows for the
// same events.
#include <unistd.h>
#include <QClipboard>
#include <QCryptographicHash>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "console/Sim.h"
#include "gui/LessonsBrowser.h"
#include "gui/MainWindow.h"
#include "gui/PlanPlacement.h"
#include "gui/PlanWindow.h"
#include "gui/ProgressWindow.h"
#include "gui/Scaling.h"
#include "gui/SplashWindow.h"
#include "gui/Widgets.h"
#include "replay/Replay.h"
#include "state/DataFolder.h"
#include "support/Files.h"
#include "support/Tasks.h"
#include "support/TempFolder.h"
#include "support/Typing.h"

using namespace pellix;
using namespace pellix::gui;

namespace {

// How long a wait for a window to settle may take before it counts as never
// settling: a safety net far above what a sanitizer build on a busy machine
// needs (each wait ends as soon as its condition holds).
constexpr int kPatienceMs = 120000;

using support::ReadFile;

// A data folder as a learner's first start leaves it, optionally with a
// saved hostname in "router1.cfg".
struct Folder : support::TempFolder {
    explicit Folder(const std::string& hostname = "Router") : support::TempFolder("pellix-gui") {
        Write("router1.cfg", support::ConfigFile().Set(slot::Hostname, hostname).Text());
    }
};

// One key press with the router's character code, as the platform would
// deliver it to the given widget.
void PressKey(QWidget* widget, std::uint16_t code) {
    switch (code) {
        case key::Enter:
            return QTest::keyClick(widget, Qt::Key_Return);
        case key::Backspace:
            return QTest::keyClick(widget, Qt::Key_Backspace);
        case key::Tab:
            return QTest::keyClick(widget, Qt::Key_Tab);
        case key::Escape:
            return QTest::keyClick(widget, Qt::Key_Escape);
        default:
            break;
    }
    if (code >= 1 && code <= key::CtrlZ) {
        return QTest::keyClick(widget, static_cast<Qt::Key>(Qt::Key_A + code - 1),
                               Qt::ControlModifier);
    }
    if (key::Types(code)) return QTest::keyClick(widget, static_cast<char>(code));
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(QChar(code)),
                        Qt::NoModifier);
}

// Keys go where the platform sends them: to the main window's focused
// control, or the window itself when none has the focus.
QWidget* KeyTarget(MainWindow* main) {
    return main->focusWidget() ? main->focusWidget() : main;
}

std::string Text(const QLineEdit* line) {
    return ToRouter(line->text());
}

// The first note the strip shows, or "".
std::string FirstNote(const std::vector<std::string>& printed) {
    return printed.empty() ? std::string() : printed.front();
}

void CompareScreens(MainWindow* main, const Sim& core, int screen) {
    for (int k = 0; k < kConsoleLines; ++k) {
        if (Text(main->Line(k)) != core.Lines()[static_cast<std::size_t>(k)]) {
            QFAIL(qPrintable(QString("screen %1, line %2: window shows \"%3\", core holds \"%4\"")
                                 .arg(screen)
                                 .arg(k)
                                 .arg(main->Line(k)->text(),
                                      FromRouter(core.Lines()[static_cast<std::size_t>(k)]))));
        }
    }
    Snapshot snap = core.Snap();
    QCOMPARE(FirstNote(main->Strip()->Printed()), FirstNote(snap.strip));
    QCOMPARE(main->Strip()->Printed(), snap.strip);
    QCOMPARE(ToRouter(main->ScoreLabel()->text()), snap.label);
    QCOMPARE(main->Plan() != nullptr && main->Plan()->isVisible(), snap.planShown);
}

// Starts the program in a folder: the splash, then "Start".
struct Program {
    SplashWindow splash;
    MainWindow* main = nullptr;

    explicit Program(const std::filesystem::path& folder) : splash(folder) {
        splash.show();
        QTest::mouseClick(splash.StartButton(), Qt::LeftButton);
        main = splash.Main();
        QVERIFY(main);
        QApplication::setActiveWindow(main);
        QVERIFY(QTest::qWaitForWindowActive(main, kPatienceMs));
    }
};

// The windows and the core alone, each on a data folder of its own, started
// after place() has put files into both: the same events must show the same
// in both.
class SideBySide {
  public:
    explicit SideBySide(const std::function<void(const Folder&)>& place = {})
        : placed_(Place(place)), program(guiFolder.Path()), core(coreFolder.Path()) {
        core.Start();
    }

    Folder guiFolder, coreFolder;

  private:
    bool Place(const std::function<void(const Folder&)>& place) {
        if (place)
            for (const Folder* folder : {&guiFolder, &coreFolder}) place(*folder);
        return true;
    }
    bool placed_;

  public:
    Program program;
    MainWindow* const main = program.main;
    Sim core;
};

bool CaretAtEndOfInputLine(MainWindow* main) {
    QLineEdit* input = main->Line(InputLine);
    return main->focusWidget() == input && input->cursorPosition() == input->text().size();
}

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT

    // The learner's configuration folder, where the window's size is kept.
    support::TempFolder config_{"pellix-gui-settings"};

  private slots:
    void initTestCase();
    void init();
    void StartShowsWelcomeScreen_data();
    void StartShowsWelcomeScreen();
    void WindowLayout_data();
    void WindowLayout();
    void ConsoleLinesFillThePanel();
    void KeysReachTheRouterWhicheverControlHasFocus();
    void HelpAndCtrlZ();
    void FocusRule();
    void NetworkPlan();
    void EndingSavesScore_data();
    void EndingSavesScore();
    void SameScreensAsTheCore_data();
    void SameScreensAsTheCore();
    void ExerciseReachesFifty();
    void SameKeysAsTheOtherFrontEnds();

    // The console as a terminal window: size, zoom, keys, copy and paste.
    void ScoreLabelShowsEveryScoreWhole();
    void LayoutScalesAsOne_data();
    void LayoutScalesAsOne();
    void ZoomKeys();
    void SizeIsRemembered();
    void SplashKeysPressStart_data();
    void SplashKeysPressStart();
    void FunctionKeys();
    void CoachHintBesideTheConsole();
    void LessonsAndProgressKeys();
    void LessonsWithoutABrowser();
    void ScrollBackAndBackOnAKey();
    void AssistiveToolsHearOfNewLinesOnly_data();
    void AssistiveToolsHearOfNewLinesOnly();
    void SelectionIsKeptAndCopied();
    void PasteIsTypedKeyByKey_data();
    void PasteIsTypedKeyByKey();
    void PasteOfAWholeConfiguration();
    void PlanPlacement_data();
    void PlanPlacement();
    void PlanLeavesTheInputLineFree();
    void ReadableUnderAnyThemeWithLargeText_data();
    void ReadableUnderAnyThemeWithLargeText();
    void PlanFollowsTheZoom();
    void ProgressTakesOneColumnWhenNarrow();
    void EveryWindowWithinTheScreen_data();
    void EveryWindowWithinTheScreen();
    void ScoreFileNotice_data();
    void ScoreFileNotice();
};

void WindowsTest::initTestCase() {
    QVERIFY(!config_.Path().empty());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(config_.Path().string()));
}

// Every test starts at the window's first size.
void WindowsTest::init() {
    QSettings("pellix", "pellix").clear();
}

void WindowsTest::StartShowsWelcomeScreen_data() {
    QTest::addColumn<QString>("hostname");
    QTest::newRow("default hostname") << "Router";
    QTest::newRow("saved hostname") << "R1";
}

void WindowsTest::StartShowsWelcomeScreen() {
    QFETCH(QString, hostname);
    Folder folder(hostname.toStdString());
    SplashWindow splash(folder.Path());
    splash.show();
    QScreen* screen = QGuiApplication::primaryScreen();
    QCOMPARE(splash.geometry().center(), screen->geometry().center());
    QVERIFY(!splash.Main());

    QTest::mouseClick(splash.StartButton(), Qt::LeftButton);
    MainWindow* main = splash.Main();
    QVERIFY(main);
    QVERIFY(splash.isHidden());
    QVERIFY(main->isVisible());
    QVERIFY(!main->Plan());

    QCOMPARE(main->Line(1)->text(),
             "This router simulator is designed specifically for use with the included");
    QCOMPARE(main->Line(6)->text(), hostname + " con0 is now available");
    QCOMPARE(main->Line(9)->text(), "Press RETURN to get started.");
    QCOMPARE(main->Line(InputLine)->text(), hostname + ">");
    QCOMPARE(main->ScoreLabel()->text(), "OK");
    QVERIFY(main->Strip()->Printed().empty());
    QApplication::setActiveWindow(main);
    QVERIFY(QTest::qWaitForWindowActive(main, kPatienceMs));
    QVERIFY(CaretAtEndOfInputLine(main));
}

void WindowsTest::WindowLayout_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("formName");  // the original form's name, kept for tools
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    // Twips at 15 per pixel.
    const struct {
        const char* row;
        const char* window;
        const char* control;
        const char* formName;
        QRect geometry;
        const char* text;
    } rows[] = {
        {"splash picture", "splash", "splashPicture", "Picture1", {8, 8, 617, 281}, ""},
        {"splash name", "splash", "productName", "Label1", {232, 296, 161, 49}, "Pellix"},
        {"splash line", "splash", "splashLine", "Label2", {8, 352, 617, 17}, ""},
        {"start", "splash", "startButton", "Command1", {256, 384, 113, 33}, "Start"},
        {"panel", "main", "consolePanel", "Picture1", {8, 16, 609, 321}, ""},
        {"strip", "main", "statusStrip", "pic", {8, 344, 609, 22}, ""},
        {"coach hint", "main", "coachHint", "", {8, 366, 609, 11}, ""},
        {"score", "main", "scoreLabel", "Lbllevel", {560, 0, 57, 17}, "OK"},
        {"finish", "main", "finishButton", "cmdexit", {8, 384, 121, 25}, "Finish"},
        {"show plan", "main", "planButton", "cmdsave", {496, 384, 121, 25}, "Show Network Plan"},
        {"main name", "main", "productName", "Label1", {248, 376, 129, 41}, "Pellix"},
        {"plan picture", "plan", "network", "", {0, 0, 629, 405}, ""},
        {"close", "plan", "closeButton", "cmdexit", {456, 288, 97, 33}, "Close"},
    };
    for (const auto& r : rows)
        QTest::newRow(r.row) << r.window << r.control << r.formName << r.geometry << r.text;
}

void WindowsTest::WindowLayout() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, formName);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    Folder folder;
    Program program(folder.Path());
    QTest::mouseClick(program.main->PlanButton(), Qt::LeftButton);

    struct Window {
        QString name;
        QWidget* widget;
        QString caption;
        QSize client;
    } windows[] = {
        {"splash", &program.splash, "Pellix Vantric Practice Lab", {633, 430}},
        {"main", program.main, "Vantric Sim", {626, 424}},
        {"plan", program.main->Plan(), "Pellix Vantric lab environment diagram", {595, 366}},
    };
    for (const Window& w : windows) {
        if (w.name != window) continue;
        QCOMPARE(w.widget->windowTitle(), w.caption);
        QCOMPARE(w.widget->size(), w.client);
        QWidget* child = w.widget->findChild<QWidget*>(control);
        QVERIFY(child);
        if (!formName.isEmpty()) QCOMPARE(child->property("formName").toString(), formName);
        QCOMPARE(child->geometry(), geometry);
        if (auto* label = qobject_cast<QLabel*>(child); label && !text.isEmpty())
            QCOMPARE(label->text(), text);
        if (auto* button = qobject_cast<QPushButton*>(child)) QCOMPARE(button->text(), text);
    }
}

void WindowsTest::ConsoleLinesFillThePanel() {
    Folder folder;
    Program program(folder.Path());
    QWidget* panel = program.main->Panel();
    for (int k = 0; k < kConsoleLines; ++k) {
        QLineEdit* line = program.main->Line(k);
        QCOMPARE(line->parentWidget(), panel);
        QVERIFY(line->isVisible());
        QVERIFY(line->isReadOnly());
        QCOMPARE(line->geometry(), QRect(8, 15 * k, 593, 15));
        QVERIFY(panel->rect().contains(line->geometry()));
        if (k > 0) QCOMPARE(line->y(), program.main->Line(k - 1)->geometry().bottom() + 1);
        // The text fits its line, in a fixed-pitch font.
        QVERIFY(QFontMetrics(line->font()).height() <= line->height());
        QFontMetrics metrics(line->font());
        QCOMPARE(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));
    }
}

void WindowsTest::KeysReachTheRouterWhicheverControlHasFocus() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    // A space typed on a focused button goes to the router, not the button.
    main->FinishButton()->setFocus();
    for (char c : std::string(" enable")) PressKey(main->FinishButton(), c);
    QCOMPARE(main->Line(InputLine)->text(), "Router> enable");
    QVERIFY(!main->Core().Finished());
    main->Line(3)->setFocus();
    PressKey(main->Line(3), key::Enter);
    QCOMPARE(main->Line(19)->text(), "Router> enable");
    QCOMPARE(main->Line(InputLine)->text(), "Router#");
    QCOMPARE(main->Line(3)->text(), "");
    QCOMPARE(main->ScoreLabel()->text(), FromRouter(main->Core().Snap().label));
    QVERIFY(main->ScoreLabel()->text().startsWith("Score:"));
}

void WindowsTest::HelpAndCtrlZ() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    std::array<std::string, kConsoleLines> welcome = main->Core().Lines();
    for (char c : std::string("show?")) PressKey(KeyTarget(main), c);
    // The help listing scrolls the console; the "?" and what came before it
    // leave the input line.
    QVERIFY(Text(main->Line(0)) != welcome[0] || Text(main->Line(1)) != welcome[1]);
    QCOMPARE(main->Line(InputLine)->text(), "Router>");

    // Ctrl-Z at the user prompt changes nothing; in configuration it leaves.
    PressKey(KeyTarget(main), key::CtrlZ);
    QCOMPARE(main->Line(InputLine)->text(), "Router>");
    for (const char* command : {"enable", "configure terminal"}) {
        for (const char* c = command; *c; ++c) PressKey(KeyTarget(main), *c);
        PressKey(KeyTarget(main), key::Enter);
    }
    QCOMPARE(main->Line(InputLine)->text(), "Router(config)#");
    PressKey(KeyTarget(main), key::CtrlZ);
    QCOMPARE(main->Core().CurrentMode(), Mode::PrivilegedExec);
    QCOMPARE(main->Line(InputLine)->text(), FromRouter(main->Core().InputText()));
    QVERIFY(main->Line(InputLine)->text().startsWith("Router#"));
}

void WindowsTest::FocusRule() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    QLineEdit* input = main->Line(InputLine);

    // A click on any line puts the focus and the caret at the end of the
    // input line.
    for (int k : {3, 0, InputLine}) {
        main->FinishButton()->setFocus();
        input->setCursorPosition(0);
        QTest::mouseClick(main->Line(k), Qt::LeftButton, {}, QPoint(4, 7));
        QVERIFY2(CaretAtEndOfInputLine(main),
                 qPrintable(QString("after a click on line %1").arg(k)));
    }

    // So does the timer's tick.
    main->FinishButton()->setFocus();
    input->setCursorPosition(0);
    main->Tick();
    QVERIFY(CaretAtEndOfInputLine(main));

    // While the plan is shown, the tick leaves the focus alone.
    QTest::mouseClick(main->PlanButton(), Qt::LeftButton);
    main->FinishButton()->setFocus();
    main->Tick();
    QCOMPARE(main->focusWidget(), main->FinishButton());
    QTest::mouseClick(main->Plan()->CloseButton(), Qt::LeftButton);
    main->Tick();
    QVERIFY(CaretAtEndOfInputLine(main));
}

void WindowsTest::NetworkPlan() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    QVERIFY(!support::EntryOf(main->Core().Tasks(), task::NetworkPlanShown));

    QTest::mouseClick(main->PlanButton(), Qt::LeftButton);
    PlanWindow* plan = main->Plan();
    QVERIFY(plan);
    QVERIFY(plan->isVisible());
    QVERIFY(main->Core().PlanShown());
    QVERIFY(support::EntryOf(main->Core().Tasks(), task::NetworkPlanShown));
    QCOMPARE(main->Strip()->Printed(), main->Core().Snap().strip);
    // What assistive tools read: the strip's note, the plan's devices.
    QCOMPARE(main->Strip()->accessibleName(), "Status strip");
    QCOMPARE(main->Strip()->accessibleDescription(), "Network Plan displayed");
    QWidget* picture = plan->findChild<QWidget*>("network");
    QCOMPARE(picture->accessibleName(), "Network plan");
    QVERIFY(picture->accessibleDescription().contains("Router2 210.16.54.2"));
    QVERIFY(!main->Strip()->Printed().empty());
    QCOMPARE(plan->Picture()->PictureSize(), QSize(629, 405));

    // Typing in the main window still works while the plan is shown.
    PressKey(main->Line(InputLine), 'x');
    QCOMPARE(main->Line(InputLine)->text(), "Router>x");

    QTest::mouseClick(plan->CloseButton(), Qt::LeftButton);
    QVERIFY(plan->isHidden());
    QVERIFY(!main->Core().PlanShown());

    // The close box hides the plan as "Close" does; the window stays loaded.
    QTest::mouseClick(main->PlanButton(), Qt::LeftButton);
    QCOMPARE(main->Plan(), plan);
    QVERIFY(plan->isVisible());
    plan->close();
    QVERIFY(plan->isHidden());
    QVERIFY(!main->Core().PlanShown());
    QVERIFY(main->isVisible());
}

void WindowsTest::EndingSavesScore_data() {
    QTest::addColumn<bool>("titleBar");
    QTest::newRow("Finish") << false;
    QTest::newRow("title bar close box") << true;
}

void WindowsTest::EndingSavesScore() {
    QFETCH(bool, titleBar);
    Folder folder;
    std::string config = ReadFile(folder.Path() / "router1.cfg");
    Program program(folder.Path());
    MainWindow* main = program.main;
    QTest::mouseClick(main->PlanButton(), Qt::LeftButton);
    QSignalSpy ended(&program.splash, &SplashWindow::finished);
    QVERIFY(!std::filesystem::exists(folder.Path() / "user.dat"));

    if (titleBar)
        main->close();
    else
        QTest::mouseClick(main->FinishButton(), Qt::LeftButton);

    QCOMPARE(ended.count(), 1);
    QVERIFY(main->Core().Finished());
    QVERIFY(main->isHidden());
    QVERIFY(main->Plan()->isHidden());
    std::string score = ReadFile(folder.Path() / "user.dat");
    QCOMPARE(std::count(score.begin(), score.end(), '\n'), 50);
    QCOMPARE(ReadFile(folder.Path() / "router1.cfg"), config);
}

void WindowsTest::SameScreensAsTheCore_data() {
    QTest::addColumn<QString>("script");
    QTest::newRow("enable and show ip route")
        << "type enable\nenter\nscreen\ntype show ip route\nenter\nscreen\nfinish\n";
    QTest::newRow("help and ctrl-z")
        << "type ?\nscreen\nctrl-z\nscreen\ntype enable\nenter\ntype show?\nscreen\n"
           "type configure terminal\nenter\nscreen\ntype ?\nscreen\nctrl-z\nscreen\nfinish\n";
    QTest::newRow("backspace and line feed")
        << "type abc\nbs\nbs\nbs\nbs\nscreen\ntype show version\nlf\nscreen\n";
    QTest::newRow("clicks, ticks and the plan")
        << "click 3\ntick\nplan\ntick\ntype show history\nscreen\nclose-plan\ntick\n"
           "click 20\nenter\nplan\nplan\nscreen\nclose-plan\nscreen\nfinish\n";
    QTest::newRow("keys that type nothing")
        << "key 0\nkey 127\nkey 200\nkey 65535\ntab\nesc\nkey 31\ntype a\nscreen\n";
    QTest::newRow("a line longer than the console")
        << "type " + QString(120, 'w') + "\nenter\nscreen\nenter\nenter\nscreen\n";
    QTest::newRow("history recall, the dialogs and the password prompt")
        << "up\ntype show clock\nenter\ntype enable\nenter\nup\nup\nscreen\ndown\nscreen\n"
           "down\nscreen\nup\nenter\nscreen\ntype copy run tftp\nenter\nup\ndown\nscreen\n"
           "type 1.1.1.1\nenter\nup\nscreen\nenter\ntype configure terminal\nenter\n"
           "type enable password pellix\nenter\nctrl-z\ntype disable\nenter\ntype enable\n"
           "enter\nup\ndown\nscreen\ntype pellix\nenter\nup\nscreen\nfinish\n";
    QTest::newRow("enable password prompt")
        << "type enable\nenter\ntype configure terminal\nenter\ntype enable password pellix\n"
           "enter\nctrl-z\ntype disable\nenter\ntype enable\nenter\nscreen\ntype wrong\nenter\n"
           "screen\ntype pellix\nenter\nscreen\nfinish\n";
}

namespace {

// Runs a script of router events in the windows and in a plain core side by
// side, comparing the screens at every "screen" event. Returns whether the
// script ended with "finish".
bool DriveBoth(MainWindow* main, Sim& core, const std::string& script) {
    std::istringstream lines(script);
    std::string line;
    std::ostringstream ignored;
    int screen = 0;
    bool finished = false;
    while (!finished && std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::optional<Event> event = ParseEvent(line);
        if (!event) {
            QTest::qFail(("not an event: " + line).c_str(), __FILE__, __LINE__);
            return false;
        }
        switch (event->kind) {
            case Event::Key:
                PressKey(KeyTarget(main), static_cast<std::uint16_t>(event->number));
                break;
            case Event::Type:
                for (unsigned char c : event->text) PressKey(KeyTarget(main), c);
                break;
            case Event::Plan:
                QTest::mouseClick(main->PlanButton(), Qt::LeftButton);
                break;
            case Event::ClosePlan:
                if (main->Plan()) QTest::mouseClick(main->Plan()->CloseButton(), Qt::LeftButton);
                break;
            case Event::Click:
                QTest::mouseClick(main->Line(event->number), Qt::LeftButton, {}, QPoint(4, 7));
                break;
            case Event::Tick:
                main->Tick();
                break;
            case Event::Up:
                QTest::keyClick(KeyTarget(main), Qt::Key_Up);
                break;
            case Event::Down:
                QTest::keyClick(KeyTarget(main), Qt::Key_Down);
                break;
            case Event::Finish:
                QTest::mouseClick(main->FinishButton(), Qt::LeftButton);
                break;
            case Event::Screen:
                ++screen;
                break;
            case Event::Skip:
                break;
        }
        finished = !Apply(core, *event, ignored);
        if (event->kind == Event::Screen) CompareScreens(main, core, screen);
        if (QTest::currentTestFailed()) return finished;
        // The main window may have been left for the plan: keys go back to it.
        QApplication::setActiveWindow(main);
    }
    return finished;
}

}  // namespace

// The same events give the same 21 lines, strip and label in the windows as
// in the core alone, and the same score file.
void WindowsTest::SameScreensAsTheCore() {
    QFETCH(QString, script);
    SideBySide runs;
    MainWindow* main = runs.main;
    Sim& core = runs.core;
    CompareScreens(main, core, 0);

    bool finished = DriveBoth(main, core, script.toStdString());
    if (QTest::currentTestFailed()) return;
    QCOMPARE(main->Core().Finished(), finished);
    if (finished) QCOMPARE(runs.guiFolder.Read("user.dat"), runs.coreFolder.Read("user.dat"));
}

// The whole exercise, typed and clicked in the windows, earns all 50 tasks.
void WindowsTest::ExerciseReachesFifty() {
    std::string script = ReadFile(PELLIX_EXERCISE_SCRIPT);
    QVERIFY(!script.empty());
    SideBySide runs([](const Folder& folder) {
        std::map<int, std::string> zeroed;
        for (int task = 1; task <= kTaskCount; ++task) zeroed[task] = "0";
        folder.Write("user.dat", support::ScoreFileText(zeroed));
    });
    MainWindow* main = runs.main;
    Sim& core = runs.core;

    // The script ends with "finish"; stop just before it to read the label.
    std::string untilFinish = script.substr(0, script.rfind("\nfinish") + 1);
    DriveBoth(main, core, untilFinish);
    if (QTest::currentTestFailed()) return;
    QCOMPARE(main->ScoreLabel()->text(), QString("Score:  50"));
    QTest::mouseClick(main->FinishButton(), Qt::LeftButton);
    std::istringstream saved(runs.guiFolder.Read("user.dat"));
    std::string record;
    for (int k = 1; k <= 50; ++k) {
        QVERIFY(std::getline(saved, record));
        std::string done = std::to_string(k) + ",1,";
        QVERIFY2(record.starts_with(done), record.c_str());
    }
}

namespace {

// A line as an 80-column terminal shows it: cut with a marker, spaces at the
// end dropped.
std::string AsShown(std::string line) {
    if (line.size() > 80) line = line.substr(0, 79) + ">";
    return line.substr(0, line.find_last_not_of(' ') + 1);
}

// What the window shows at a "screen" step, in the form every front end's
// run writes it down.
void WriteScreen(MainWindow* main, int check, std::ostream& record) {
    record << "check " << check << "\n";
    if (main->Plan() && main->Plan()->isVisible()) {
        record << "page plan\n";
        return;
    }
    record << "label " << AsShown(ToRouter(main->ScoreLabel()->text())) << "\n";
    record << "scrolled " << main->ScrolledBack() << "\n";
    for (int k = 0; k < kConsoleLines; ++k) {
        const std::string shown = AsShown(Text(main->Line(k)));
        record << (shown.empty() ? "|" : "| " + shown) << "\n";
    }
}

// One step of the shared key script, typed as the learner types it here.
void TypeStep(MainWindow* main, const std::string& step, int& checks, std::ostream& record) {
    const std::string word = step.substr(0, step.find(' '));
    const std::string rest = step.size() > word.size() ? step.substr(word.size() + 1) : "";
    QWidget* target = KeyTarget(main);
    if (word == "type") {
        for (char c : rest) PressKey(KeyTarget(main), static_cast<unsigned char>(c));
    } else if (word == "enter") {
        QTest::keyClick(target, Qt::Key_Return);
    } else if (word == "up" || word == "down") {
        QTest::keyClick(target, word == "up" ? Qt::Key_Up : Qt::Key_Down);
    } else if (word == "pageup" || word == "pagedown") {
        QTest::keyClick(target, word == "pageup" ? Qt::Key_PageUp : Qt::Key_PageDown,
                        Qt::ShiftModifier);
    } else if (word == "ctrl-z") {
        QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier);
    } else if (word == "plan" || word == "close-plan") {
        QTest::keyClick(target, Qt::Key_F2);
        QApplication::setActiveWindow(main);
    } else if (word == "paste") {
        QString text = QString::fromStdString(rest);
        text.replace("\\r", "\r").replace("\\n", "\n");
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(!main->Pasting(), kPatienceMs);
    } else if (word == "progress") {
        QTest::keyClick(target, Qt::Key_F3);
        QVERIFY(main->Progress() && main->Progress()->isVisible());
        record << "progress " << ToRouter(main->Progress()->Count()->text()) << "\n";
        QTest::keyClick(KeyTarget(main), Qt::Key_F3);
    } else if (word == "screen") {
        WriteScreen(main, ++checks, record);
    } else if (word == "finish") {
        QTest::keyClick(target, Qt::Key_F10);
    } else {
        QFAIL(("a step this test cannot type: " + step).c_str());
    }
}

}  // namespace

// The exercise and the comforts around it typed into the window as the
// terminal program's and the browser's runs type them; the web tests compare
// the three records.
void WindowsTest::SameKeysAsTheOtherFrontEnds() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    std::ostringstream record;
    int checks = 0;
    std::vector<std::string> steps;
    for (const char* script : {PELLIX_EXERCISE_SCRIPT, PELLIX_EXTRAS_SCRIPT}) {
        std::istringstream lines(ReadFile(script));
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line.starts_with('#')) continue;
            if (line == "finish" && script == std::string(PELLIX_EXERCISE_SCRIPT)) continue;
            steps.push_back(line);
        }
    }
    for (const std::string& step : steps) {
        TypeStep(main, step, checks, record);
        if (QTest::currentTestFailed()) return;
    }
    std::istringstream saved(folder.Read("user.dat"));
    std::string tasks;
    for (std::string row; std::getline(saved, row);) {
        const std::size_t comma = row.find(',');
        tasks += (tasks.empty() ? "" : " ") +
                 row.substr(comma + 1, row.find(',', comma + 1) - comma - 1);
    }
    record << "tasks " << tasks << "\n";
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArray::fromStdString(folder.Read("router1.cfg")));
    record << "file router1.cfg " << hash.result().toHex().toStdString() << "\n";
    std::ofstream(PELLIX_SAME_KEYS_RECORD, std::ios::binary) << record.str();
    QVERIFY(checks > 0);
}

// ---- The console as a terminal window ----

namespace {

// The controls of the main window's fixed layout at scale 1.
const struct {
    const char* name;
    QRect base;
} kMainLayout[] = {
    {"consolePanel", {8, 16, 609, 321}}, {"statusStrip", {8, 344, 609, 22}},
    {"scoreLabel", {560, 0, 57, 17}},    {"finishButton", {8, 384, 121, 25}},
    {"planButton", {496, 384, 121, 25}}, {"productName", {248, 376, 129, 41}},
};

// Whether a scaled edge is the exact scaled one, rounded.
bool EdgeScaled(int edge, int base, double scale, int origin = 0) {
    return std::abs(edge - origin - base * scale) <= 0.5;
}

bool RectScaled(const QRect& rect, const QRect& base, double scale, QPoint origin = {}) {
    return EdgeScaled(rect.left(), base.left(), scale, origin.x()) &&
           EdgeScaled(rect.top(), base.top(), scale, origin.y()) &&
           EdgeScaled(rect.left() + rect.width(), base.left() + base.width(), scale, origin.x()) &&
           EdgeScaled(rect.top() + rect.height(), base.top() + base.height(), scale, origin.y());
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void SendWheel(QWidget* widget, int notches, Qt::KeyboardModifiers modifiers = {}) {
    QPoint at(4, 4);
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

void Type(MainWindow* main, const std::string& text) {
    for (unsigned char c : text) PressKey(KeyTarget(main), c);
}

// Every file of a folder, by name.
std::map<std::string, std::string> Files(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = ReadFile(entry.path());
    return files;
}

// A script's keys as a learner would paste them: typed text as it stands,
// Enter and line feed as the given line end, other keys as their
// characters; events that are not keys are left out of the paste and of the
// script the core runs.
struct Pasted {
    QString text;
    std::string script;
};

Pasted AsPasted(const std::string& script, const QString& lineEnd) {
    Pasted pasted;
    std::istringstream lines(script);
    std::string line;
    while (std::getline(lines, line)) {
        std::optional<Event> event = ParseEvent(line);
        if (!event) continue;
        if (event->kind == Event::Type) {
            pasted.text += FromRouter(event->text);
        } else if (event->kind == Event::Key) {
            bool enter = event->number == 13 || event->number == 10;
            pasted.text += enter ? lineEnd : QString(QChar(event->number));
        } else {
            continue;
        }
        pasted.script += line + "\n";
    }
    return pasted;
}

void RunOnCore(Sim& core, const std::string& script) {
    std::istringstream lines(script);
    std::string line;
    std::ostringstream ignored;
    while (std::getline(lines, line))
        if (std::optional<Event> event = ParseEvent(line)) Apply(core, *event, ignored);
}

void WaitForPaste(MainWindow* main) {
    QTRY_VERIFY_WITH_TIMEOUT(!main->Pasting(), kPatienceMs);
}

}  // namespace

// "Score:  50", the widest caption, and every other fits the label whole at
// every zoom step, whatever font stands in for the label's.
void WindowsTest::ScoreLabelShowsEveryScoreWhole() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    QLabel* label = main->ScoreLabel();
    QStringList captions{"OK", "Score:  50"};
    for (int score = 0; score <= 50; ++score) captions << QString("Score:  %1").arg(score);
    for (double scale : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0}) {
        QSize size(qRound(626 * scale), qRound(424 * scale));
        main->resize(size);
        QTRY_COMPARE_WITH_TIMEOUT(main->size(), size, kPatienceMs);
        QFontMetrics metrics(label->font());
        QRect room = label->contentsRect();
        for (const QString& caption : captions) {
            QVERIFY2(metrics.horizontalAdvance(caption) <= room.width(),
                     qPrintable(QString("\"%1\" at scale %2: %3 px in %4")
                                    .arg(caption)
                                    .arg(scale)
                                    .arg(metrics.horizontalAdvance(caption))
                                    .arg(room.width())));
            QVERIFY(metrics.height() <= room.height());
        }
    }
}

void WindowsTest::LayoutScalesAsOne_data() {
    QTest::addColumn<QSize>("window");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QPoint>("origin");
    QTest::newRow("first size") << QSize(626, 424) << 1.0 << QPoint(0, 0);
    QTest::newRow("one and a half") << QSize(939, 636) << 1.5 << QPoint(0, 0);
    QTest::newRow("double") << QSize(1252, 848) << 2.0 << QPoint(0, 0);
    QTest::newRow("wider than the layout, centred") << QSize(1252, 636) << 1.5 << QPoint(156, 0);
    QTest::newRow("taller than the layout, centred") << QSize(939, 800) << 1.5 << QPoint(0, 82);
}

void WindowsTest::LayoutScalesAsOne() {
    QFETCH(QSize, window);
    QFETCH(double, scale);
    QFETCH(QPoint, origin);
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    int firstConsolePixels = QFontInfo(main->Line(0)->font()).pixelSize();
    int firstNamePixels = QFontInfo(main->findChild<QLabel*>("productName")->font()).pixelSize();
    main->resize(window);
    QTRY_COMPARE_WITH_TIMEOUT(main->size(), window, kPatienceMs);
    QCOMPARE(main->Scale(), scale);

    for (const auto& control : kMainLayout) {
        QWidget* widget = main->findChild<QWidget*>(control.name);
        QVERIFY(widget);
        QRect expected = scale == 2.0 ? QRect(control.base.topLeft() * 2, control.base.size() * 2)
                                      : control.base;
        if (scale == 1.0 || scale == 2.0) QCOMPARE(widget->geometry(), expected.translated(origin));
        QVERIFY2(RectScaled(widget->geometry(), control.base, scale, origin), control.name);
    }
    // The lines fill the panel as at scale 1: stacked without gaps.
    for (int k = 0; k < kConsoleLines; ++k) {
        QLineEdit* line = main->Line(k);
        QVERIFY(RectScaled(line->geometry(), QRect(8, 15 * k, 593, 15), scale));
        if (k > 0) QCOMPARE(line->y(), main->Line(k - 1)->geometry().bottom() + 1);
        QVERIFY(QFontMetrics(line->font()).height() <= line->height());
    }
    // The fonts grow with the layout.
    QVERIFY(QFontInfo(main->Line(0)->font()).pixelSize() >= int(firstConsolePixels * scale) - 1);
    QCOMPARE(QFontInfo(main->findChild<QLabel*>("productName")->font()).pixelSize(),
             qRound(firstNamePixels * scale));
}

void WindowsTest::ZoomKeys() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    QWidget* input = main->Line(InputLine);
    QTest::keyClick(input, Qt::Key_Equal, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(main->size(), QSize(783, 530), kPatienceMs);
    QCOMPARE(main->Scale(), 1.25);
    QTest::keyClick(input, Qt::Key_Minus, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(main->size(), QSize(626, 424), kPatienceMs);
    // Ctrl+- goes below the first size too, for a small screen.
    QTest::keyClick(input, Qt::Key_Minus, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(main->size(), QSize(548, 371), kPatienceMs);
    QCOMPARE(main->Scale(), 0.875);
    QTest::keyClick(input, Qt::Key_Plus, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(main->size(), QSize(626, 424), kPatienceMs);
    QTest::keyClick(input, Qt::Key_Plus, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(main->size(), QSize(783, 530), kPatienceMs);
    QTest::keyClick(input, Qt::Key_0, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(main->size(), QSize(626, 424), kPatienceMs);
    // The zoom keys type nothing.
    QCOMPARE(main->Line(InputLine)->text(), "Router>");
    QCOMPARE(main->Core().Snap().lines, main->Core().Lines());
}

void WindowsTest::SizeIsRemembered() {
    Folder folder;
    {
        Program program(folder.Path());
        program.main->resize(700, 500);
        QTRY_COMPARE_WITH_TIMEOUT(program.main->size(), QSize(700, 500), kPatienceMs);
        QTest::keyClick(program.main->Line(InputLine), Qt::Key_F10);
    }
    {
        Program program(folder.Path());
        QCOMPARE(program.main->size(), QSize(700, 500));
        program.main->showMaximized();
        program.main->close();
    }
    Program program(folder.Path());
    QVERIFY(program.main->windowState() & Qt::WindowMaximized);
}

void WindowsTest::SplashKeysPressStart_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter") << int(Qt::Key_Enter);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

void WindowsTest::SplashKeysPressStart() {
    QFETCH(int, key);
    Folder folder;
    SplashWindow splash(folder.Path());
    splash.show();
    QApplication::setActiveWindow(&splash);
    QVERIFY(QTest::qWaitForWindowActive(&splash, kPatienceMs));
    QCOMPARE(splash.focusWidget(), splash.StartButton());
    QTest::keyClick(splash.focusWidget(), Qt::Key(key));
    QVERIFY(splash.Main());
    QVERIFY(splash.Main()->isVisible());
    QVERIFY(splash.isHidden());
}

// F2 does what "Show Network Plan" and "Close" do, F10 what "Finish" does.
// F1 opens the lessons at the next task's step; F3 shows the Progress window
// beside the console, which follows the awards and never takes the keyboard.
void WindowsTest::LessonsAndProgressKeys() {
    Folder folder;
    folder.Write("readme.htm", "<!DOCTYPE html><title>lessons</title>");
    std::vector<QUrl> opened;
    UrlOpener kept = LessonsUrlOpener();
    LessonsUrlOpener() = [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    Program program(folder.Path());
    MainWindow* main = program.main;
    QVERIFY(main->ScoreLabel()->toolTip().contains("F1"));
    QVERIFY(main->ScoreLabel()->toolTip().contains("F3"));

    // The browser gets a page that forwards to the step of task 50.
    QTest::keyClick(KeyTarget(main), Qt::Key_F1);
    QCOMPARE(opened.size(), std::size_t{1});
    QVERIFY(opened[0].isLocalFile());
    QFile forward(opened[0].toLocalFile());
    QVERIFY(forward.open(QIODevice::ReadOnly));
    QString target =
        QUrl::fromLocalFile(QString::fromStdString((folder.Path() / "readme.htm").string()))
            .toString() +
        "#task-50";
    QVERIFY2(QString::fromUtf8(forward.readAll()).contains("url=" + target), qPrintable(target));

    QTest::keyClick(KeyTarget(main), Qt::Key_F3);
    ProgressWindow* progress = main->Progress();
    QVERIFY(progress && progress->isVisible());
    QCOMPARE(progress->Count()->text(), "0 of 50 tasks done");
    QCOMPARE(progress->Next(), 50);
    QVERIFY(progress->TaskLabel(50)->font().bold());
    QVERIFY(!progress->frameGeometry().intersects(main->frameGeometry()) ||
            !progress->geometry().contains(main->Line(InputLine)->mapToGlobal(QPoint(0, 0))));
    QVERIFY(QTest::qWaitForWindowExposed(progress, kPatienceMs));
    QCOMPARE(QApplication::activeWindow(), main);
    QVERIFY(CaretAtEndOfInputLine(main));

    // Live: the help key earns task 13, the plan task 50.
    PressKey(KeyTarget(main), '?');
    QCOMPARE(progress->Count()->text(), "1 of 50 tasks done");
    QVERIFY(progress->TaskLabel(13)->text().startsWith(QChar(0x2713)));
    QTest::keyClick(KeyTarget(main), Qt::Key_F2);
    QTest::keyClick(main->Plan()->CloseButton(), Qt::Key_F2);
    QApplication::setActiveWindow(main);
    // The plan's task is done; the score label counts it at the next prompt,
    // and the count says so rather than disagree with the label.
    QCOMPARE(progress->Count()->text(), "2 of 50 tasks done (1 counted at the next prompt)");
    QCOMPARE(ToRouter(main->ScoreLabel()->text()), "Score:  1");
    QCOMPARE(progress->Next(), 7);
    QVERIFY(progress->NextLabel()->text().contains("task-7"));
    emit progress->NextLabel()->linkActivated("task-7");
    QCOMPARE(opened.size(), std::size_t{2});

    QTest::keyClick(KeyTarget(main), Qt::Key_F3);
    QVERIFY(progress->isHidden());
    LessonsUrlOpener() = kept;
}

// F1 where no web browser opens the page (the desktop's opener ends with an
// error, or the page is missing): the window says so, with the file to open
// by hand.
void WindowsTest::LessonsWithoutABrowser() {
    Folder folder, tools;
    tools.Write("xdg-open", "#!/bin/sh\necho 'no browser' >&2\nexit 3\n");
    std::filesystem::permissions(tools.Path() / "xdg-open", std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(tools.Path().string()) + ":" + path);
    const QString page = QString::fromStdString((folder.Path() / "readme.htm").string());
    for (bool pageThere : {true, false}) {
        if (pageThere)
            folder.Write("readme.htm", "<!DOCTYPE html><title>lessons</title>");
        else
            std::filesystem::remove(folder.Path() / "readme.htm");
        Program program(folder.Path());
        MainWindow* main = program.main;
        QTest::keyClick(KeyTarget(main), Qt::Key_F1);
        QTRY_VERIFY_WITH_TIMEOUT(main->Notice() && main->Notice()->isVisible(), kPatienceMs);
        QVERIFY2(main->Notice()->text().contains("No web browser could open the lessons"),
                 qPrintable(main->Notice()->text()));
        QVERIFY(main->Notice()->text().contains(page));
        QCOMPARE(main->Line(InputLine)->text(), "Router>");
        QTest::mouseClick(main->FinishButton(), Qt::LeftButton);
    }
    qputenv("PATH", path);
}

// The coach's hint after a command this lab does not know stands under the
// strip, whole or as what this lab takes, with the whole text as its tool
// tip, until the next command; F4 turns it off and on; the console, the strip
// and the label are the router's whatever the coach does.
void WindowsTest::CoachHintBesideTheConsole() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    Type(main, "enable\rconf t\r");
    const QString whole = FromRouter(main->Core().Hint());
    QVERIFY(!whole.isEmpty());
    QCOMPARE(main->HintLabel()->toolTip(), whole);
    const QString shown = main->HintLabel()->text();
    QVERIFY(shown == whole || shown == FromRouter(main->Core().HintBrief()));
    QVERIFY(shown.contains("`config t`"));
    QCOMPARE(main->Line(InputLine - 1)->text(),
             "Translating 'conf t'... %Unknown command or computer name.");
    QCOMPARE(main->Strip()->Printed(), main->Core().Snap().strip);
    // With no hint, the line names the lab's keys.
    const QString keys = "F1 Lesson  F2 Network Plan  F3 Progress  F4 Hints  F10 Finish";
    QTest::keyClick(KeyTarget(main), Qt::Key_F4);
    QVERIFY(!main->HintsOn());
    QCOMPARE(main->HintLabel()->text(), keys);
    QCOMPARE(main->Line(InputLine)->text(), "Router#");
    QTest::keyClick(KeyTarget(main), Qt::Key_F4);
    QCOMPARE(main->HintLabel()->text(), shown);
    Type(main, "config t\r");
    QCOMPARE(main->HintLabel()->text(), keys);
}

void WindowsTest::FunctionKeys() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    QTest::keyClick(KeyTarget(main), Qt::Key_F2);
    QVERIFY(main->Plan() && main->Plan()->isVisible());
    QVERIFY(support::EntryOf(main->Core().Tasks(), task::NetworkPlanShown));
    QCOMPARE(main->Strip()->Printed(), main->Core().Snap().strip);
    QTest::keyClick(main->Plan()->CloseButton(), Qt::Key_F2);
    QVERIFY(main->Plan()->isHidden());
    QVERIFY(!main->Core().PlanShown());
    // The router's own keys still change nothing there.
    QApplication::setActiveWindow(main);
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Escape, Qt::Key_Left, Qt::Key_Home, Qt::Key_Delete})
        QTest::keyClick(KeyTarget(main), key);
    QCOMPARE(main->Line(InputLine)->text(), "Router>");
    QVERIFY(CaretAtEndOfInputLine(main));
    // Alt with a letter types nothing; Alt+2 is F2, as in the terminal.
    QTest::keyClick(KeyTarget(main), Qt::Key_X, Qt::AltModifier);
    QCOMPARE(main->Line(InputLine)->text(), "Router>");
    QTest::keyClick(KeyTarget(main), Qt::Key_2, Qt::AltModifier);
    QVERIFY(main->Core().PlanShown());
    QTest::keyClick(KeyTarget(main), Qt::Key_2, Qt::AltModifier);
    QVERIFY(!main->Core().PlanShown());
    QApplication::setActiveWindow(main);

    QSignalSpy ended(&program.splash, &SplashWindow::finished);
    QTest::keyClick(KeyTarget(main), Qt::Key_F10);
    QCOMPARE(ended.count(), 1);
    QVERIFY(main->Core().Finished());
    QVERIFY(std::filesystem::exists(folder.Path() / "user.dat"));
}

void WindowsTest::ScrollBackAndBackOnAKey() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    Type(main, "enable\rshow running-config\rshow running-config\r");
    const Sim& core = main->Core();
    Snapshot live = core.Snap();
    int kept = static_cast<int>(core.ScrollBack().size());
    QVERIFY(kept > kConsoleLines);
    QVERIFY(main->ScrollMarker()->isHidden());
    QVERIFY(main->Line(InputLine)->CaretShown());

    SendWheel(main->Line(5), 1);
    QCOMPARE(main->ScrolledBack(), 3);
    QCOMPARE(Text(main->Line(0)), core.ScrollBack()[std::size_t(kept - 3)]);
    QCOMPARE(Text(main->Line(3)), core.Lines()[0]);
    QVERIFY(main->ScrollMarker()->isVisible());
    QVERIFY(main->ScrollMarker()->text().contains("3"));
    for (int k = 0; k < kConsoleLines; ++k) QVERIFY(!main->Line(k)->CaretShown());
    QTest::keyClick(KeyTarget(main), Qt::Key_PageUp, Qt::ShiftModifier);
    QCOMPARE(main->ScrolledBack(), 3 + 20);
    QTest::keyClick(KeyTarget(main), Qt::Key_PageDown, Qt::ShiftModifier);
    QCOMPARE(main->ScrolledBack(), 3);
    SendWheel(main->Panel(), -1);
    QCOMPARE(main->ScrolledBack(), 0);
    QVERIFY(main->ScrollMarker()->isHidden());
    // No further back than the kept lines reach.
    SendWheel(main->Line(0), 1000);
    QCOMPARE(main->ScrolledBack(), kept);
    QCOMPARE(Text(main->Line(0)), core.ScrollBack()[0]);
    // The router's screen, strip and label stay as they were.
    QCOMPARE(core.Snap().lines, live.lines);
    QCOMPARE(main->Strip()->Printed(), live.strip);
    QCOMPARE(ToRouter(main->ScoreLabel()->text()), live.label);

    // A typed key goes to the router and brings the live screen back.
    PressKey(KeyTarget(main), 'x');
    QCOMPARE(main->ScrolledBack(), 0);
    QVERIFY(main->ScrollMarker()->isHidden());
    QCOMPARE(main->Line(InputLine)->text(), "Router#x");
    for (int k = 0; k < kConsoleLines; ++k)
        QCOMPARE(Text(main->Line(k)), core.Lines()[std::size_t(k)]);
    QVERIFY(main->Line(InputLine)->CaretShown());
}

// The top row of the whole text that the console shows.
int TopRow(MainWindow* main) {
    return ConsoleView::RowCount(main->Core()) - kConsoleLines - main->ScrolledBack();
}

void WindowsTest::AssistiveToolsHearOfNewLinesOnly_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("notches");
    QTest::newRow("Enter at the prompt") << ""
                                         << "\r" << 0;
    QTest::newRow("a display") << "enable\rshow version"
                               << "\r" << 0;
    QTest::newRow("a display longer than the console") << "enable\rshow running-config"
                                                       << "\r" << 0;
    QTest::newRow("scrolled back a notch") << "enable\rshow running-config\r"
                                           << "" << 1;
    QTest::newRow("and forward again") << "enable\rshow running-config\r"
                                       << "" << -1;
}

// Each line control tells assistive tools when its text changes. As the
// router prints, only the lines that are new on the console change; the rest
// move up with their controls.
void WindowsTest::AssistiveToolsHearOfNewLinesOnly() {
    QFETCH(QString, typed);
    QFETCH(QString, key);
    QFETCH(int, notches);
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    Type(main, typed.toStdString());
    if (notches < 0) SendWheel(main->Panel(), -notches);
    QStringList told;
    for (int k = 0; k < kConsoleLines; ++k)
        connect(main->Line(k), &QLineEdit::textChanged, main,
                [&told](const QString& text) { told << text; });
    const int top = TopRow(main);

    Type(main, key.toStdString());
    if (notches) SendWheel(main->Panel(), notches);
    const int moved = std::min(std::abs(TopRow(main) - top), kConsoleLines);
    QVERIFY(moved > 0);
    QVERIFY2(told.size() <= moved + 1, qPrintable(QString("%1 rows moved; told of %2 lines: %3")
                                                      .arg(moved)
                                                      .arg(told.size())
                                                      .arg(told.join(" | "))));
    // The console shows the rows in order, each line control named for its
    // row and in that order among the panel's children, as tools read them.
    const QObjectList children = main->Panel()->children();
    for (int k = 0; k < kConsoleLines; ++k) {
        QCOMPARE(Text(main->Line(k)),
                 ConsoleView::RowText(
                     main->Core(), ConsoleView::RowOfLine(main->Core(), k, main->ScrolledBack())));
        QCOMPARE(main->Panel()->findChild<QWidget*>(QString("consoleLine%1").arg(k)),
                 main->Line(k));
        QCOMPARE(main->Line(k)->property("formName").toString(), QString("Txt%1").arg(k));
        QCOMPARE(main->Line(k)->geometry().top(), k == 0
                                                      ? main->Line(0)->geometry().top()
                                                      : main->Line(k - 1)->geometry().bottom() + 1);
        if (k > 0) QVERIFY(children.indexOf(main->Line(k - 1)) < children.indexOf(main->Line(k)));
    }
}

void WindowsTest::SelectionIsKeptAndCopied() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    // From the panel's left margin beside line 1 down to the end of line 2,
    // then back up over line 3 to line 2's end: the selection follows the
    // mouse across lines.
    ConsoleLine* from = main->Line(1);
    SendMouse(main->Panel(), QEvent::MouseButtonPress, QPoint(2, from->y() + 7), Qt::LeftButton,
              Qt::LeftButton);
    SendMouse(from, QEvent::MouseMove, main->Line(3)->geometry().center() - from->pos(),
              Qt::NoButton, Qt::LeftButton);
    SendMouse(from, QEvent::MouseMove,
              QPoint(from->width() - 1, main->Line(2)->y() - from->y() + 7), Qt::NoButton,
              Qt::LeftButton);
    SendMouse(from, QEvent::MouseButtonRelease, QPoint(from->width() - 1, 22), Qt::LeftButton,
              Qt::NoButton);
    QString expected = main->Line(1)->text() + "\n" + main->Line(2)->text();

    // Kept after the release, through the focus rule's tick, highlighted.
    main->Tick();
    QVERIFY(CaretAtEndOfInputLine(main));
    QCOMPARE(FromRouter(main->View().SelectedText(main->Core())), expected);
    QCOMPARE(main->Line(1)->Selected(), std::make_pair(0, int(main->Line(1)->text().size())));
    QCOMPARE(main->Line(2)->Selected(), std::make_pair(0, int(main->Line(2)->text().size())));
    QCOMPARE(main->Line(3)->Selected(), std::make_pair(0, 0));
    if (clipboard->supportsSelection()) QCOMPARE(clipboard->text(QClipboard::Selection), expected);

    for (auto [key, modifiers] :
         {std::pair(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier),
          std::pair(Qt::Key_Insert, Qt::KeyboardModifiers(Qt::ControlModifier))}) {
        clipboard->clear();
        QTest::keyClick(KeyTarget(main), key, modifiers);
        QCOMPARE(clipboard->text(), expected);
    }
    // Copying typed nothing; a typed key ends the selection.
    QCOMPARE(main->Line(InputLine)->text(), "Router>");
    PressKey(KeyTarget(main), 'x');
    QVERIFY(!main->View().HasSelection());
    QCOMPARE(main->Line(1)->Selected(), std::make_pair(0, 0));
}

void WindowsTest::PasteIsTypedKeyByKey_data() {
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("how");
    QTest::newRow("CR LF line ends, one Enter each")
        << "enable\r\nshow clock\r\n\r\nshow history\r\n"
        << "type enable\nenter\ntype show clock\nenter\nenter\ntype show history\nenter\n"
        << "Ctrl+V";
    QTest::newRow("CR and LF alone")
        << "enable\rshow history\nsh h\n\r"
        << "type enable\nenter\ntype show history\nenter\ntype sh h\nenter\nenter\n"
        << "Ctrl+Shift+V";
    QTest::newRow("no line end after the last line") << "enable\r\nshow ver"
                                                     << "type enable\nenter\ntype show ver\n"
                                                     << "Shift+Insert";
    QTest::newRow("keys the router drops, Ctrl-Z and help")
        << QString("en\table\x1b\r\nconf t\n\x01int e0\u00e9\nsh\x1a?x")
        << "type en\ntab\ntype able\nesc\nenter\ntype conf t\nenter\nkey 1\ntype int e0\n"
           "key 233\nenter\ntype sh\nctrl-z\ntype ?\ntype x\n"
        << "middle button";
}

void WindowsTest::PasteIsTypedKeyByKey() {
    QFETCH(QString, pasted);
    QFETCH(QString, typed);
    QFETCH(QString, how);
    SideBySide runs;
    MainWindow* main = runs.main;
    Sim& core = runs.core;
    RunOnCore(core, typed.toStdString());

    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(pasted);
    if (clipboard->supportsSelection()) clipboard->setText(pasted, QClipboard::Selection);
    if (how == "Ctrl+V")
        QTest::keyClick(KeyTarget(main), Qt::Key_V, Qt::ControlModifier);
    else if (how == "Ctrl+Shift+V")
        QTest::keyClick(KeyTarget(main), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    else if (how == "Shift+Insert")
        QTest::keyClick(KeyTarget(main), Qt::Key_Insert, Qt::ShiftModifier);
    else
        QTest::mouseClick(main->Line(4), Qt::MiddleButton, {}, QPoint(4, 7));
    WaitForPaste(main);
    CompareScreens(main, core, 1);
}

// A saved configuration of a few hundred lines, pasted at once, runs command
// by command as if typed, with the window repainting and answering between
// commands.
void WindowsTest::PasteOfAWholeConfiguration() {
    std::string exercise = ReadFile(PELLIX_EXERCISE_SCRIPT);
    std::string script;
    for (int copy = 0; copy < 4; ++copy) script += exercise;
    Pasted pasted = AsPasted(script, "\n");
    QVERIFY(pasted.text.count('\n') >= 250);
    SideBySide runs;
    MainWindow* main = runs.main;
    Sim& core = runs.core;
    RunOnCore(core, pasted.script);

    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    main->Line(InputLine)->installEventFilter(&counter);
    QGuiApplication::clipboard()->setText(pasted.text);
    std::array<std::string, kConsoleLines> before = main->Core().Lines();
    QTest::keyClick(KeyTarget(main), Qt::Key_V, Qt::ControlModifier);
    // The first commands run in the next turns of the event loop, the rest
    // wait for later ones.
    for (int turn = 0; turn < 5 && main->Core().Lines() == before; ++turn)
        QCoreApplication::processEvents();
    QVERIFY(main->Core().Lines() != before);
    QVERIFY(main->Pasting());
    WaitForPaste(main);
    QVERIFY2(counter.paints > 50, qPrintable(QString::number(counter.paints)));
    CompareScreens(main, core, 1);
    QCOMPARE(ToRouter(main->ScoreLabel()->text()), core.Snap().label);
    QCOMPARE(Files(runs.guiFolder.Path()), Files(runs.coreFolder.Path()));
}

void WindowsTest::PlanPlacement_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("mainFrame");
    QTest::addColumn<bool>("beside");
    // The main window's frame: 4 pixels each side, a 22-pixel title.
    auto frame = [](int x, int y) { return QRect(x, y, 626 + 8, 424 + 26); };
    QTest::newRow("1024x768, main at the top left")
        << QRect(0, 0, 1024, 768) << frame(0, 0) << false;
    QTest::newRow("1024x768, main centred") << QRect(0, 0, 1024, 768) << frame(195, 159) << false;
    QTest::newRow("1024x768 under a panel") << QRect(0, 24, 1024, 744) << frame(60, 24) << false;
    QTest::newRow("800x600, main at the top left") << QRect(0, 0, 800, 600) << frame(0, 0) << false;
    QTest::newRow("800x600, main centred") << QRect(0, 0, 800, 600) << frame(83, 75) << false;
    QTest::newRow("1920x1080, room on the right")
        << QRect(0, 0, 1920, 1080) << frame(100, 100) << true;
    QTest::newRow("1920x1080, room on the left")
        << QRect(0, 0, 1920, 1080) << frame(1200, 100) << true;
}

void WindowsTest::PlanPlacement() {
    QFETCH(QRect, screen);
    QFETCH(QRect, mainFrame);
    QFETCH(bool, beside);
    // The input line inside the frame: client at (4, 22), line at (16, 316).
    QRect inputLine(mainFrame.topLeft() + QPoint(4 + 16, 22 + 316), QSize(593, 15));
    // The score at the client's top right.
    QRect score(mainFrame.topLeft() + QPoint(4 + 560, 22), QSize(57, 17));
    QSize plan(595 + 8, 366 + 26);
    QRect place = PlacePlan(screen, mainFrame, inputLine, score, plan);
    QVERIFY(screen.contains(place));
    QVERIFY(!place.intersects(inputLine));
    QVERIFY(!place.intersects(score));
    QVERIFY(place.height() >= 150);
    if (beside) {
        QCOMPARE(place.size(), plan);
        QVERIFY(!place.intersects(mainFrame));
        QCOMPARE(place.top(), mainFrame.top());
    }
}

// Whatever the screen (the tests run at 800x600 and at 1024x768), the plan
// opens off the input line, and keys typed in it reach the console.
// The plan follows the main window's zoom: larger, its picture and button
// scaled with it, and free to grow to the whole picture at that size.
void WindowsTest::PlanFollowsTheZoom() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    QTest::mouseClick(main->PlanButton(), Qt::LeftButton);
    PlanWindow* plan = main->Plan();
    QVERIFY(plan && plan->isVisible());
    const QSize first = plan->size();
    const QSize whole = plan->maximumSize();
    QTest::keyClick(main->Line(InputLine), Qt::Key_Equal, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(main->Scale(), 1.25, kPatienceMs);
    QCOMPARE(plan->Scale(), 1.25);
    QCOMPARE(plan->size(), ScaleRect(QRect(QPoint(0, 0), first), 1.25).size());
    QCOMPARE(plan->maximumSize(), ScaleRect(QRect(QPoint(0, 0), whole), 1.25).size());
    QCOMPARE(plan->Picture()->size(), plan->maximumSize());
    QCOMPARE(plan->CloseButton()->geometry(),
             ScaleRect(QRect(Px(6840), Px(4320), Px(1455), Px(495)), 1.25));
}

// WCAG's contrast ratio of two colours, 1 to 21.
// A desktop theme's palette: the window, its text, the fields (the console
// lines) and the buttons.
QPalette ThemePalette(QColor window, QColor text, QColor base, QColor button) {
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, text);
    // A grey half-way for words that stand back, as desktop themes give.
    palette.setColor(QPalette::PlaceholderText, QColor(128, 128, 128));
    return palette;
}

void WindowsTest::ReadableUnderAnyThemeWithLargeText_data() {
    QTest::addColumn<QPalette>("theme");
    QTest::newRow("dark") << ThemePalette(QColor(45, 45, 48), QColor(230, 230, 230),
                                          QColor(30, 30, 30), QColor(60, 60, 64));
    QTest::newRow("high contrast") << ThemePalette(Qt::black, Qt::white, Qt::black, Qt::black);
    QTest::newRow("high contrast, light")
        << ThemePalette(Qt::white, Qt::black, Qt::white, Qt::white);
}

// Under a dark or high-contrast desktop theme with a large font, as a
// learner's desktop may have them: the lab's own words readable on the
// window, the console panel in the lines' own background, and the buttons'
// words whole. (The router's strip keeps its colours.)
void WindowsTest::ReadableUnderAnyThemeWithLargeText() {
    QFETCH(QPalette, theme);
    const QPalette lightPalette = QApplication::palette();
    const QFont normalFont = QApplication::font();
    QApplication::setPalette(theme);
    QFont large = normalFont;
    large.setPointSizeF(normalFont.pointSizeF() * 1.6);
    QApplication::setFont(large);
    auto restore = qScopeGuard([&] {
        QApplication::setPalette(lightPalette);
        QApplication::setFont(normalFont);
    });

    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    const QColor window = main->palette().color(QPalette::Window);
    auto* name = main->findChild<QLabel*>("productName");
    QVERIFY(ContrastRatio(name->palette().color(QPalette::WindowText), window) >= 4.5);
    // The key names under the console, with no hint to give.
    auto* keys = main->findChild<QLabel*>("coachHint");
    QVERIFY2(keys->text().startsWith("F1 "), qPrintable(keys->text()));
    QVERIFY(ContrastRatio(keys->palette().color(QPalette::WindowText), window) >= 4.5);
    QCOMPARE(main->findChild<QWidget*>("consolePanel")->palette().color(QPalette::Window),
             main->Line(0)->palette().color(QPalette::Base));
    for (QPushButton* button :
         {main->findChild<QPushButton*>("finishButton"), main->PlanButton()}) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        QRect words =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        QVERIFY2(words.width() >= button->fontMetrics().horizontalAdvance(button->text()),
                 qPrintable(button->text()));
    }

    // Back to the usual light theme while it runs: the name navy again.
    if (window.lightness() >= 128) return;
    QApplication::setPalette(lightPalette);
    QTRY_COMPARE_WITH_TIMEOUT(name->palette().color(QPalette::WindowText), QColor(0, 0, 128),
                              kPatienceMs);
}

// Every window, first shown or opened, stands inside the screen's free area
// with its frame. Run at 1366x768 scaled 2 (ctest GuiWindowsOnASmallScreen),
// the splash and the main window are made smaller to fit, and so is a size
// kept from a larger screen.
// Beside the console on a screen that leaves it little room, Progress keeps
// its tasks whole in one column that scrolls up and down, rather than two cut
// at the side; given room again, two.
void WindowsTest::ProgressTakesOneColumnWhenNarrow() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    QTest::keyClick(KeyTarget(main), Qt::Key_F3);
    ProgressWindow* progress = main->Progress();
    QVERIFY(progress && progress->isVisible());
    auto* tasks = progress->findChild<QScrollArea*>("taskList");
    const QSize wide(progress->TaskLabel(1)->fontMetrics().averageCharWidth() * 110,
                     progress->height());
    progress->resize(wide);
    QTRY_COMPARE_WITH_TIMEOUT(progress->Columns(), 2, kPatienceMs);

    for (int width : {wide.width() * 2 / 3, wide.width() / 2}) {
        progress->resize(width, wide.height());
        QTRY_COMPARE_WITH_TIMEOUT(progress->Columns(), 1, kPatienceMs);
        QTRY_VERIFY_WITH_TIMEOUT(!tasks->horizontalScrollBar()->isVisible(), kPatienceMs);
        QTRY_COMPARE_WITH_TIMEOUT(progress->TaskLabel(1)->x(), progress->TaskLabel(kTaskCount)->x(),
                                  kPatienceMs);
        for (int task = 1; task <= kTaskCount; ++task) {
            QLabel* label = progress->TaskLabel(task);
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        }
    }
    progress->resize(wide);
    QTRY_COMPARE_WITH_TIMEOUT(progress->Columns(), 2, kPatienceMs);
    QTRY_VERIFY_WITH_TIMEOUT(progress->TaskLabel(1)->x() < progress->TaskLabel(kTaskCount)->x(),
                             kPatienceMs);
}

void WindowsTest::EveryWindowWithinTheScreen_data() {
    QTest::addColumn<QSize>("kept");
    QTest::newRow("first size") << QSize();
    QTest::newRow("kept from a larger screen") << QSize(3000, 2000);
}

void WindowsTest::EveryWindowWithinTheScreen() {
    QFETCH(QSize, kept);
    if (kept.isValid()) QSettings("pellix", "pellix").setValue("MainWindow/size", kept);
    Folder folder;
    SplashWindow splash(folder.Path());
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash, kPatienceMs));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    auto within = [&screen](const QWidget* window) {
        return qPrintable(QString("%1 %2,%3 %4x%5 on a screen of %6x%7")
                              .arg(window->windowTitle())
                              .arg(window->frameGeometry().x())
                              .arg(window->frameGeometry().y())
                              .arg(window->frameGeometry().width())
                              .arg(window->frameGeometry().height())
                              .arg(screen.width())
                              .arg(screen.height()));
    };
    QVERIFY2(screen.contains(splash.frameGeometry()), within(&splash));
    QVERIFY(
        screen.contains(splash.StartButton()->geometry().translated(splash.geometry().topLeft())));

    QTest::mouseClick(splash.StartButton(), Qt::LeftButton);
    MainWindow* main = splash.Main();
    QVERIFY(main && QTest::qWaitForWindowExposed(main, kPatienceMs));
    QVERIFY2(screen.contains(main->frameGeometry()), within(main));
    QTest::mouseClick(main->PlanButton(), Qt::LeftButton);
    QVERIFY2(screen.contains(main->Plan()->frameGeometry()), within(main->Plan()));
    QTest::keyClick(KeyTarget(main), Qt::Key_F3);
    QVERIFY(main->Progress() && main->Progress()->isVisible());
    QVERIFY2(screen.contains(main->Progress()->frameGeometry()), within(main->Progress()));
    // Its tasks are read whole, scrolled up and down where the room is
    // narrow, never cut at the side.
    auto* tasks = main->Progress()->findChild<QScrollArea*>("taskList");
    QTRY_VERIFY_WITH_TIMEOUT(!tasks->horizontalScrollBar()->isVisible(), kPatienceMs);
    for (int task = 1; task <= kTaskCount; ++task) {
        QLabel* label = main->Progress()->TaskLabel(task);
        QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
    }
    // Updated in place as tasks are done, Progress keeps its size.
    const QSize progressSize = main->Progress()->size();
    PressKey(KeyTarget(main), '?');
    QTRY_COMPARE_WITH_TIMEOUT(main->Progress()->Count()->text(), "2 of 50 tasks done", kPatienceMs);
    QCOMPARE(main->Progress()->size(), progressSize);
    QTest::keyClick(main->Line(InputLine), Qt::Key_Equal, Qt::ControlModifier);
    QVERIFY2(screen.contains(main->frameGeometry()), within(main));
}

void WindowsTest::PlanLeavesTheInputLineFree() {
    Folder folder;
    Program program(folder.Path());
    MainWindow* main = program.main;
    QRect screen = main->screen()->availableGeometry();
    qInfo("screen %dx%d", screen.width(), screen.height());
    QTest::mouseClick(main->PlanButton(), Qt::LeftButton);
    PlanWindow* plan = main->Plan();
    QVERIFY(plan->isVisible());
    QLineEdit* input = main->Line(InputLine);
    QRect inputLine(input->mapToGlobal(QPoint(0, 0)), input->size());
    QVERIFY(!plan->frameGeometry().intersects(inputLine));
    QVERIFY(screen.contains(plan->frameGeometry()));

    QApplication::setActiveWindow(plan);
    QVERIFY(QTest::qWaitForWindowActive(plan, kPatienceMs));
    QWidget* target = plan->focusWidget() ? plan->focusWidget() : plan;
    for (char c : std::string("enable")) PressKey(target, c);
    PressKey(target, key::Enter);
    QTest::keyClick(target, Qt::Key_Up);
    QCOMPARE(input->text(), "Router#enable");
    QVERIFY(plan->isVisible());
    QTest::keyClick(target, Qt::Key_F2);
    QVERIFY(plan->isHidden());
}

void WindowsTest::ScoreFileNotice_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("said");
    QTest::newRow("read-only folder") << "read-only folder"
                                      << "cannot be written";
    QTest::newRow("a folder named user.dat") << "folder in its place"
                                             << "cannot be read";
}

// A score file that cannot be written or read is said once, beside the
// console and never in it, and "Finish" still ends the program.
void WindowsTest::ScoreFileNotice() {
    QFETCH(QString, how);
    QFETCH(QString, said);
    Folder folder, coreFolder;
    std::filesystem::path path = folder.Path();
    if (how == "read-only folder") {
        // File permissions do not stop root: run-tests runs this case again
        // as an ordinary user.
        if (::geteuid() == 0) QSKIP("root writes into read-only folders");
        std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
    } else {
        std::filesystem::create_directory(path / "user.dat");
    }
    struct Writable {
        std::filesystem::path path;
        ~Writable() {
            std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add);
        }
    } writable{path};

    Program program(folder.Path());
    MainWindow* main = program.main;
    Sim core(coreFolder.Path());
    core.Start();
    std::string typed = "enable\rshow history\r";
    Type(main, typed);
    support::TypeKeys(core, typed);

    // Said as soon as the save has failed.
    QVERIFY(main->Notice());
    QMessageBox* notice = main->Notice();
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->windowModality(), Qt::NonModal);
    QVERIFY2(notice->text().contains(said), qPrintable(notice->text()));
    QVERIFY(notice->text().contains(QString::fromStdString((path / "user.dat").string())));
    // The router's screen is the router's: the same as where all is well.
    CompareScreens(main, core, 1);
    // The learner goes on typing; the same failure is not said again.
    PressKey(KeyTarget(main), 'x');
    Type(main, "\r");
    QCOMPARE(main->Line(InputLine - 2)->text(), "Router#x");
    QCoreApplication::processEvents();
    QCOMPARE(main->findChildren<QMessageBox*>().size(), 1);
    QCOMPARE(main->Notice(), notice);

    // It covers neither the score nor the input line, and Escape closes it
    // without reaching the router.
    const QRect shown(notice->mapToGlobal(QPoint(0, 0)), notice->size());
    for (QWidget* kept :
         {static_cast<QWidget*>(main->ScoreLabel()), static_cast<QWidget*>(main->Line(InputLine))})
        QVERIFY(!shown.intersects(QRect(kept->mapToGlobal(QPoint(0, 0)), kept->size())));
    QVERIFY(notice->informativeText().contains("Escape"));
    QTest::keyClick(KeyTarget(main), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!main->Notice() || !main->Notice()->isVisible(), kPatienceMs);
    QCOMPARE(main->Line(InputLine)->text(), "Router#");

    QSignalSpy ended(&program.splash, &SplashWindow::finished);
    QTest::mouseClick(main->FinishButton(), Qt::LeftButton);
    QCOMPARE(ended.count(), 1);
    QVERIFY(main->isHidden());
    QVERIFY(!main->ScoreSaved());
    QVERIFY(!std::filesystem::is_regular_file(path / "user.dat"));
}

QTEST_MAIN(WindowsTest)
#include "WindowsTest.moc"
