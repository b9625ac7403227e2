#pragma once

#include <QString>
#include <QStringView>

#include <deque>

// How a text view shows a long text as rows of at most width() characters:
// a CR or LF of the text ends its row, and a row that reaches the width goes
// on in the next row after a row end of the view's own, which is not part of
// the text. The view's document is the text with each CR and LF turned into a
// row end and these extra row ends put in, so every character of the text has
// exactly one place in the document. A device that streams a line without end
// thus never makes the view lay out one huge row, and appending or dropping at
// the front costs what is appended or dropped, not what the view holds.
class TextRows
{
public:
    // The character that ends a row in the view's document.
    static constexpr char16_t kRowEnd = u'\u2029';

    // width <= 0: no row ends of the view's own.
    explicit TextRows(int width = 0);

    int width() const { return m_width; }
    qsizetype textSize() const { return m_textSize; }
    qsizetype documentSize() const { return m_documentSize; }

    // Starts over with text in rows of width; returns the whole document.
    QString reset(QStringView text, int width);
    void clear();

    // text appended at the end: what the document gains at its end.
    QString append(QStringView text);
    // chars characters of the text dropped at its front (at most all of
    // them): how many places the document loses at its front.
    qsizetype dropFront(qsizetype chars);

    // The place in the text of a place in the document (a row end of the
    // view's own stands for the place after its row).
    qsizetype textOffset(qsizetype documentPlace) const;

private:
    struct Row
    {
        // Characters of the text in the row, with the CR or LF that ends it.
        qsizetype chars = 0;
        // The row goes on in the next one after a row end of the view's own.
        bool wrapped = false;
    };

    static bool endsRow(QChar c);

    int m_width;
    // Never empty: the last row is the open one.
    std::deque<Row> m_rows;
    qsizetype m_textSize = 0;
    qsizetype m_documentSize = 0;
    bool m_lastWasHighSurrogate = false;
};
