#include "gui/FrmSim.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <utility>

#include "gui/FrmNetwork.h"
#include "gui/Widgets.h"

namespace pellix::gui {

std::optional<std::uint16_t> KeyCode(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Delete:
            return std::nullopt;  // no character, as on the router's terminal
        default:
            break;
    }
    // Ctrl with a letter is the control character (Ctrl-Z is 26), whatever
    // text the platform attached to it.
    if (event.modifiers() & Qt::ControlModifier) {
        if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
            return static_cast<std::uint16_t>(event.key() - Qt::Key_A + 1);
    }
    QString text = event.text();
    if (text.isEmpty()) return std::nullopt;
    return text.at(0).unicode();
}

FrmSim::FrmSim(std::filesystem::path folder) : sim_(std::move(folder)) {
    InitResources();
    setWindowTitle("Vantric Sim");
    setFixedSize(Px(9390), Px(6360));

    Picture1_ = new QWidget(this);
    Picture1_->setObjectName("Picture1");
    Picture1_->setGeometry(Px(120), Px(240), Px(9135), Px(4815));
    Picture1_->setAutoFillBackground(true);
    QPalette white = Picture1_->palette();
    white.setColor(QPalette::Window, Qt::white);
    Picture1_->setPalette(white);

    Txt_[0] = new ConsoleLine(Picture1_);
    Txt_[0]->setObjectName("Txt0");
    Txt_[0]->setGeometry(Px(120), 0, Px(8895), Px(225));

    pic_ = new StatusStrip(this);
    pic_->setObjectName("pic");
    pic_->setGeometry(Px(120), Px(5160), Px(9135), Px(330));

    Lbllevel_ = new QLabel(this);
    Lbllevel_->setObjectName("Lbllevel");
    Lbllevel_->setGeometry(Px(8400), 0, Px(855), Px(255));

    cmdexit_ = new QPushButton("Finish", this);
    cmdexit_->setObjectName("cmdexit");
    cmdexit_->setGeometry(Px(120), Px(5760), Px(1815), Px(375));
    connect(cmdexit_, &QPushButton::clicked, this, &FrmSim::cmdexit_Click);

    cmdsave_ = new QPushButton("Show Network Plan", this);
    cmdsave_->setObjectName("cmdsave");
    cmdsave_->setGeometry(Px(7440), Px(5760), Px(1815), Px(375));
    connect(cmdsave_, &QPushButton::clicked, this, &FrmSim::cmdsave_Click);

    Label1_ = new QLabel("Pellix", this);
    Label1_->setObjectName("Label1");
    Label1_->setGeometry(Px(3720), Px(5640), Px(1935), Px(615));
    Label1_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1_->setFont(ProductFont(20.25));
    QPalette navy = Label1_->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    Label1_->setPalette(navy);

    Timer1_.setInterval(1000);
    connect(&Timer1_, &QTimer::timeout, this, &FrmSim::Timer1_Timer);

    Form_Load();
}

FrmSim::~FrmSim() = default;

// The start-up sequence: key preview on, the console's lines 1 to 20 under
// line 0, then the core's own start-up (score file, mode, label, startup
// configuration, welcome screen).
void FrmSim::Form_Load() {
    qApp->installEventFilter(this);
    for (int k = 1; k < kConsoleLines; ++k) {
        ConsoleLine* above = Txt_[static_cast<std::size_t>(k - 1)];
        ConsoleLine* line = new ConsoleLine(Picture1_);
        line->setObjectName(QString("Txt%1").arg(k));
        line->setGeometry(above->x(), above->y() + above->height(), above->width(),
                          above->height());
        Txt_[static_cast<std::size_t>(k)] = line;
    }
    sim_.Form_Load();
    Redraw();
    FocusInputLine();
    Timer1_.start();
}

void FrmSim::Redraw() {
    Snapshot snap = sim_.Snap();
    for (int k = 0; k < kConsoleLines; ++k) {
        ConsoleLine* line = Txt_[static_cast<std::size_t>(k)];
        QString text = FromRouter(snap.lines[static_cast<std::size_t>(k)]);
        if (line->text() == text) continue;
        line->setText(text);
        // Lines above the input line show their beginning; the input line
        // keeps its caret behind the last character typed.
        if (k != InputLine) line->setCursorPosition(0);
    }
    pic_->SetPrinted(snap.pic);
    Lbllevel_->setText(FromRouter(snap.label));
}

void FrmSim::FocusInputLine() {
    ConsoleLine* input = Txt_[InputLine];
    input->setFocus();
    input->setCursorPosition(static_cast<int>(input->text().size()));
}

// Key preview: every key typed while this window is active reaches the
// router's key handler first, whichever control has the focus, and no
// control sees it after.
bool FrmSim::eventFilter(QObject* watched, QEvent* event) {
    if (ended_) return false;
    QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonRelease) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;

    if (type == QEvent::KeyPress) {
        std::optional<std::uint16_t> code = KeyCode(*static_cast<QKeyEvent*>(event));
        if (!code) return false;
        sim_.Form_KeyPress(*code);
        Redraw();
        return true;
    }
    if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int k = 0; k < kConsoleLines; ++k)
            if (watched == Txt_[static_cast<std::size_t>(k)]) Txt_Click(k);
    }
    return false;
}

void FrmSim::Txt_Click(int index) {
    if (sim_.Txt_Click(index)) FocusInputLine();
    Redraw();
}

void FrmSim::Timer1_Timer() {
    if (ended_) return;
    if (sim_.Timer1_Timer()) FocusInputLine();
    Redraw();
}

void FrmSim::cmdsave_Click() {
    sim_.ShowNetworkPlan();
    Redraw();
    if (!plan_) {
        plan_ = std::make_unique<frmnetwork>();
        connect(plan_.get(), &frmnetwork::closeRequested, this, &FrmSim::ClosePlan);
    }
    plan_->show();
    plan_->raise();
    plan_->activateWindow();
}

void FrmSim::ClosePlan() {
    sim_.CloseNetworkPlan();
    plan_->hide();
    Redraw();
}

void FrmSim::cmdexit_Click() {
    EndProgram();
    close();
}

// The title bar's close box does what "Finish" does.
void FrmSim::closeEvent(QCloseEvent* event) {
    EndProgram();
    event->accept();
}

// Saves the score file and ends the program: no further event reaches the
// router.
void FrmSim::EndProgram() {
    if (ended_) return;
    ended_ = true;
    Timer1_.stop();
    sim_.Finish();
    if (plan_) plan_->hide();
    emit finished();
}

}  // namespace pellix::gui
