#include "Chromet/App/X11/X11WindowFocus.h"
#include "Support/OtherClient.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QTest>

class tst_X11WindowFocus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The active window is the input focus, never the root; the focus goes back only to a window
    // that is still there.
    void activeWindowAndActivation() {
        OtherClient other;
        const xcb_window_t editor = other.createWindow(true);
        const xcb_window_t gone = other.createWindow(true);
        const xcb_window_t kept = other.createWindow(true);
        const auto focus = X11WindowFocus::create();
        QVERIFY(focus);
        other.setFocus(XCB_INPUT_FOCUS_POINTER_ROOT);
        QCOMPARE(focus->activeWindow(), std::nullopt);
        other.setFocus(other.root());
        QCOMPARE(focus->activeWindow(), std::nullopt);
        other.setFocus(kept);
        QCOMPARE(focus->activeWindow(), std::optional<WId>(kept));
        other.destroy(gone);
        focus->activate(gone);
        QCOMPARE(other.focus(), kept);
        focus->activate(editor);
        QTRY_COMPARE(other.focus(), editor);
    }
    void staleWindowManagerCheckCountsAsNone() {
        OtherClient other;
        const xcb_window_t gone = other.createWindow(false);
        other.destroy(gone);
        other.setWindowProperty(other.root(), "_NET_SUPPORTING_WM_CHECK", gone);
        other.sync();
        const xcb_window_t editor = other.createWindow(true);
        const xcb_window_t elsewhere = other.createWindow(true);
        other.setFocus(elsewhere);
        // No window manager would act on a request, so the focus is set directly.
        const auto focus = X11WindowFocus::create();
        QCOMPARE(focus->activeWindow(), std::optional<WId>(elsewhere));
        focus->activate(editor);
        QTRY_COMPARE(other.focus(), editor);
    }
    // With a window manager the switch is asked of it, never for a window no longer shown.
    void windowManagerIsAskedOnlyForShownWindows() {
        OtherClient manager;
        const xcb_window_t hidden = manager.createWindow(false);
        const xcb_window_t shown = manager.createWindow(true);
        QVERIFY(manager.actAsWindowManager(shown));
        const auto focus = X11WindowFocus::create();
        focus->activate(hidden);
        focus->activate(shown);
        std::optional<OtherClient::Activation> activation;
        QTRY_VERIFY((activation = activation ? activation : manager.takeActivation()));
        QCOMPARE(activation->window, shown);
    }
};

CHROMET_X11_TEST_MAIN(tst_X11WindowFocus)
#include "tst_X11WindowFocus.moc"
