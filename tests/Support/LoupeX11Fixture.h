#pragma once

#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Picking/LoupeWindow.h"
#include "Chromet/Picking/X11/X11LoupeSupport.h"
#include "Chromet/Picking/X11/X11SnapshotCapturer.h"
#include "Support/CaptureTestSupport.h"
#include "Support/OtherClient.h"

#include <QPointer>

#include <memory>

using namespace Qt::StringLiterals;

// The set-up the loupe tests on a real X server share: another client to watch the server
// through, a controller on the X11 capturer, the picks it reports, and xdotool for input.
class LoupeX11Fixture : public QObject {
protected:
    static bool moveTo(const QPoint &p) {
        return xdotool({u"mousemove"_s, QString::number(p.x()), QString::number(p.y())});
    }
    static bool keys(const QStringList &names) { return xdotool(QStringList{u"key"_s} + names); }

    void connectOtherClient() {
        m_other = std::make_unique<OtherClient>();
        QVERIFY(m_other->ok());
    }
    void makeController() {
        m_controller = std::make_unique<LoupeController>(std::make_unique<X11SnapshotCapturer>());
        QVERIFY(support());
        m_controller->warmUp();
        m_picks.clear();
    }
    // Closes a pick still showing and waits until its windows have gone (or been deleted).
    void closeController() {
        QList<QPointer<LoupeWindow>> windows;
        for (LoupeWindow *w : m_controller->windows())
            windows.append(w);
        if (m_controller->isShowing())
            m_controller->close();
        for (const QPointer<LoupeWindow> &w : windows)
            QTRY_VERIFY(!w || !w->isVisible());
        m_controller.reset();
    }
    // Puts the pointer at `pointer` (device pixels) and starts a pick there; waits for its window
    // and, unless told not to, for the grabs.
    void startPick(const QPoint &pointer, bool waitForGrab = true) {
        QVERIFY(moveTo(pointer));
        QTRY_COMPARE(m_other->pointer(), pointer);
        m_controller->start([this](const PickedColor &color) { m_picks.append(color); });
        QTRY_VERIFY(!m_controller->windows().isEmpty());
        for (LoupeWindow *window : m_controller->windows())
            QVERIFY(QTest::qWaitForWindowExposed(window));
        if (waitForGrab)
            QTRY_VERIFY(support()->holdsKeyboard() && support()->holdsPointer());
    }
    X11LoupeSupport *support() const {
        return dynamic_cast<X11LoupeSupport *>(&m_controller->support());
    }

    std::unique_ptr<OtherClient> m_other;
    std::unique_ptr<LoupeController> m_controller;
    QList<PickedColor> m_picks;
};
