#include "guides/guidestep.h"

#include <QSvgRenderer>
#include <QTest>

using namespace Guides;

Q_DECLARE_METATYPE(Guides::GuideId)

namespace {

// The guide after `clicks` (+1 Next, -1 Prview) from its opening, with every
// wait of a flash page run to its end.
GuideState walk(GuideId id, std::initializer_list<int> clicks)
{
    const GuideTable &t = guide(id);
    GuideState s = openingState(t);
    for (int delta : clicks)
        s = finishFlash(t, applyGuideStep(t, s, delta));
    return s;
}

GuideState forwardTo(GuideId id, int step)
{
    const GuideTable &t = guide(id);
    GuideState s = openingState(t);
    for (int i = 1; i < step; ++i)
        s = finishFlash(t, applyGuideStep(t, s, +1));
    return s;
}

// Visibility flags with only the given 1-based items set.
QList<bool> only(qsizetype count, std::initializer_list<int> shown)
{
    QList<bool> v(count, false);
    for (int i : shown)
        v[i - 1] = true;
    return v;
}

} // namespace

// The three picture guides: their texts, pictures, pointer lines and buttons
// step by step, and the step mechanism at its limits. The guide windows'
// test walks every page.
class TstGuideStep : public QObject
{
    Q_OBJECT

private slots:
    void pages_data()
    {
        QTest::addColumn<GuideId>("id");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("picture");
        QTest::addColumn<QList<bool>>("lines");
        // A page of each guide: no lines, two lines, one line.
        QTest::newRow("wizard 2")
            << GuideId::Wizard << 2
            << "Power on the 4630K and wait about 10 sec...\r(until the 7seg show IP information...)"
            << 2 << QList<bool>();
        QTest::newRow("download 4")
            << GuideId::Terminalwizard << 4
            << "To choose the image and select the Xmodem protocal then press Send" << 4
            << only(5, {4, 5});
        QTest::newRow("init 4") << GuideId::Terminalwizard1 << 4 << "Select transfer / Send file..."
                                << 4 << only(4, {2});
    }

    // A step reached by Next from the opening (the buttons: see limits).
    void pages()
    {
        QFETCH(GuideId, id);
        QFETCH(int, step);
        const GuideState s = forwardTo(id, step);
        QCOMPARE(s.stepLabel, QStringLiteral("Step%1").arg(step));
        QTEST(s.text, "text");
        QFETCH(int, picture);
        QCOMPARE(s.pictureVisible, only(guide(id).pictures.size(), {picture}));
        QTEST(s.lineVisible, "lines");
    }

    void openingAndBackToStepOne_data()
    {
        QTest::addColumn<GuideId>("id");
        QTest::addColumn<QString>("design");
        QTest::addColumn<QString>("opening");
        QTest::addColumn<QString>("stepOne");
        QTest::addColumn<int>("pictures");
        QTest::addColumn<QList<bool>>("lines");

        QTest::newRow("wizard") << GuideId::Wizard << "Connect the device..."
                                << "Connect the device..." << "Connect the device." << 3
                                << QList<bool>();
        QTest::newRow("download")
            << GuideId::Terminalwizard << "Make sure the 4630K's OS already in Rom Dos prompt A:\\>"
            << "Make sure the 4630K already in Rom Dos prompt A:\\>"
            << "Make sure the 4630K's OS already in Rom Dos prompt A:\\>\r(After Portd.exe loaded, "
               "Init* to touch GND)"
            << 6 << only(5, {1});
        QTest::newRow("init") << GuideId::Terminalwizard1
                              << "Connect Init* to GND before poweron 4630K"
                              << "Connect Init* to GND before poweron 4630K"
                              << "Connect Init* to GND before power on 4630K" << 7 << only(4, {1});
    }

    // A guide opens on its design state with its opening text; step 1 reached
    // again by Prview shows the page's own text in the same state.
    void openingAndBackToStepOne()
    {
        QFETCH(GuideId, id);
        QFETCH(int, pictures);
        QTEST(designState(guide(id)).text, "design");
        GuideState s = openingState(guide(id));
        QCOMPARE(s.stepLabel, QStringLiteral("Step1"));
        QTEST(s.text, "opening");
        QCOMPARE(s.pictureVisible, only(pictures, {1}));
        QTEST(s.lineVisible, "lines");
        QVERIFY(!s.prviewEnabled && s.nextEnabled && !s.configurationVisible);

        const GuideState back = walk(id, {+1, -1});
        QTEST(back.text, "stepOne");
        s.text = back.text;
        QCOMPARE(back.stepLabel, s.stepLabel);
        QCOMPARE(back.pictureVisible, s.pictureVisible);
        QCOMPARE(back.lineVisible, s.lineVisible);
        QCOMPARE(back.prviewEnabled, false);
        QCOMPARE(back.nextEnabled, true);
    }

