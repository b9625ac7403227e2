#pragma once

#include "console/terminaltext.h"

#include <QLabel>
#include <QPlainTextEdit>

#include <functional>

// The terminal box: a multi-line text box whose text (text()) keeps CR LF
// line ends and follows the terminal's display rules, while the box shows
// it in Qt's form. Edits by the user are taken back into the text.
class TerminalBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TerminalBox(QWidget *parent = nullptr);

    const QString &text() const { return m_text.text(); }
    qsizetype length() const { return m_text.length(); }
    void setText(const QString &text);

    // Adds received text by the display rules (without moving the caret) and
    // returns the text as it was put in.
    QString showData(const QString &data);
    void moveCaretToEnd();

    // Called with the character code of each typed character key; setting
    // the code to 0 discards the key.
    void setKeyPressHandler(std::function<void(int &)> handler)
    {
        m_keyPress = std::move(handler);
    }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    void takeBackUserEdit();

    TerminalText m_text;
    std::function<void(int &)> m_keyPress;
    bool m_ourEdit = false;
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
