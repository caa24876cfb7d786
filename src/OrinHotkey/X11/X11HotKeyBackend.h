#pragma once

#include "OrinHotkey/HotKeyBackend.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QVector>

#include <map>
#include <memory>

struct xcb_connection_t;

// Global shortcuts as passive key grabs on the root windows. Each combination is grabbed four
// times, alone and with Caps Lock, Num Lock or both, so the lock keys do not disable it. Grabs go
// through checked requests, so a combination held by another client is refused at once; presses
// are picked out of Qt's event stream by a native event filter. When the keyboard mapping changes
// (Num Lock may move to another modifier) the grabs are made again. A held combination acts once:
// the server's auto-repeat presses are swallowed until the key is released.
class X11HotKeyBackend final : public HotKeyBackend, public QAbstractNativeEventFilter {
public:
    // Null unless the application runs on X11.
    static std::unique_ptr<X11HotKeyBackend> create();

    explicit X11HotKeyBackend(xcb_connection_t *connection);
    ~X11HotKeyBackend() override;

    void installHandler(Handler handler) override;
    // Answers at once: the server grants or refuses the grab synchronously.
    void registerHotKey(const HotKeyCombo &combo, HotKeyIdentifier identifier,
                        Answer answer) override;
    void unregisterHotKey(Ref ref) override;
    bool canGrabShortcuts() const override { return true; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // The X modifier mask of a combination (ControlMask, Mod1, ShiftMask, Mod4).
    static quint16 x11Modifiers(quint32 carbonModifiers);

private:
    std::optional<Ref> grabCombo(const HotKeyCombo &combo, HotKeyIdentifier identifier);

    struct Grab {
        HotKeyIdentifier identifier;
        quint8 keycode = 0;
        quint16 modifiers = 0;
        // The exact modifier sets grabbed, lock variants included.
        QVector<quint16> grabbed;
        // Pressed since the press that acted; the times of the latest press and release (server
        // ms), and whether a release came after that press.
        bool held = false;
        bool released = false;
        quint32 lastPress = 0;
        quint32 releaseTime = 0;
    };

    // Whether a press of a held combination is the server repeating it.
    bool isRepeat(Grab &grab, quint32 time);
    // Also learns whether the server reports auto-repeat to this client without releases.
    quint32 readRepeatWindow();

    bool grab(Grab &grab);
    void ungrab(Grab &grab);
    quint16 readNumLockMask() const;
    void scheduleRenewal();
    void renewGrabs();

    xcb_connection_t *m_connection = nullptr;
    QVector<quint32> m_roots;
    quint16 m_numLockMask = 0;
    // The longest gap between presses of a key the server repeats (its delay), with some slack.
    quint32 m_repeatWindow = 0;
    bool m_detectableRepeat = false;
    quint8 m_xkbFirstEvent = 0;
    Handler m_handler;
    bool m_filterInstalled = false;
    bool m_renewalPending = false;
    Ref m_nextRef = 1;
    std::map<Ref, Grab> m_grabs;
    // Context for queued work, so nothing runs once the backend is gone.
    QObject m_context;
};
