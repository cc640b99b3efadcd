// pellix-render-pictures OUTDIR SVG...: renders the program's pictures to PNG
// at build time, so that the program paints them at once and needs no SVG
// renderer when it starts. A picture NAME.svg becomes NAME.png at its own
// size, and NAME@2x.png and NAME@3x.png for screens with more pixels; the
// icon pellix.svg becomes pellix-N.png at the icon sizes of the desktop.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

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
    for (int k = 2; k < argc; ++k) {
        QString source = QString::fromLocal8Bit(argv[k]);
        QSvgRenderer svg(source);
        if (!svg.isValid()) {
            std::fprintf(stderr, "pellix-render-pictures: cannot read %s\n", argv[k]);
            return 1;
        }
        QString name = QFileInfo(source).completeBaseName();
        if (name == "pellix") {
            for (int size : kIconSizes)
                if (!Render(svg, QSize(size, size), Qt::transparent,
                            out.filePath(name + QString("-%1.png").arg(size))))
                    return 1;
            continue;
        }
        for (int scale : kPictureScales) {
            QString suffix = scale == 1 ? QString(".png") : QString("@%1x.png").arg(scale);
            if (!Render(svg, svg.defaultSize() * scale, Qt::white, out.filePath(name + suffix)))
                return 1;
        }
    }
    return 0;
}
