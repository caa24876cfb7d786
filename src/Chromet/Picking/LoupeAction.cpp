#include "Chromet/Picking/LoupeAction.h"

#include <QDebug>

QString LoupeAction::toString() const {
    switch (kind) {
    case Kind::nudge:
        return QStringLiteral("nudge(%1, %2)").arg(dx).arg(dy);
    case Kind::pick:
        return QStringLiteral("pick");
    case Kind::cancel:
        return QStringLiteral("cancel");
    }
    return {};
}

QDebug operator<<(QDebug debug, const LoupeAction &action) {
    QDebugStateSaver saver(debug);
    debug.noquote() << action.toString();
    return debug;
}
