#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>

// One display as a panel sees it, in global logical coordinates (y down).
struct PanelDisplay {
    QString name;
    QRect frame;
    // The frame less panels, docks and other reserved areas.
    QRect visibleFrame;
};

// Where panels learn about the displays and the pointer; tests replace both functions.
struct PanelScreens {
    // The displays in the system's order, the main (primary) display first.
    std::function<QList<PanelDisplay>()> displays = systemDisplays;
    std::function<QPoint()> pointer = systemPointer;

    static QList<PanelDisplay> systemDisplays();
    static QPoint systemPointer();
};
