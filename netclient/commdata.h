#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

// The data connections of the device's COM ports: what a send puts on the
// wire, what an arrival adds to its port's receive buffer, and the hex views
// of both texts.
namespace CommData {

// Line terminators by the index of the chosen option; "CS_CR" ends with a CR
// like "CR" (whether a checksum goes before it is a choice of its own).
enum Terminator { None = 0, CR = 1, LF = 2, LF_CR = 3, CR_LF = 4, CS_CR = 5 };
inline constexpr int kTerminators = 6;
inline constexpr int kDefaultTerminator = CR;
// "None", "CR", "LF", "LF_CR", "CR_LF", "CS_CR".
QStringList terminatorCaptions();
// The characters appended for terminator index; none for an index outside 0 to 5.
QString terminatorText(int index);

// What a send of text puts on the wire: the text, with its checksum digits
// when checksum is on, then the terminator. Empty when text is empty: an
// empty box sends nothing.
QString dataSendText(const QString &text, int terminator, bool checksum);
// "tcp comm0 is not connected": the socket index counts from 0.
QString notConnectedMessage(int socketIndex);

// Each character as the two upper-case hex digits of the low byte of its
// 16-bit code, each followed by "."; "AB\r" gives "41.42.0D.".
QString HexView(QStringView s);
inline constexpr qsizetype kHexCharsPerChar = 3;

// What an arrival adds to its port's buffer: the text with every CR LF pair
// removed (a lone CR or LF stays; a pair split between two arrivals is no
// pair).
QString receivedText(const QString &arrival);

// A text that keeps only its latest limit() characters: what goes beyond is
// dropped from the front, never splitting a surrogate pair. Appending costs
// the length of what is appended, however much the text holds.
class BoundedText
{
public:
    explicit BoundedText(qsizetype limit);

    // What an append did: the text lost `dropped` characters at its front, then
    // gained `appended` at its end (the latest part of what was appended, when
    // that alone passes the limit).
    struct Change
    {
        qsizetype dropped = 0;
        QString appended;
    };
    Change append(QStringView text);
    void clear();

    QStringView view() const { return QStringView(m_data).mid(m_start); }
    QString toString() const { return view().toString(); }
    qsizetype size() const { return m_data.size() - m_start; }
    bool isEmpty() const { return size() == 0; }
    qsizetype limit() const { return m_limit; }

private:
    QString m_data;
    qsizetype m_start = 0;
    qsizetype m_limit;
};

// The receive buffers of the device's eight COM ports and the receive box that
// shows the selected one. An arrival on the selected port tells the box what
// to change: while the box still shows that buffer as the last update left
// it, only the front to drop and the end to add, so the work per arrival does
// not grow with what the buffer holds; otherwise the whole buffer.
class CommBuffers
{
public:
    static constexpr int kPorts = 8;
    // Each buffer keeps the latest this many characters.
    static constexpr qsizetype kBufferChars = 64 * 1024;

    struct BoxUpdate
    {
        // true: the box becomes text. false: the box drops `dropped`
        // characters at its front, then text is added at its end.
        bool replace = false;
        qsizetype dropped = 0;
        QString text;

        // The same change for the hex view of the box.
        qsizetype hexDropped() const { return dropped * kHexCharsPerChar; }
        QString hexText() const { return HexView(text); }
    };

    CommBuffers();

    // An arrival on the data connection of index (0 to 7). Returns what the
    // box must do when index is the selected index, nothing otherwise (also
    // for an index that is no port).
    std::optional<BoxUpdate> receive(int index, const QString &arrival, int selected);
    // Empties the buffer of index.
    void clear(int index);
    // The box was emptied or set by other means: the next arrival on the
    // selected port fills it whole.
    void boxChanged() { m_boxPort = -1; }

    QStringView buffer(int index) const;

private:
    std::array<BoundedText, kPorts> m_buffers;
    // Index of the buffer the box mirrors as the last update left it; -1 when none.
    int m_boxPort = -1;
};

} // namespace CommData
