#include "gui/Widgets.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QSvgRenderer>

// Outside any namespace, as Qt's resource initialiser requires.
static void InitPellixResources() {
    Q_INIT_RESOURCE(pellix);
}

namespace pellix::gui {

namespace {

// Points at the 96 dots per inch of the twip layout (15 twips per pixel).
int PointsToPixels(double points) {
    return static_cast<int>(points * 96.0 / 72.0 + 0.5);
}

constexpr int kLineHeight = 15;  // 225 twips

}  // namespace

QString FromRouter(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToRouter(const QString& text) {
    return text.toLatin1().toStdString();
}

void InitResources() {
    InitPellixResources();
}

QFont ConsoleFont() {
    QFont font("Fixedsys");
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setWeight(QFont::Normal);
    // 9 points is 12 pixels; a bigger fallback family would not fit the line.
    int pixels = PointsToPixels(9);
    font.setPixelSize(pixels);
    while (pixels > 8 && QFontMetrics(font).height() > kLineHeight) font.setPixelSize(--pixels);
    return font;
}

QFont SansFont(double points, bool bold) {
    QFont font("MS Sans Serif");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(PointsToPixels(points));
    font.setBold(bold);
    return font;
}

QFont ProductFont(double points) {
    QFont font("Arial Black");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(PointsToPixels(points));
    font.setWeight(QFont::Black);
    font.setItalic(true);
    return font;
}

// ---- ConsoleLine ----

ConsoleLine::ConsoleLine(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setFrame(false);
    setFont(ConsoleFont());
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setCursor(Qt::IBeamCursor);
}

void ConsoleLine::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    // A read-only field draws no caret of its own.
    if (!hasFocus() || !caretOn_) return;
    QPainter painter(this);
    QRect caret = cursorRect();
    painter.fillRect(QRect(caret.center().x(), caret.top(), 1, caret.height()),
                     palette().color(QPalette::Text));
}

void ConsoleLine::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    caretOn_ = true;
    int flash = QApplication::cursorFlashTime();
    if (flash > 0) blink_.start(flash / 2, this);
    update();
}

void ConsoleLine::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    blink_.stop();
    caretOn_ = false;
    update();
}

void ConsoleLine::timerEvent(QTimerEvent* event) {
    if (event->timerId() != blink_.timerId()) return QLineEdit::timerEvent(event);
    caretOn_ = !caretOn_;
    update();
}

// ---- StatusStrip ----

StatusStrip::StatusStrip(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(192, 192, 192));
    colours.setColor(QPalette::WindowText, QColor(128, 0, 0));
    setPalette(colours);
    setFont(SansFont(9.75, true));
}

void StatusStrip::SetPrinted(const std::vector<std::string>& printed) {
    if (printed == printed_) return;
    printed_ = printed;
    update();
}

void StatusStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    QFontMetrics metrics(font());
    int top = 0;
    for (const std::string& text : printed_) {
        if (top >= height()) break;
        painter.drawText(0, top + metrics.ascent(), FromRouter(text));
        top += metrics.height();
    }
}

// ---- PictureBox ----

PictureBox::PictureBox(const QString& resource, QWidget* parent)
    : QWidget(parent), resource_(resource) {
    InitResources();
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize PictureBox::PictureSize() const {
    return QSvgRenderer(resource_).defaultSize();
}

void PictureBox::paintEvent(QPaintEvent*) {
    qreal ratio = devicePixelRatioF();
    if (pixmap_.isNull() || pixmap_.devicePixelRatio() != ratio) {
        QSvgRenderer renderer(resource_);
        QSize size = renderer.defaultSize();
        pixmap_ = QPixmap(size * ratio);
        pixmap_.setDevicePixelRatio(ratio);
        pixmap_.fill(Qt::white);
        QPainter onto(&pixmap_);
        renderer.render(&onto, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.drawPixmap(0, 0, pixmap_);
}

}  // namespace pellix::gui
