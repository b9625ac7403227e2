#pragma once

#include <QString>

// The text of the terminal box and the rules by which received text enters it
// (the size cap, backspaces, line ends). Line ends are kept as CR LF, as the
// menu screen readers expect. The box on screen shows the text in its own
// form (toDisplay); each arrival tells the box what to change in that form, so
// the work per arrival does not grow with the text already shown.
class TerminalText
{
public:
    // Beyond this many characters the oldest kDropChars go at the next arrival.
    // Arrivals come in pieces of at most the port's input buffer, so the text
    // stays within kCapChars and one arrival.
    static constexpr qsizetype kCapChars = 16000;
    static constexpr qsizetype kDropChars = 4096;

    // How a lone CR and a lone LF (not part of a CR LF pair) appear on screen.
    static constexpr char16_t kLoneCr = u'\u240D';
    static constexpr char16_t kLoneLf = u'\u240A';

    // A change of the shown form: remove dropFront characters at the start and
    // put prepend there, then remove dropBack characters at the end and add
    // append there.
    struct DisplayEdit
    {
        qsizetype dropFront = 0;
        QString prepend;
        qsizetype dropBack = 0;
        QString append;
    };

    const QString &text() const { return m_text; }
    qsizetype length() const { return m_text.size(); }
    void setText(const QString &text) { m_text = text; }

    // Adds one arrival of received text by the display rules and returns the
    // text as it was put in (what a log receives). When edit is given it
    // receives the change of the shown form.
    QString showData(const QString &data, DisplayEdit *edit = nullptr);

    // The shown form: a CR LF pair is one "\n" (a line break); a lone CR or
    // LF is shown as a visible mark; everything else stands for itself.
    static QString toDisplay(const QString &text);
    // Back from the shown form; Qt's paragraph and line separators count as
    // line breaks.
    static QString fromDisplay(const QString &shown);
    // Applies edit to a shown text (what the box does with its document).
    static void applyEdit(QString &shown, const DisplayEdit &edit);

private:
    QString m_text;
};
