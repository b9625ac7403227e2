#include "app/form.h"
#include "app/launcherstate.h"
#include "app/windows.h"
#include "program/allwindows.h"
#include "tests/support/fakehostnet.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/simulateddevice.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOption>
#include <QTest>
#include <QTextBlock>

namespace {

// Texts that the window makes longer than their box on purpose, with why.
struct Exception
{
    const char *window;
    const char *control;
};
const Exception kExceptions[] = {
    // Column headings ruled out with "=" past the box's edge, which cuts the
    // rule between two characters.
    {"frmTerminal", "Label6(0)"},
    {"frmTerminal", "Label6(1)"},
    {"frmTerminal", "Label6(2)"},
};

// Texts that the device's replies put in labels, the longest of their kind.
struct Reply
{
    const char *window;
    const char *control;
    const char *text;
};
const Reply kReplies[] = {
    // The device-like server's greeting, taken for the module name.
    {"frmMain", "lblServerInfo(0)", "4630K1,v1.0.00,8 CommPorts"},
    {"frmMain", "lblServerInfo(2)", "V1.0.00[01/06/2003]"},
    {"frmMain", "lblMAC", "00:00:f1:86:97:a6"},
    {"frmMain", "lblCommStatus", "115200,8,0,1"},
};

bool isException(const QString &window, const QString &control)
{
    for (const Exception &e : kExceptions) {
        if (window == QLatin1String(e.window) && control == QLatin1String(e.control))
            return true;
    }
    return false;
}

QString shown(QString text)
{
    // A mnemonic marker takes no room; "&&" shows one "&".
    text.replace(QLatin1String("&&"), QLatin1String("\x01"));
    text.remove(u'&');
    return text.replace(u'\x01', u'&');
}

int widest(const QFontMetrics &fm, const QString &text)
{
    int w = 0;
    for (const QString &line : QString(text).replace(u'\r', u'\n').split(u'\n'))
        w = std::max(w, fm.horizontalAdvance(line));
    return w;
}

// What does not fit in one control: "name: "text" needs N px, has M".
class Audit
{
public:
    explicit Audit(QWidget *window) : m_window(window) {}

    void control(QWidget *w)
    {
        if (isException(m_window->objectName(), w->objectName()))
            return;
        const QFontMetrics fm(w->font());
        if (auto *l = qobject_cast<QLabel *>(w)) {
            if (l->text().isEmpty() || l->textFormat() == Qt::RichText)
                return;
            const QRect box = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(),
                                                         -l->margin());
            if (l->wordWrap()) {
                wrapped(l, box);
                return;
            }
            const int lines = int(QString(l->text()).replace(u'\r', u'\n').count(u'\n')) + 1;
            need(w, l->text(), widest(fm, l->text()), box.width());
            need(w, l->text(), lines * fm.height(), box.height(), "high");
        } else if (auto *b = qobject_cast<QPushButton *>(w)) {
            QStyleOptionButton o;
            o.initFrom(b);
            need(w, b->text(), fm.horizontalAdvance(shown(b->text())),
                 b->style()->subElementRect(QStyle::SE_PushButtonContents, &o, b).width());
        } else if (auto *c = qobject_cast<QCheckBox *>(w)) {
            QStyleOptionButton o;
            o.initFrom(c);
            need(w, c->text(), fm.horizontalAdvance(shown(c->text())),
                 c->style()->subElementRect(QStyle::SE_CheckBoxContents, &o, c).width());
        } else if (auto *r = qobject_cast<QRadioButton *>(w)) {
            QStyleOptionButton o;
            o.initFrom(r);
            need(w, r->text(), fm.horizontalAdvance(shown(r->text())),
                 r->style()->subElementRect(QStyle::SE_RadioButtonContents, &o, r).width());
        } else if (auto *c = qobject_cast<QComboBox *>(w)) {
            combo(c);
        }
    }