    // The wizard's last page: the Init* picture while it waits, then the
    // page-2 picture and the Configuration button.
    void wizardLastPage()
    {
        const GuideTable &t = guide(GuideId::Wizard);
        const GuideState two = walk(GuideId::Wizard, {+1});
        QVERIFY(!two.configurationVisible);

        const GuideState waiting = applyGuideStep(t, two, +1);
        QCOMPARE(waiting.stepLabel, QStringLiteral("Step3"));
        QCOMPARE(waiting.pictureVisible, only(3, {3}));
        QVERIFY(!waiting.nextEnabled);
        QVERIFY2(waiting.prviewEnabled, "Prview keeps its page-2 state during the wait");
        QVERIFY(!waiting.configurationVisible);
        QCOMPARE(t.pages.at(2).flashMs, 1500);

        const GuideState done = finishFlash(t, waiting);
        QCOMPARE(done.pictureVisible, only(3, {2}));
        QVERIFY(done.prviewEnabled && !done.nextEnabled && done.configurationVisible);
        QCOMPARE(done.text, waiting.text);

        // Back from page 3 hides Configuration; page 1 leaves it alone.
        const GuideState back = applyGuideStep(t, done, -1);
        QVERIFY(!back.configurationVisible && back.nextEnabled);
        QCOMPARE(back.pictureVisible, only(3, {2}));
        QCOMPARE(applyGuideStep(t, back, -1).text, QStringLiteral("Connect the device."));
    }

    void limits_data()
    {
        QTest::addColumn<GuideId>("id");
        QTest::addColumn<int>("last");
        QTest::newRow("wizard") << GuideId::Wizard << 3;
        QTest::newRow("download") << GuideId::Terminalwizard << 6;
        QTest::newRow("init") << GuideId::Terminalwizard1 << 7;
    }

    // Prview is off only on step 1 and Next only on the last; a step beyond
    // either end changes nothing but the step label.
    void limits()
    {
        QFETCH(GuideId, id);
        QFETCH(int, last);
        const GuideTable &t = guide(id);
        QCOMPARE(t.lastStep(), last);
        for (int step = 1; step <= last; ++step) {
            const GuideState s = forwardTo(id, step);
            QCOMPARE(s.prviewEnabled, step != 1);
            QCOMPARE(s.nextEnabled, step != last);
        }
        const GuideState end = forwardTo(id, last);
        GuideState beyond = applyGuideStep(t, end, +1);
        QCOMPARE(beyond.stepLabel, QStringLiteral("Step%1").arg(last + 1));
        beyond.stepLabel = end.stepLabel;
        QCOMPARE(beyond.text, end.text);
        QCOMPARE(beyond.pictureVisible, end.pictureVisible);
        QCOMPARE(beyond.nextEnabled, false);

        const GuideState start = openingState(t);
        const GuideState before = applyGuideStep(t, start, -1);
        QCOMPARE(before.stepLabel, QStringLiteral("Step0"));
        QCOMPARE(before.text, start.text);
        QCOMPARE(before.pictureVisible, start.pictureVisible);
        // From "Step0" Next comes back to step 1.
        QCOMPARE(applyGuideStep(t, before, +1).stepLabel, QStringLiteral("Step1"));
    }

    void stepFromLabel_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("step");
        QTest::newRow("one") << "Step1" << 1;
        QTest::newRow("seven") << "Step7" << 7;
        QTest::newRow("zero") << "Step0" << 0;
        QTest::newRow("two digits keep the last") << "Step12" << 2;
        QTest::newRow("minus one reads its digit") << "Step-1" << 1;
        QTest::newRow("no digit") << "Step" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("not an ASCII digit") << QStringLiteral("Step\u0663") << 0;
        QTest::newRow("full-width digit") << QStringLiteral("Step\uff13") << 0;
    }

    void stepFromLabel()
    {
        QFETCH(QString, caption);
        QTEST(Guides::stepFromLabel(caption), "step");
    }

    // Every picture that a guide names is in the program's artwork at the
    // guide's picture size.
    void picturesArePresent()
    {
        for (GuideId id : {GuideId::Wizard, GuideId::Terminalwizard, GuideId::Terminalwizard1}) {
            const GuideTable &t = guide(id);
            for (const QString &resource : t.pictures) {
                QSvgRenderer svg(resource);
                QVERIFY2(svg.isValid(), qPrintable(resource));
                QCOMPARE(svg.defaultSize(), t.pictureSize);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TstGuideStep)
#include "tst_guidestep.moc"
