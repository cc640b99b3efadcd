// pellix-render-pictures OUTDIR SVG...: renders the program's pictures to PNG
// at build time, so that the program paints them at once and needs no SVG
// renderer when it starts. A picture NAME.svg becomes NAME.png at its own
// size, and NAME@2x.png and NAME@3x.png for screens with more pixels; the
// icon pellix.svg becomes pellix-N.png at the icon sizes of the desktop.
//
// The pictures shown as the program starts (the splash at its own size and
// the icon) are also written as pixels ready to paint, in
// OUTDIR/compiled-pictures.cpp (see gui/CompiledPictures.h): decoding their
// PNG would take a quarter of the work before the splash is painted. The
// pixels are those of the PNG as the program would read it, so the windows
// look exactly the same.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

// Whether no pixel of the picture lets anything through.
bool Opaque(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) != 255) return false;
    }
    return true;
}

// The source of the compiled-in pixels, one picture after another.
class CompiledPictures {
  public:
    // Adds the picture of the PNG file path, named as the program asks for it.
    void Add(const QString& path, const QString& resourceName) {
        QImage image = QImage(path, "PNG").convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QByteArray symbol = "kPixels" + QByteArray::number(count_++);
        body_ += "alignas(16) const unsigned char " + symbol + "[] =";
        const auto* bytes = image.constBits();
        constexpr char kHex[] = "0123456789abcdef";
        for (qsizetype at = 0; at < image.sizeInBytes(); ++at) {
            if (at % 32 == 0) body_ += "\n    \"";
            body_ += "\\x";
            body_ += kHex[bytes[at] >> 4];
            body_ += kHex[bytes[at] & 15];
            if (at % 32 == 31 || at + 1 == image.sizeInBytes()) body_ += '"';
        }
        body_ += ";\n";
        table_ += "    {\"" + resourceName.toUtf8() + "\", " + QByteArray::number(image.width()) +
                  ", " + QByteArray::number(image.height()) + ", " +
                  (Opaque(image) ? "true" : "false") + ", " + symbol + "},\n";
    }
    bool Write(const QString& path) const {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        file.write(
            "// Written by pellix-render-pictures: do not edit.\n"
            "#include \"gui/CompiledPictures.h\"\n\n"
            "namespace pellix::gui {\nnamespace {\n");
        file.write(body_);
        file.write("}  // namespace\n\nconst CompiledPicture kCompiledPictures[] = {\n");
        file.write(table_);
        file.write("};\nconst int kCompiledPictureCount = " + QByteArray::number(count_) +
                   ";\n\n}  // namespace pellix::gui\n");
        return file.error() == QFile::NoError;
    }

  private:
    QByteArray body_;
    QByteArray table_;
    int count_ = 0;
};

constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr int kPictureScales[] = {1, 2, 3};

// Pictures are drawn on white, as the windows show them; the icon keeps its
// transparent corners.
bool Render(QSvgRenderer& svg, QSize size, QColor background, const QString& path) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    svg.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    if (image.save(path, "PNG")) return true;
    std::fprintf(stderr, "pellix-render-pictures: cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fputs("usage: pellix-render-pictures OUTDIR SVG...\n", stderr);
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(".");
    CompiledPictures compiled;
    for (int k = 2; k < argc; ++k) {
        QString source = QString::fromLocal8Bit(argv[k]);
        QSvgRenderer svg(source);
        if (!svg.isValid()) {
            std::fprintf(stderr, "pellix-render-pictures: cannot read %s\n", argv[k]);
            return 1;
        }
        QString name = QFileInfo(source).completeBaseName();
        if (name == "pellix") {
            for (int size : kIconSizes) {
                QString file = name + QString("-%1.png").arg(size);
                if (!Render(svg, QSize(size, size), Qt::transparent, out.filePath(file))) return 1;
                compiled.Add(out.filePath(file), ":/" + file);
            }
            continue;
        }
        for (int scale : kPictureScales) {
            QString file = name + (scale == 1 ? QString(".png") : QString("@%1x.png").arg(scale));
            if (!Render(svg, svg.defaultSize() * scale, Qt::white, out.filePath(file))) return 1;
            if (name == "splash" && scale == 1) compiled.Add(out.filePath(file), ":/" + file);
        }
    }
    if (!compiled.Write(out.filePath("compiled-pictures.cpp"))) {
        std::fputs("pellix-render-pictures: cannot write compiled-pictures.cpp\n", stderr);
        return 1;
    }
    return 0;
}