    QStringList problems;

private:
    // A word-wrapped text ends inside its box, and clear of every picture
    // beside it (a shown label with a picture, under the same parent).
    void wrapped(QLabel *l, const QRect &box)
    {
        // A caption's lone carriage return breaks the line.
        const QString text = QString(l->text()).replace(u'\r', u'\n');
        const QRect drawn = QFontMetrics(l->font()).boundingRect(
            box, int(l->alignment()) | Qt::TextWordWrap, text);
        if (!box.contains(drawn))
            problems << QStringLiteral("%1 \"%2\" runs out of its box").arg(l->objectName(), text);
        for (QObject *o : l->parentWidget()->children()) {
            auto *p = qobject_cast<QLabel *>(o);
            if (p && p != l && !p->isHidden() && !p->pixmap().isNull()
                && p->geometry().intersects(drawn.translated(l->pos())))
                problems << QStringLiteral("%1 \"%2\" runs into %3")
                                .arg(l->objectName(), text, p->objectName());
        }
    }

    void combo(QComboBox *c)
    {
        // A list's field shows every item whole: one pixel in from its sides,
        // or, in a list that the user may type in, inside the text box's own
        // margins (2 px beside the text).
        int field = 0;
        if (const QLineEdit *e = c->lineEdit()) {
            field = e->contentsRect().marginsRemoved(e->textMargins()).width() - 2 * 2;
        } else {
            QStyleOptionComboBox o;
            o.initFrom(c);
            field = c->style()->subControlRect(QStyle::CC_ComboBox, &o,
                                               QStyle::SC_ComboBoxEditField, c).width() - 2;
        }
        const QFontMetrics fm(c->font());
        for (int i = 0; i < c->count(); ++i)
            need(c, c->itemText(i), fm.horizontalAdvance(c->itemText(i)), field);
        if (c->count() == 0)
            return;
        c->showPopup();
        QAbstractItemView *view = c->view();
        // The list's items keep the item views' text margins.
        const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        for (int i = 0; i < c->count(); ++i)
            need(c, c->itemText(i) + QStringLiteral(" (list)"),
                 QFontMetrics(view->font()).horizontalAdvance(c->itemText(i)) + margins,
                 view->viewport()->width());
        c->hidePopup();
    }

    void need(QWidget *w, const QString &text, int needs, int has, const char *what = "wide")
    {
        if (needs > has)
            problems << QStringLiteral("%1 \"%2\" needs %3 px %4, has %5")
                            .arg(w->objectName(), text)
                            .arg(needs)
                            .arg(QLatin1String(what))
                            .arg(has);
    }

    QWidget *m_window;
};

// Every control that the user can see: shown, and at least in part inside
// its parent (the state holders lie beyond the window's edges).
void audit(Audit &a, QWidget *parent)
{
    for (QObject *o : parent->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || w->isWindow() || w->isHidden() || !parent->rect().intersects(w->geometry()))
            continue;
        a.control(w);
        audit(a, w);
    }
}

} // namespace

// Every text of every window fits its control at the program's face.
class TstTextFit : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<FakeHostNet> m_net;
    std::unique_ptr<SimulatedDevice> m_device;

