#pragma once

#include <QMetaType>
#include <QString>

class QDebug;

// What a key or a click on the loupe asks for. A nudge is counted in snapshot pixels; positive dy
// moves the loupe up, towards the top of the display (so it is subtracted from Qt's y).
struct LoupeAction {
    enum class Kind { nudge, pick, cancel };

    Kind kind = Kind::cancel;
    int dx = 0;
    int dy = 0;

    static constexpr LoupeAction nudge(int dx, int dy) { return {Kind::nudge, dx, dy}; }
    static constexpr LoupeAction pick() { return {Kind::pick, 0, 0}; }
    static constexpr LoupeAction cancel() { return {Kind::cancel, 0, 0}; }

    // The steps count only for a nudge.
    friend constexpr bool operator==(const LoupeAction &a, const LoupeAction &b) {
        return a.kind == b.kind && (a.kind != Kind::nudge || (a.dx == b.dx && a.dy == b.dy));
    }

    QString toString() const;
};

QDebug operator<<(QDebug debug, const LoupeAction &action);

Q_DECLARE_METATYPE(LoupeAction)
