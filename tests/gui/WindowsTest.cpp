// The three windows, driven as a learner drives them: clicks and key presses
// delivered as Qt events, checked against what the core alone shows for the
// same events.
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "console/Sim.h"
#include "gui/FrmNetwork.h"
#include "gui/FrmSim.h"
#include "gui/FrmStart.h"
#include "gui/Widgets.h"
#include "replay/Replay.h"
#include "state/DataFolder.h"

using namespace pellix;
using namespace pellix::gui;

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A data folder as a learner's first start leaves it, optionally with a
// saved hostname in "router1.cfg".
struct Folder {
    QTemporaryDir dir;
    std::filesystem::path path() const { return dir.path().toStdString(); }

    explicit Folder(const std::string& hostname = "Router") {
        QVERIFY(dir.isValid());
        std::string config = DeliveredStartupConfig();
        config.replace(config.find("Router"), 6, hostname);
        std::ofstream(path() / "router1.cfg", std::ios::binary) << config;
    }
};

// One key press with the router's character code, as the platform would
// deliver it to the given widget.
void PressKey(QWidget* widget, std::uint16_t code) {
    switch (code) {
        case 13:
            return QTest::keyClick(widget, Qt::Key_Return);
        case 8:
            return QTest::keyClick(widget, Qt::Key_Backspace);
        case 9:
            return QTest::keyClick(widget, Qt::Key_Tab);
        case 27:
            return QTest::keyClick(widget, Qt::Key_Escape);
        default:
            break;
    }
    if (code >= 1 && code <= 26) {
        return QTest::keyClick(widget, static_cast<Qt::Key>(Qt::Key_A + code - 1),
                               Qt::ControlModifier);
    }
    if (code >= 32 && code <= 126) return QTest::keyClick(widget, static_cast<char>(code));
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(QChar(code)),
                        Qt::NoModifier);
}

// Keys go where the platform sends them: to the main window's focused
// control, or the window itself when none has the focus.
QWidget* KeyTarget(FrmSim* main) {
    return main->focusWidget() ? main->focusWidget() : main;
}

std::string Text(const QLineEdit* line) {
    return ToRouter(line->text());
}

// The first note the strip shows, or "".
std::string FirstNote(const std::vector<std::string>& printed) {
    return printed.empty() ? std::string() : printed.front();
}

void CompareScreens(FrmSim* main, const Sim& core, int screen) {
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
    QCOMPARE(FirstNote(main->Strip()->Printed()), FirstNote(snap.pic));
    QCOMPARE(main->Strip()->Printed(), snap.pic);
    QCOMPARE(ToRouter(main->ScoreLabel()->text()), snap.label);
    QCOMPARE(main->Plan() != nullptr && main->Plan()->isVisible(), snap.plan);
}

// Starts the program in a folder: the splash, then "Start".
struct Program {
    frmstart splash;
    FrmSim* main = nullptr;

    explicit Program(const std::filesystem::path& folder) : splash(folder) {
        splash.show();
        QTest::mouseClick(splash.StartButton(), Qt::LeftButton);
        main = splash.Main();
        QVERIFY(main);
        QApplication::setActiveWindow(main);
        QVERIFY(QTest::qWaitForWindowActive(main));
    }
};

bool CaretAtEndOfInputLine(FrmSim* main) {
    QLineEdit* input = main->Line(InputLine);
    return main->focusWidget() == input && input->cursorPosition() == input->text().size();
}

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT

  private slots:
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
};

void WindowsTest::StartShowsWelcomeScreen_data() {
    QTest::addColumn<QString>("hostname");
    QTest::newRow("default hostname") << "Router";
    QTest::newRow("saved hostname") << "R1";
}

void WindowsTest::StartShowsWelcomeScreen() {
    QFETCH(QString, hostname);
    Folder folder(hostname.toStdString());
    frmstart splash(folder.path());
    splash.show();
    QScreen* screen = QGuiApplication::primaryScreen();
    QCOMPARE(splash.geometry().center(), screen->geometry().center());
    QVERIFY(!splash.Main());

    QTest::mouseClick(splash.StartButton(), Qt::LeftButton);
    FrmSim* main = splash.Main();
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
    QVERIFY(QTest::qWaitForWindowActive(main));
    QVERIFY(CaretAtEndOfInputLine(main));
}

