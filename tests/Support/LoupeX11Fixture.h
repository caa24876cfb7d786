#pragma once

#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Picking/LoupeWindow.h"
#include "Chromet/Picking/X11/X11LoupeSupport.h"
#include "Chromet/Picking/X11/X11SnapshotCapturer.h"
#include "Support/ColorFixture.h"
#include "Support/OtherClient.h"

#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include <cmath>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

// Helpers for driving the loupe on a real X server: a pattern window in which every pixel has a
// color of its own, xdotool for input, and the fixture the loupe controller tests share.

// A borderless window of the color fixture's pattern, placed exactly where asked (no window
// manager runs).
class PatternWindow : public QWidget {
public:
    explicit PatternWindow(const QRect &geometry)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(geometry);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        const qreal ratio = devicePixelRatioF();
        QImage image = colorFixtureImage((QSizeF(size()) * ratio).toSize());
        image.setDevicePixelRatio(ratio);
        QPainter(this).drawImage(0, 0, image);
    }
};

inline bool xdotool(const QStringList &arguments) {
    return QProcess::execute(u"xdotool"_s, arguments) == 0;
}

// The set-up the loupe tests on a real X server share: another client to watch the server
// through, a controller on the X11 capturer, and the picks it reports.
class LoupeX11Fixture : public QObject {
protected:
    static bool moveTo(const QPoint &p) {
        return xdotool({u"mousemove"_s, QString::number(p.x()), QString::number(p.y())});
    }
    static bool keys(const QStringList &names) { return xdotool(QStringList{u"key"_s} + names); }
    static QRgb toRgb(const PickedColor &color) {
        return qRgb(int(std::lround(color.srgb.r * 255)), int(std::lround(color.srgb.g * 255)),
                    int(std::lround(color.srgb.b * 255)));
    }

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
    // Puts the pointer at `pointer` (device pixels) and starts a pick there; waits for its
    // `windows` windows and, unless told not to, for the grabs.
    void startPick(const QPoint &pointer, int windows = 1, bool waitForGrab = true) {
        QVERIFY(moveTo(pointer));
        QTRY_COMPARE(m_other->pointer(), pointer);
        m_controller->start([this](const PickedColor &color) { m_picks.append(color); });
        QTRY_VERIFY(m_controller->windows().size() >= windows);
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
