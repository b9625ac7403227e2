// Artwork tool: the outlines of lettering, for pictures drawn as SVG.
// Reads lines "family|pixel size|bold 0/1|text" and prints for each the
// text's width, then per character a TAB, its offset from the start of the
// text, a blank and its outline (SVG path data, baseline at 0; empty for a
// blank). A line with too few fields gives an empty line.
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainterPath>
#include <QTextStream>
#include <QTransform>

namespace {

// Outlines come from a large font scaled down, so that any size, fractions
// included, keeps the shapes of the large one.
constexpr int kDrawPixels = 100;

QString number(double v)
{
    QString s = QString::number(v, 'f', 1);
    if (s.endsWith(QLatin1String(".0")))
        s.chop(2);
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

QString pathData(const QPainterPath &path)
{
    QString d;
    auto point = [](const QPainterPath::Element &e) { return number(e.x) + ',' + number(e.y); };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            d += 'M' + point(e);
        } else if (e.isLineTo()) {
            d += 'L' + point(e);
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            d += 'C' + point(e) + ' ' + point(path.elementAt(i + 1)) + ' '
                 + point(path.elementAt(i + 2));
            i += 2;
        }
    }
    return d;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTextStream in(stdin);
    QTextStream out(stdout);
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList f = line.split('|');
        if (f.size() < 4) {
            out << '\n';
            continue;
        }
        QFont font(f.at(0));
        font.setPixelSize(kDrawPixels);
        font.setBold(f.at(2) == QLatin1String("1"));
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setKerning(false);
        const double k = f.at(1).toDouble() / kDrawPixels;
        const QTransform scale = QTransform::fromScale(k, k);
        const QString text = f.mid(3).join('|');
        const QFontMetricsF metrics(font);

        out << number(k * metrics.horizontalAdvance(text));
        for (int i = 0; i < text.size(); ++i) {
            QPainterPath glyph;
            glyph.addText(QPointF(0, 0), font, text.mid(i, 1));
            out << '\t' << number(k * metrics.horizontalAdvance(text.left(i))) << ' '
                << pathData(scale.map(glyph));
        }
        out << '\n';
    }
    return 0;
}
