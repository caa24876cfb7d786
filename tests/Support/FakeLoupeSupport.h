#pragma once

#include "Chromet/Picking/LoupeSupport.h"
#include "Chromet/Picking/LoupeWindow.h"

#include <QList>
#include <QPointF>

// The window system as the controller sees it: a pointer that moves where it is warped, a
// focused window, and a way to take the input away.
class FakeLoupeSupport final : public LoupeSupport {
public:
    QPointF pointer;
    QList<QPointF> warps;
    QList<FocusWindow> restored;
    std::function<void()> lost;
    int ends = 0;
    QList<QWidget *> inputViews;
    QList<QWidget *> focusedWindows;

    LoupeWindow *createWindow() override { return new LoupeWindow; }
    std::optional<QPointF> pointerPosition() override {
        return readable ? std::optional(pointer) : std::nullopt;
    }
    bool canWarpPointer() const override { return readable; }
    void warpPointer(const QPointF &global) override {
        warps.append(global);
        pointer = global;
    }
    // False: a window system that tells only the loupe's windows where the pointer is.
    bool readable = true;
    FocusWindow focusedWindow() override { return 0x5a; }
    void restoreFocus(FocusWindow previous) override { restored.append(previous); }
    void beginPick(std::function<void()> onLost) override { lost = std::move(onLost); }
    void takeInput(QWidget *view) override { inputViews.append(view); }
    void focusWindow(QWidget *window) override { focusedWindows.append(window); }
    void endPick() override { ++ends; }
    bool partsOfWindows = false;
    bool showsPartsOfWindows() override { return partsOfWindows; }
};
