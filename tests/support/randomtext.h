#pragma once

#include <QRandomGenerator>
#include <QString>

#include <iterator>

// A text of 0 to maxLength characters, each drawn from pool: the same
// sequence for the same seed.
template<size_t N>
QString randomText(QRandomGenerator &rng, const char16_t (&pool)[N], int maxLength)
{
    QString s;
    const int n = rng.bounded(maxLength + 1);
    s.reserve(n);
    for (int i = 0; i < n; ++i)
        s += QChar(pool[rng.bounded(int(N))]);
    return s;
}
