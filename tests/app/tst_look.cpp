#include "app/look.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontInfo>
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

    // A drop-down list opens as wide as its longest item, also one that the
    // user may type in, whose box is narrower.
    // The titles grow with the window face, which is sized in pixels.
    void scaledFaceGrows()
    {
        const QFont face = windowFont(QFont());
        QCOMPARE(QFontInfo(scaledFont(face, 1.5)).pixelSize(),
                 qRound(QFontInfo(face).pixelSize() * 1.5));
        QFont points;
        points.setPointSizeF(8);
        QCOMPARE(scaledFont(points, 1.5).pointSizeF(), 12.0);
    }

    void listIsAsWideAsItsLongestItem()
    {
        QWidget window;
        applyWindowLook(&window);
        auto *list = new QComboBox(&window);
        list->setEditable(true);
        list->setGeometry(0, 0, 60, 21);
        const QString longest = QStringLiteral("Function Code 16(0x10) Write Multiple Registers");
        list->addItems({QStringLiteral("short"), longest});
        window.show();
        list->showPopup();
        QAbstractItemView *view = list->view();
        QVERIFY(QTest::qWaitForWindowExposed(view->window()));
        QVERIFY2(view->viewport()->width() >= QFontMetrics(view->font()).horizontalAdvance(longest),
                 qPrintable(QString::number(view->viewport()->width())));
        list->hidePopup();
    }
};

QTEST_MAIN(TstLook)
#include "tst_look.moc"
