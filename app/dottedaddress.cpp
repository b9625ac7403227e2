#include "app/dottedaddress.h"

namespace DottedAddress {

std::optional<std::array<QString, 4>> split(const QString &text)
{
    const qsizetype d1 = text.indexOf(QLatin1Char('.'));
    const qsizetype d2 = d1 < 0 ? -1 : text.indexOf(QLatin1Char('.'), d1 + 1);
    const qsizetype d3 = d2 < 0 ? -1 : text.indexOf(QLatin1Char('.'), d2 + 1);
    if (d3 < 0)
        return std::nullopt;
    return std::array<QString, 4>{text.left(d1), text.mid(d1 + 1, d2 - d1 - 1),
                                  text.mid(d2 + 1, d3 - d2 - 1), text.mid(d3 + 1)};
}

} // namespace DottedAddress
