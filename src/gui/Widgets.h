// The small pieces the three windows are built from: twip measures, the fonts
// the layout names (with their nearest installed kin), the console line, the
// status strip and the picture box.
#pragma once

#include <QBasicTimer>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QPushButton;

namespace pellix::gui {

// The layout is measured in twips; the windows draw at 15 twips per pixel and
// leave any further scaling to Qt.
constexpr int Px(int twips) {
    return twips / 15;
}

// The router's texts are 8-bit: byte k shows as the character k.
QString FromRouter(std::string_view text);
std::string ToRouter(const QString& text);

// A fixed-pitch 9 point for the console lines, sized so that a line fits its
// height (15 pixels at scale 1); the nearest fixed-pitch family where it is
// missing.
QFont ConsoleFont(double scale = 1, int lineHeight = 15);
// The sans-serif in the given points, bold when asked: the strip and buttons.
QFont SansFont(double points, bool bold);
// The sans-serif in the given points, black and italic: the product name.
QFont ProductFont(double points);

// Loads the pictures, icon and texts compiled into the program.
void InitResources();

// Names a control by its role (its objectName) and keeps the name the
// original form gave it as the property "formName", for tools that find
// controls by those names.
void NameControl(QObject* control, const QString& role, const char* formName);

// One console line: a read-only text field that draws its text as a
// terminal does: in the console font, with a part of it selected, and with a
// block caret where typing goes when it is the live input line.
class ConsoleLine : public QLineEdit {
    Q_OBJECT
  public:
    explicit ConsoleLine(QWidget* parent);

    // Shows the columns [first, last) as selected (none when equal).
    void SetSelected(int first, int last);
    std::pair<int, int> Selected() const { return {selectedFirst_, selectedLast_}; }
    // Whether the line shows the caret: only the input line of the live
    // screen does, solid while it has the focus, hollow otherwise.
    void SetCaretShown(bool shown);
    bool CaretShown() const { return caretShown_; }
    // The caret shows solid again at once, as after a key.
    void RestartBlink();
    // The caret's cell, in the line's coordinates.
    QRect CaretCell() const;
    // The column boundary nearest to x.
    int ColumnAt(int x) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    // How far the text is moved left so that the caret stays in sight.
    int Shift() const;
    int ColumnX(int column) const;

    QBasicTimer blink_;
    bool caretOn_ = false;
    bool caretShown_ = false;
    int selectedFirst_ = 0;
    int selectedLast_ = 0;
};

// The status strip "pic": the notes printed since its last clear, one text
// line each from its top-left corner; the strip is one line high, so a second
// note falls at its lower edge and is cut off.
class StatusStrip : public QWidget {
    Q_OBJECT
  public:
    explicit StatusStrip(QWidget* parent);
    void SetPrinted(const std::vector<std::string>& printed);
    const std::vector<std::string>& Printed() const { return printed_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<std::string> printed_;
};

// The program's pictures are compiled in as PNG renderings of the drawings in
// assets/: NAME.png at the picture's own size, NAME@2x.png and NAME@3x.png.
// The rendering for a screen of the given pixel ratio:
QString PictureFile(const QString& name, qreal ratio);
// The program's icon, at every size it was rendered at.
QIcon ProgramIcon();

// A picture area showing a picture ("splash", "network") at its natural
// pixel size from its top-left corner; whatever does not fit is cut off.
// The colour of the lab's own words (its name, the coach's hint): navy where
// the palette's window is light, a light blue where it is dark.
QColor AccentColour(const QPalette& palette);

// How far apart two colours stand for the eye (1 to 21), and the least that
// keeps small words readable.
double ContrastRatio(const QColor& one, const QColor& other);
inline constexpr double kReadableContrast = 4.5;
// The colour of words that should stand back (the key names under the
// console): the palette's placeholder colour where it is readable on the
// window, else the window's own text colour.
QColor QuietColour(const QPalette& palette);

// The narrowest a push button can be and still show its words whole in the
// place its style gives them.
int ButtonWidthForText(const QPushButton& button);

class PictureBox : public QWidget {
    Q_OBJECT
  public:
    PictureBox(const QString& name, QWidget* parent);
    QSize PictureSize() const;
    // The picture drawn at this scale of its own size (the box scaled with it).
    void SetScale(double scale) {
        scale_ = scale;
        update();
    }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString name_;
    QPixmap pixmap_;  // rendered on first paint, at the screen's pixel ratio
    double scale_ = 1.0;
};

}  // namespace pellix::gui
