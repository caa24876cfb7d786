#include "OrinSparkle/VersionComparator.h"

#include <QList>

namespace {

// A version is a list of parts, each a number with an optional tail ("0b1" is 0 then "b1").
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

struct Part {
    QStringView number; // digits, leading zeros included
    QStringView tail;
};

QList<Part> split(QStringView version) {
    QList<Part> parts;
    for (QStringView piece : version.trimmed().split(u'.')) {
        qsizetype digits = 0;
        while (digits < piece.size() && isDigit(piece[digits]))
            ++digits;
        parts.append({piece.left(digits), piece.mid(digits)});
    }
    return parts;
}

// Numbers of any length, compared without converting them.
int compareNumbers(QStringView a, QStringView b) {
    while (a.startsWith(u'0'))
        a = a.mid(1);
    while (b.startsWith(u'0'))
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

int compareTails(QStringView a, QStringView b) {
    // No tail is a release, which comes after any pre-release of the same number.
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() == b.isEmpty() ? 0 : (a.isEmpty() ? 1 : -1);
    // "b1" against "b2", "beta" against "rc": letters first, then the number after them.
    qsizetype i = 0;
    while (i < a.size() && !isDigit(a[i]))
        ++i;
    qsizetype j = 0;
    while (j < b.size() && !isDigit(b[j]))
        ++j;
    if (const int letters = a.left(i).compare(b.left(j), Qt::CaseInsensitive); letters != 0)
        return letters;
    return compareVersions(a.mid(i), b.mid(j));
}

} // namespace

int compareVersions(QStringView a, QStringView b) {
    const QList<Part> left = split(a);
    const QList<Part> right = split(b);
    for (qsizetype i = 0; i < qMax(left.size(), right.size()); ++i) {
        // A missing part counts as 0: "1.0" is "1.0.0".
        const Part l = i < left.size() ? left[i] : Part{};
        const Part r = i < right.size() ? right[i] : Part{};
        if (const int numbers = compareNumbers(l.number, r.number); numbers != 0)
            return numbers;
        if (const int tails = compareTails(l.tail, r.tail); tails != 0)
            return tails;
    }
    return 0;
}
