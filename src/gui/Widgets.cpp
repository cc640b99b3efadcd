#include "gui/Widgets.h"

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QImageReader>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <cmath>
#include <memory>

#include "gui/CompiledPictures.h"

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

// The blank left of a line's text, as a text field leaves it.
constexpr int kTextMargin = 2;

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

// The console's and labels' typefaces are asked for by the families Debian
// installs with the program (fonts-dejavu-core), so that finding them is one
// step; the style hints keep the kind of type where those are missing.
constexpr char kFixedFamily[] = "DejaVu Sans Mono";
constexpr char kSansFamily[] = "DejaVu Sans";

QFont ConsoleFont(double scale, int lineHeight) {
    QFont font(kFixedFamily);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setWeight(QFont::Normal);
    // 9 points is 12 pixels; a bigger fallback family would not fit the line.
    int pixels = static_cast<int>(PointsToPixels(9) * scale + 0.5);
    font.setPixelSize(pixels);
    while (pixels > 8 && QFontMetrics(font).height() > lineHeight) font.setPixelSize(--pixels);
    return font;
}

QFont SansFont(double points, bool bold) {
    QFont font(kSansFamily);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(PointsToPixels(points));
    font.setBold(bold);
    return font;
}

QFont ProductFont(double points) {
    QFont font(kSansFamily);
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

void ConsoleLine::SetSelected(int first, int last) {
    if (last <= first) first = last = 0;
    if (first == selectedFirst_ && last == selectedLast_) return;
    selectedFirst_ = first;
    selectedLast_ = last;
    update();
}

void ConsoleLine::SetCaretShown(bool shown) {
    if (shown == caretShown_) return;
    caretShown_ = shown;
    update();
}

void ConsoleLine::RestartBlink() {
    caretOn_ = true;
    if (blink_.isActive()) blink_.start(QApplication::cursorFlashTime() / 2, this);
    update();
}

int ConsoleLine::Shift() const {
    if (!caretShown_) return 0;
    QFontMetrics metrics(font());
    int room = width() - 2 * kTextMargin;
    int needed = metrics.horizontalAdvance(text()) + metrics.horizontalAdvance(QLatin1Char('M'));
    return std::max(0, needed - room);
}

int ConsoleLine::ColumnX(int column) const {
    return kTextMargin - Shift() + QFontMetrics(font()).horizontalAdvance(text().left(column));
}

QRect ConsoleLine::CaretCell() const {
    QFontMetrics metrics(font());
    int column = cursorPosition();
    QChar under = column < text().size() ? text().at(column) : QLatin1Char(' ');
    return QRect(ColumnX(column), (height() - metrics.height()) / 2,
                 metrics.horizontalAdvance(under), metrics.height());
}

int ConsoleLine::ColumnAt(int x) const {
    QFontMetrics metrics(font());
    QString line = text();
    int left = kTextMargin - Shift();
    for (int column = 0; column < line.size(); ++column) {
        int advance = metrics.horizontalAdvance(line.at(column));
        if (x < left + advance / 2) return column;
        left += advance;
    }
    return static_cast<int>(line.size());
}

void ConsoleLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QPalette colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::Base));
    QFontMetrics metrics(font());
    QString line = text();
    int top = (height() - metrics.height()) / 2;
    int baseline = top + metrics.ascent();
    painter.setPen(colours.color(QPalette::Text));
    painter.drawText(ColumnX(0), baseline, line);

    if (selectedLast_ > selectedFirst_) {
        QRect marked(ColumnX(selectedFirst_), 0, ColumnX(selectedLast_) - ColumnX(selectedFirst_),
                     height());
        painter.fillRect(marked, colours.color(QPalette::Active, QPalette::Highlight));
        painter.setClipRect(marked);
        painter.setPen(colours.color(QPalette::Active, QPalette::HighlightedText));
        painter.drawText(ColumnX(0), baseline, line);
        painter.setClipping(false);
    }

    if (!caretShown_) return;
    QRect cell = CaretCell();
    if (hasFocus() && window()->isActiveWindow()) {
        if (!caretOn_) return;
        painter.fillRect(cell, colours.color(QPalette::Text));
        painter.setClipRect(cell);
        painter.setPen(colours.color(QPalette::Base));
        painter.drawText(ColumnX(0), baseline, line);
        painter.setClipping(false);
    } else {
        painter.setPen(colours.color(QPalette::Text));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
    }
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
    caretOn_ = true;
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

// ---- Pictures ----