void WindowsTest::WindowLayout_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    // Twips at 15 per pixel.
    QTest::newRow("splash picture") << "splash"
                                    << "Picture1" << QRect(8, 8, 617, 281) << "";
    QTest::newRow("splash name") << "splash"
                                 << "Label1" << QRect(232, 296, 161, 49) << "Pellix";
    QTest::newRow("splash line") << "splash"
                                 << "Label2" << QRect(8, 352, 617, 17) << "";
    QTest::newRow("start") << "splash"
                           << "Command1" << QRect(256, 384, 113, 33) << "Start";
    QTest::newRow("panel") << "main"
                           << "Picture1" << QRect(8, 16, 609, 321) << "";
    QTest::newRow("strip") << "main"
                           << "pic" << QRect(8, 344, 609, 22) << "";
    QTest::newRow("score") << "main"
                           << "Lbllevel" << QRect(560, 0, 57, 17) << "OK";
    QTest::newRow("finish") << "main"
                            << "cmdexit" << QRect(8, 384, 121, 25) << "Finish";
    QTest::newRow("show plan") << "main"
                               << "cmdsave" << QRect(496, 384, 121, 25) << "Show Network Plan";
    QTest::newRow("main name") << "main"
                               << "Label1" << QRect(248, 376, 129, 41) << "Pellix";
    QTest::newRow("plan picture") << "plan"
                                  << "network" << QRect(0, 0, 629, 405) << "";
    QTest::newRow("close") << "plan"
                           << "cmdexit" << QRect(456, 288, 97, 33) << "Close";
}

void WindowsTest::WindowLayout() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    Folder folder;
    Program program(folder.path());
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
        QCOMPARE(child->geometry(), geometry);
        if (auto* label = qobject_cast<QLabel*>(child); label && !text.isEmpty())
            QCOMPARE(label->text(), text);
        if (auto* button = qobject_cast<QPushButton*>(child)) QCOMPARE(button->text(), text);
    }
}

void WindowsTest::ConsoleLinesFillThePanel() {
    Folder folder;
    Program program(folder.path());
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
    Program program(folder.path());
    FrmSim* main = program.main;
    // A space typed on a focused button goes to the router, not the button.
    main->FinishButton()->setFocus();
    for (char c : std::string(" enable")) PressKey(main->FinishButton(), c);
    QCOMPARE(main->Line(InputLine)->text(), "Router> enable");
    QVERIFY(!main->Core().Finished());
    main->Line(3)->setFocus();
    PressKey(main->Line(3), 13);
    QCOMPARE(main->Line(19)->text(), "Router> enable");
    QCOMPARE(main->Line(InputLine)->text(), "Router#");
    QCOMPARE(main->Line(3)->text(), "");
    QCOMPARE(main->ScoreLabel()->text(), FromRouter(main->Core().Snap().label));
    QVERIFY(main->ScoreLabel()->text().startsWith("Score:"));
}

void WindowsTest::HelpAndCtrlZ() {
    Folder folder;
    Program program(folder.path());
    FrmSim* main = program.main;
    std::array<std::string, kConsoleLines> welcome = main->Core().Lines();
    for (char c : std::string("show?")) PressKey(KeyTarget(main), c);
    // The help listing scrolls the console; the "?" and what came before it
    // leave the input line.
    QVERIFY(Text(main->Line(0)) != welcome[0] || Text(main->Line(1)) != welcome[1]);
    QCOMPARE(main->Line(InputLine)->text(), "Router>");

    // Ctrl-Z at the user prompt changes nothing; in configuration it leaves.
    PressKey(KeyTarget(main), 26);
    QCOMPARE(main->Line(InputLine)->text(), "Router>");
    for (const char* command : {"enable", "configure terminal"}) {
        for (const char* c = command; *c; ++c) PressKey(KeyTarget(main), *c);
        PressKey(KeyTarget(main), 13);
    }
    QCOMPARE(main->Line(InputLine)->text(), "Router(config)#");
    PressKey(KeyTarget(main), 26);
    QCOMPARE(main->Core().Mode, 2);
    QCOMPARE(main->Line(InputLine)->text(), FromRouter(main->Core().InputText()));
    QVERIFY(main->Line(InputLine)->text().startsWith("Router#"));
}

void WindowsTest::FocusRule() {
    Folder folder;
    Program program(folder.path());
    FrmSim* main = program.main;
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
    main->Timer1_Timer();
    QVERIFY(CaretAtEndOfInputLine(main));

    // While the plan is shown, the tick leaves the focus alone.
    QTest::mouseClick(main->PlanButton(), Qt::LeftButton);
    main->FinishButton()->setFocus();
    main->Timer1_Timer();
    QCOMPARE(main->focusWidget(), main->FinishButton());
    QTest::mouseClick(main->Plan()->CloseButton(), Qt::LeftButton);
    main->Timer1_Timer();
    QVERIFY(CaretAtEndOfInputLine(main));
}

