#include "console/terminaltext.h"

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';
constexpr char16_t kBackspace = u'\b';

// Number of CR LF pairs that lie wholly inside text[0, end).
qsizetype pairsBefore(const QString &text, qsizetype end)
{
    qsizetype pairs = 0;
    for (qsizetype i = 0; i + 1 < end; ++i) {
        if (text.at(i) == kCr && text.at(i + 1) == kLf) {
            ++pairs;
            ++i;
        }
    }
    return pairs;
}

} // namespace

QString TerminalText::showData(const QString &data, DisplayEdit *edit)
{
    DisplayEdit e;

    // 1. The cap: the oldest characters go.
    if (m_text.size() > kCapChars) {
        const bool splitsPair = m_text.at(kDropChars - 1) == kCr && m_text.at(kDropChars) == kLf;
        if (splitsPair) {
            // The CR goes, its LF stays alone: the line break becomes a mark.
            const qsizetype shownBefore = (kDropChars - 1) - pairsBefore(m_text, kDropChars - 1);
            e.dropFront = shownBefore + 1;
            e.prepend = QString(QChar(kLoneLf));
        } else {
            e.dropFront = kDropChars - pairsBefore(m_text, kDropChars);
        }
        m_text.remove(0, kDropChars);
    }

    // 3. Backspaces: one that finds nothing before it in this arrival takes the
    // box's last character instead (however many there are, that one only).
    QString kept;
    kept.reserve(data.size());
    bool replaceLast = false;
    for (const QChar c : data) {
        if (c == kBackspace) {
            if (!kept.isEmpty())
                kept.chop(1);
            else if (!m_text.isEmpty())
                replaceLast = true;
        } else {
            kept.append(c);
        }
    }

    // 4, 5. LF goes, CR becomes CR LF.
    QString shown;
    shown.reserve(kept.size() + kept.size() / 8 + 1);
    for (const QChar c : kept) {
        if (c == kLf)
            continue;
        shown.append(c);
        if (c == kCr)
            shown.append(QChar(kLf));
    }

    // 6. Replace the selected last character, or add at the end.
    if (replaceLast) {
        const bool endsInPair = m_text.size() >= 2 && m_text.endsWith(QStringLiteral("\r\n"));
        e.dropBack = 1;
        if (endsInPair)
            e.append = QString(QChar(kLoneCr)); // its CR stays alone
        m_text.chop(1);
    }
    // The arrival holds only CR LF pairs, so it never pairs with what is there.
    e.append += toDisplay(shown);
    m_text += shown;

    if (edit)
        *edit = std::move(e);
    return shown;
}

QString TerminalText::toDisplay(const QString &text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == kCr) {
            if (i + 1 < n && text.at(i + 1) == kLf) {
                out.append(QChar(kLf));
                ++i;
            } else {
                out.append(QChar(kLoneCr));
            }
        } else if (c == kLf) {
            out.append(QChar(kLoneLf));
        } else {
            out.append(c);
        }
    }
    return out;
}

QString TerminalText::fromDisplay(const QString &shown)
{
    QString out;
    out.reserve(shown.size() + shown.size() / 8);
    for (const QChar c : shown) {
        if (c == kLf || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            out.append(QStringLiteral("\r\n"));
        else if (c == kLoneCr)
            out.append(QChar(kCr));
        else if (c == kLoneLf)
            out.append(QChar(kLf));
        else
            out.append(c);
    }
    return out;
}

void TerminalText::applyEdit(QString &shown, const DisplayEdit &edit)
{
    shown.remove(0, edit.dropFront);
    shown.prepend(edit.prepend);
    shown.chop(edit.dropBack);
    shown.append(edit.append);
}
