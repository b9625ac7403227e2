#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QLine>
#include <QWidget>

// A straight line drawn over the other controls of a window, one pixel wide,
// from one point of the window to another. It is a control of its own, so that
// it can be named, shown and hidden; clicks go through it.
class GuideLine : public QWidget
{
public:
    // From (x1, y1) to (x2, y2), in twips of the parent's client area.
    GuideLine(int x1, int y1, int x2, int y2, const QColor &colour, QWidget *parent);

    // The end points in pixels of the parent.
    QLine line() const { return m_line; }
    QColor colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLine m_line;
    QColor m_colour;
};

// A label whose caption may hold a lone carriage return between two lines: the
// caption keeps it as it is, and the label shows a line break there.
class CaptionLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The lettering of the guides' and help windows: the first of the faces that
// the system has, at a point size; without any of them the window's own face.
QFont letteringFont(const QFont &base, const QStringList &faces, qreal points, bool bold = false);

// The lettering of a guide's instruction text: the Ming face at a point size;
// without it the window's face at that size, narrowed to the Ming face's
// widths, so that each text breaks where the guide's label expects.
QFont instructionFont(const QFont &base, qreal points);

// The Ming face of the guides' captions and answers, by its two names. Where
// it is missing the window's face stands in: the CJK Ming faces of other
// systems space their lines too widely for the captions' heights.
inline const QStringList kMingFaces = {QStringLiteral("新細明體"), QStringLiteral("PMingLiU")};