void WindowsTest::NetworkPlan() {
    Folder folder;
    Program program(folder.path());
    FrmSim* main = program.main;
    QVERIFY(!main->Core().Tasks[50]);

    QTest::mouseClick(main->PlanButton(), Qt::LeftButton);
    frmnetwork* plan = main->Plan();
    QVERIFY(plan);
    QVERIFY(plan->isVisible());
    QVERIFY(main->Core().PlanShown());
    QVERIFY(main->Core().Tasks[50]);
    QCOMPARE(main->Strip()->Printed(), main->Core().Snap().pic);
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
    std::string config = ReadFile(folder.path() / "router1.cfg");
    Program program(folder.path());
    FrmSim* main = program.main;
    QTest::mouseClick(main->PlanButton(), Qt::LeftButton);
    QSignalSpy ended(&program.splash, &frmstart::finished);
    QVERIFY(!std::filesystem::exists(folder.path() / "user.dat"));

    if (titleBar)
        main->close();
    else
        QTest::mouseClick(main->FinishButton(), Qt::LeftButton);

    QCOMPARE(ended.count(), 1);
    QVERIFY(main->Core().Finished());
    QVERIFY(main->isHidden());
    QVERIFY(main->Plan()->isHidden());
    std::string score = ReadFile(folder.path() / "user.dat");
    QCOMPARE(std::count(score.begin(), score.end(), '\n'), 50);
    QCOMPARE(ReadFile(folder.path() / "router1.cfg"), config);
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
    QTest::newRow("enable password prompt")
        << "type enable\nenter\ntype configure terminal\nenter\ntype enable password pellix\n"
           "enter\nctrl-z\ntype disable\nenter\ntype enable\nenter\nscreen\ntype wrong\nenter\n"
           "screen\ntype pellix\nenter\nscreen\nfinish\n";
}

namespace {

// Runs a script of router events in the windows and in a plain core side by
// side, comparing the screens at every "screen" event. Returns whether the
// script ended with "finish".
bool DriveBoth(FrmSim* main, Sim& core, const std::string& script) {
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
                main->Timer1_Timer();
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
    Folder guiFolder, coreFolder;
    Program program(guiFolder.path());
    FrmSim* main = program.main;
    Sim core(coreFolder.path());
    core.Form_Load();
    CompareScreens(main, core, 0);

    bool finished = DriveBoth(main, core, script.toStdString());
    if (QTest::currentTestFailed()) return;
    QCOMPARE(main->Core().Finished(), finished);
    if (finished)
        QCOMPARE(ReadFile(guiFolder.path() / "user.dat"), ReadFile(coreFolder.path() / "user.dat"));
}

// The whole exercise, typed and clicked in the windows, earns all 50 tasks.
void WindowsTest::ExerciseReachesFifty() {
    std::string script = ReadFile(PELLIX_EXERCISE_SCRIPT);
    QVERIFY(!script.empty());
    Folder guiFolder, coreFolder;
    for (const Folder* folder : {&guiFolder, &coreFolder}) {
        std::string zeroed;
        for (int k = 1; k <= 50; ++k) zeroed += std::to_string(k) + ",0,0,0\r\n";
        std::ofstream(folder->path() / "user.dat", std::ios::binary) << zeroed;
    }
    Program program(guiFolder.path());
    FrmSim* main = program.main;
    Sim core(coreFolder.path());
    core.Form_Load();

    // The script ends with "finish"; stop just before it to read the label.
    std::string untilFinish = script.substr(0, script.rfind("\nfinish") + 1);
    DriveBoth(main, core, untilFinish);
    if (QTest::currentTestFailed()) return;
    QCOMPARE(main->ScoreLabel()->text(), QString("Score:  50"));
    QTest::mouseClick(main->FinishButton(), Qt::LeftButton);
    std::istringstream saved(ReadFile(guiFolder.path() / "user.dat"));
    std::string record;
    for (int k = 1; k <= 50; ++k) {
        QVERIFY(std::getline(saved, record));
        std::string done = std::to_string(k) + ",1,";
        QVERIFY2(record.starts_with(done), record.c_str());
    }
}

QTEST_MAIN(WindowsTest)
#include "WindowsTest.moc"
