#include "guides/guidecontrols.h"

#include "app/look.h"
#include "app/twips.h"

#include <QFontInfo>
#include <QPainter>
#include <QStyle>

namespace {

// The guides' labels were sized for the Ming face's Latin letters, which run
// about a tenth narrower than Arial's: at Arial's width a first line wraps,
// and the text runs on into the picture below the label.
constexpr int kStandInWidthPercent = 90;

} // namespace

GuideLine::GuideLine(int x1, int y1, int x2, int y2, const QColor &colour, QWidget *parent)
    : QWidget(parent), m_line(twips(x1), twips(y1), twips(x2), twips(y2)), m_colour(colour)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // The control covers the box spanned by the two end points, both included.
    setGeometry(QRect(m_line.p1(), m_line.p2()).normalized());
}

void GuideLine::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(QPen(m_colour, 1));
    p.drawLine(m_line.translated(-pos()));
}

void CaptionLabel::paintEvent(QPaintEvent *)
{
    QString shown = text();
    shown.replace(u'\r', u'\n');
    QPainter p(this);
    const int flags = int(alignment()) | (wordWrap() ? int(Qt::TextWordWrap) : 0);
    style()->drawItemText(&p, contentsRect(), flags, palette(), isEnabled(), shown,
                          foregroundRole());
}

QFont letteringFont(const QFont &base, const QStringList &faces, qreal points, bool bold)
{
    QFont f = base;
    f.setFamilies(faces + base.families());
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QFont instructionFont(const QFont &base, qreal points)
{
    const QFont f = letteringFont(base, kMingFaces, points);
    if (kMingFaces.contains(QFontInfo(f).family()))
        return f;
    return narrowedFont(f, kStandInWidthPercent);
}