QString PictureFile(const QString& name, qreal ratio) {
    if (ratio > 2) return ":/" + name + "@3x.png";
    if (ratio > 1) return ":/" + name + "@2x.png";
    return ":/" + name + ".png";
}

namespace {

// The pixels of one of the pictures shown as the program starts, compiled
// in, or a null image.
QImage CompiledImage(const QString& file) {
    for (int k = 0; k < kCompiledPictureCount; ++k) {
        const CompiledPicture& picture = kCompiledPictures[k];
        if (file == QLatin1String(picture.file))
            return QImage(
                picture.pixels, picture.width, picture.height, picture.width * 4,
                picture.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    }
    return {};
}

// A reader of one of the program's own PNG pictures, told its format: left to
// guess, Qt would load every image plugin it has (SVG, GIF, ICO, JPEG) to ask
// each whether it reads PNG.
std::unique_ptr<QImageReader> PngReader(const QString& file) {
    auto reader = std::make_unique<QImageReader>(file, "png");
    reader->setAutoDetectImageFormat(false);
    return reader;
}

// The picture, from the pixels compiled in (shared, not copied) or its PNG.
QPixmap ReadPicture(const QString& file) {
    QImage compiled = CompiledImage(file);
    if (!compiled.isNull()) return QPixmap::fromImage(compiled);
    return QPixmap::fromImageReader(PngReader(file).get());
}

QSize PictureFileSize(const QString& file) {
    QImage compiled = CompiledImage(file);
    return compiled.isNull() ? PngReader(file)->size() : compiled.size();
}

}  // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(ReadPicture(QString(":/pellix-%1.png").arg(size)));
    return icon;
}

// ---- PictureBox ----

PictureBox::PictureBox(const QString& name, QWidget* parent) : QWidget(parent), name_(name) {
    InitResources();
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize PictureBox::PictureSize() const {
    return PictureFileSize(PictureFile(name_, 1));
}

void PictureBox::paintEvent(QPaintEvent*) {
    // Rendered for the screen's pixel ratio times the box's own scale, so the
    // picture stays sharp when the window is zoomed.
    const qreal screenRatio = devicePixelRatioF();
    const qreal ratio = screenRatio * scale_;
    const QSize size = PictureSize();
    const QSize pixels(qRound(size.width() * ratio), qRound(size.height() * ratio));
    if (pixmap_.isNull() || pixmap_.devicePixelRatio() != screenRatio || pixmap_.size() != pixels) {
        // The rendering nearest above that ratio, made to fit it.
        QPixmap rendered = ReadPicture(PictureFile(name_, ratio));
        if (rendered.size() == pixels) {  // a rendering for this very ratio
            pixmap_ = rendered;
        } else {
            pixmap_ = QPixmap(pixels);
            pixmap_.fill(Qt::white);
            QPainter onto(&pixmap_);
            onto.setRenderHint(QPainter::SmoothPixmapTransform);
            onto.drawPixmap(QRect(QPoint(0, 0), pixels), rendered, rendered.rect());
        }
        pixmap_.setDevicePixelRatio(screenRatio);
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.drawPixmap(0, 0, pixmap_);
}

QColor AccentColour(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() >= 128 ? QColor(0, 0, 128)
                                                              : QColor(150, 190, 255);
}

double ContrastRatio(const QColor& one, const QColor& other) {
    auto luminance = [](const QColor& colour) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
               0.0722 * channel(colour.blueF());
    };
    const double a = luminance(one);
    const double b = luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor QuietColour(const QPalette& palette) {
    const QColor window = palette.color(QPalette::Window);
    const QColor quiet = palette.color(QPalette::PlaceholderText);
    // A see-through colour as it shows on the window.
    const double alpha = quiet.alphaF();
    const QColor shown =
        QColor::fromRgbF(static_cast<float>(quiet.redF() * alpha + window.redF() * (1 - alpha)),
                         static_cast<float>(quiet.greenF() * alpha + window.greenF() * (1 - alpha)),
                         static_cast<float>(quiet.blueF() * alpha + window.blueF() * (1 - alpha)));
    return ContrastRatio(shown, window) >= kReadableContrast ? shown
                                                             : palette.color(QPalette::WindowText);
}

int ButtonWidthForText(const QPushButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    const QRect contents =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    return button.fontMetrics().horizontalAdvance(button.text()) + button.width() -
           contents.width();
}

void NameControl(QObject* control, const QString& role, const char* formName) {
    control->setObjectName(role);
    control->setProperty("formName", QString::fromLatin1(formName));
}

}  // namespace pellix::gui
