#pragma once

#include "console/terminaltext.h"

#include <QLabel>
#include <QList>
#include <QPlainTextEdit>

class QTimer;

#include <functional>

// The terminal box: a multi-line text box whose text (text()) keeps CR LF
// line ends and follows the terminal's display rules, while the box shows
// it in Qt's form. Edits by the user are taken back into the text.
//
// The text changes at once with every arrival; what the box shows catches up
// at most kRefreshMs later, all arrivals of that time in one go, so a device
// that sends fast does not make the box lay out every arrival on its own.
class TerminalBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 15;
    // Beyond this many new characters the box is laid out afresh instead of
    // being edited piece by piece.
    static constexpr qsizetype kRebuildChars = TerminalText::kCapChars / 2;

    explicit TerminalBox(QWidget *parent = nullptr);

    const QString &text() const { return m_text.text(); }
    qsizetype length() const { return m_text.length(); }
    void setText(const QString &text);

    // Adds received text by the display rules and returns the text as it was
    // put in.
    QString showData(const QString &data);
    void moveCaretToEnd();
    // Brings what the box shows up to date now.
    void refresh();

    // Called with the character code of each typed character key; setting
    // the code to 0 discards the key.
    void setKeyPressHandler(std::function<void(int &)> handler)
    {
        m_keyPress = std::move(handler);
    }

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void takeBackUserEdit();

    TerminalText m_text;
    std::function<void(int &)> m_keyPress;
    bool m_ourEdit = false;
    // Changes of the shown form not yet made, oldest first.
    QList<TerminalText::DisplayEdit> m_pending;
    qsizetype m_pendingChars = 0;
    bool m_caretToEnd = false;
    QTimer *m_refreshTimer = nullptr;
};

// A picture that can be clicked.
class PictureBox : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// A column heading ruled out with "=" past its box's edge: the box cuts the
// rule between two characters, never through one (a cut "=" reads as ":").
class RuledHeading : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override;
};
