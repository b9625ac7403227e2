// Build-time tool: draws an SVG picture into raw premultiplied ARGB pixels
// (native 32-bit words, row after row), which start-up shows without decoding.
//   rm-render-artwork <picture.svg> <width> <height> <output>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: rm-render-artwork picture.svg width height output\n");
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    const int width = args.at(2).toInt();
    const int height = args.at(3).toInt();
    if (!renderer.isValid() || width <= 0 || height <= 0) {
        std::fprintf(stderr, "cannot render %s\n", qPrintable(args.at(1)));
        return 1;
    }
    QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter p(&picture);
        renderer.render(&p);
    }
    QFile out(args.at(4));
    if (!out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args.at(4)));
        return 1;
    }
    for (int y = 0; y < height; ++y)
        out.write(reinterpret_cast<const char *>(picture.constScanLine(y)), qint64(width) * 4);
    out.close();
    return out.error() == QFileDevice::NoError ? 0 : 1;
}