private slots:
    void init()
    {
        LauncherState::instance().reset();
        registerAllWindows();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_net = std::make_unique<FakeHostNet>();
        // A Modbus model, so that the Modbus panel shows.
        m_device = std::make_unique<SimulatedDevice>();
        m_device->settings().model = QStringLiteral("4630M8");
        m_device->attachAs(1);
    }
    void cleanup()
    {
        Windows::clear();
        m_device.reset();
        m_net.reset();
        m_dialogs.reset();
    }

    void everyTextFits_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : WindowName::all)
            QTest::newRow(qPrintable(name)) << name;
    }
    void everyTextFits()
    {
        QFETCH(QString, name);
        Form *w = Windows::get(name);
        QVERIFY(w);
        // The terminal pane too.
        if (auto *wide = w->findChild<QPushButton *>(QStringLiteral("cmdTerminal")))
            wide->click();
        for (const Reply &r : kReplies) {
            if (name == QLatin1String(r.window))
                w->findChild<QLabel *>(QLatin1String(r.control))->setText(QLatin1String(r.text));
        }
        w->show();
        Audit a(w);
        audit(a, w);
        QVERIFY2(a.problems.isEmpty(), qPrintable(a.problems.join(u'\n')));
    }

    // The same at every step of the connection wizard and both download
    // guides, forward to the last step and back to the first.
    void everyGuideStepFits_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stepLabel");
        QTest::addColumn<int>("steps");
        QTest::newRow("wizard") << WindowName::Wizard << "lblStep" << 3;
        QTest::newRow("six-step guide") << WindowName::Terminalwizard << "Label1" << 6;
        QTest::newRow("seven-step guide") << WindowName::Terminalwizard1 << "Label1" << 7;
    }
    void everyGuideStepFits()
    {
        QFETCH(QString, name);
        QFETCH(QString, stepLabel);
        QFETCH(int, steps);
        Form *w = Windows::get(name);
        QVERIFY(w);
        w->show();
        auto *next = w->findChild<QPushButton *>(QStringLiteral("cmdNext"));
        auto *prview = w->findChild<QPushButton *>(QStringLiteral("cmdPrview"));
        const auto *step = w->findChild<QLabel *>(stepLabel);
        QVERIFY(next && prview && step);
        QStringList problems;
        auto check = [&] {
            Audit a(w);
            audit(a, w);
            for (const QString &p : std::as_const(a.problems))
                problems << step->text() + QStringLiteral(": ") + p;
        };
        check();
        int shown = 1;
        while (next->isEnabled() && shown <= steps) {
            next->click();
            ++shown;
            check();
        }
        QCOMPARE(shown, steps);
        while (prview->isEnabled()) {
            prview->click();
            check();
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    // The command list: every field of a code's head line (code, explanation,
    // example request, example reply) starts under the text of its column
    // head.
    void commandListHeadsStandAboveFields()
    {
        Form *w = Windows::get(WindowName::commandlist);
        QVERIFY(w);
        w->show();
        const auto *text = w->findChild<QPlainTextEdit *>(QStringLiteral("text"));
        QVERIFY(text);
        struct Span
        {
            QString head;
            int left;
            int right;
        };
        QList<Span> heads;
        for (const char *name : {"Label1", "Label2", "Label3", "Label4"}) {
            const auto *l = w->findChild<QLabel *>(QLatin1String(name));
            QVERIFY(l);
            const int left = l->mapTo(w, l->contentsRect().topLeft()).x();
            const int width = QFontMetrics(l->font()).horizontalAdvance(l->text());
            heads.append({l->text(), left, left + width});
        }
        const QRegularExpression fieldStart(QStringLiteral("(^|  )[^ ]"));
        QStringList problems;
        int headLines = 0;
        bool headNext = true;
        for (QTextBlock b = text->document()->begin(); b.isValid(); b = b.next()) {
            const bool isHead = headNext;
            headNext = b.text().startsWith(QLatin1Char('='));
            if (!isHead || b.text().isEmpty())
                continue;
            ++headLines;
            // Fields are parted by runs of blanks; within one, words by single ones.
            qsizetype column = 0;
            for (const Span &h : std::as_const(heads)) {
                const QRegularExpressionMatch m = fieldStart.match(b.text(), column);
                if (!m.hasMatch())
                    break;
                column = m.capturedEnd() - 1;
                QTextCursor at(b);
                at.setPosition(b.position() + int(column));
                const int x = text->viewport()->mapTo(w, text->cursorRect(at).topLeft()).x();
                if (x < h.left || x >= h.right)
                    problems << QStringLiteral("\"%1\" at %2 px, under \"%3\" at %4 to %5 px")
                                    .arg(b.text().mid(column).section(QStringLiteral("  "), 0, 0))
                                    .arg(x)
                                    .arg(h.head)
                                    .arg(h.left)
                                    .arg(h.right);
                column += 1;
            }
        }
        QCOMPARE(headLines, 21);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }
};

QTEST_MAIN(TstTextFit)
#include "tst_textfit.moc"
