#include "app/look.h"

#include <QTest>

class TstLook : public QObject
{
    Q_OBJECT

private slots:
    // The build draws start-up pictures ahead of time; they must be what
    // their SVG draws, in the layout that start-up reads.
    void preDrawnPicturesMatchTheirSvg()
    {
        const std::pair<const char *, QSize> pictures[] = {{":/launcher/background.svg", {440, 336}},
                                                           {":/look/buttonface.svg", {120, 38}},
                                                           {":/look/buttonface-pressed.svg", {120, 38}},
                                                           {":/icon.svg", {32, 32}}};
        for (const auto &[resource, size] : pictures) {
            const QImage shown = artwork(QString::fromLatin1(resource), size).toImage();
            QVERIFY2(!shown.isNull() && shown.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                         == artworkImage(QString::fromLatin1(resource), size, 1.0), resource);
        }
    }
};

QTEST_MAIN(TstLook)
#include "tst_look.moc"
