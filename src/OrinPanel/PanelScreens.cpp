#include "OrinPanel/PanelScreens.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

QList<PanelDisplay> PanelScreens::systemDisplays() {
    QList<PanelDisplay> result;
    // Qt lists the primary screen first.
    for (QScreen *screen : QGuiApplication::screens())
        result.append({screen->name(), screen->geometry(), screen->availableGeometry()});
    return result;
}

QPoint PanelScreens::systemPointer() {
    return QCursor::pos();
}
