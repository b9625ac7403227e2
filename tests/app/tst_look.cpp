#include "app/look.h"

#include <QPushButton>
#include <QTest>

class TstLook : public QObject
{
    Q_OBJECT

private slots:
    // The build draws start-up pictures ahead of time; they must be what
    // their SVG draws, in the layout that start-up reads.
    void preDrawnPicturesMatchTheirSvg_data()
    {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<QSize>("size");
        QTest::newRow("background") << ":/launcher/background.svg" << QSize(440, 336);
        QTest::newRow("face") << ":/look/buttonface.svg" << QSize(120, 38);
        QTest::newRow("pressed face") << ":/look/buttonface-pressed.svg" << QSize(120, 38);
        QTest::newRow("icon") << ":/icon.svg" << QSize(32, 32);
    }
    void preDrawnPicturesMatchTheirSvg()
    {
        QFETCH(QString, resource);
        QFETCH(QSize, size);
        const QImage shown = artwork(resource, size).toImage();
        QCOMPARE(shown.size(), size);
        QVERIFY(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                == artworkImage(resource, size, 1.0));
    }

    void buttonFaceIsLightBlue()
    {
        QPushButton button(QStringLiteral("Exit"));
        button.resize(121, 25);
        applyButtonFace(&button);
        const QColor c = button.grab().toImage().pixelColor(6, 12);
        QVERIFY2(c.blue() > 200 && c.blue() > c.red(), qPrintable(c.name()));
    }
};

QTEST_MAIN(TstLook)
#include "tst_look.moc"
