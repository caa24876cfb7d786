#pragma once

#include "OrinHotkey/HotKey.h"
#include "OrinHotkey/HotKeyBackend.h"
#include "OrinHotkey/HotKeyCombo.h"

#include <QHash>
#include <QList>
#include <QSet>

// The desktop's shortcut service as a test sets it up: refuses chosen key codes, remembers what
// it was asked and what is registered, and presses keys. The test owns it; the backend that
// HotKey::setBackend() takes reports into it.
struct ShortcutDesk {
    struct Attempt {
        HotKeyCombo combo;
        HotKeyIdentifier identifier;
    };

    QSet<quint32> refused;
    bool canGrab = true;
    QList<Attempt> attempts;
    QHash<HotKeyBackend::Ref, HotKeyCombo> registered;
    QList<HotKeyBackend::Ref> unregistered;
    HotKeyBackend::Handler handler;
    int installs = 0;
    HotKeyBackend::Ref nextRef = 1;

    QList<HotKeyCombo> attemptedCombos() const {
        QList<HotKeyCombo> combos;
        for (const Attempt &attempt : attempts)
            combos.append(attempt.combo);
        return combos;
    }
    void press(quint32 id) const { handler({HotKey::signature, id}); }
};

class FakeHotKeyBackend final : public HotKeyBackend {
public:
    explicit FakeHotKeyBackend(ShortcutDesk &desk)
        : m_desk(desk) {}

    void installHandler(Handler handler) override {
        ++m_desk.installs;
        m_desk.handler = std::move(handler);
    }
    std::optional<Ref> registerHotKey(const HotKeyCombo &combo,
                                      HotKeyIdentifier identifier) override {
        m_desk.attempts.append({combo, identifier});
        if (m_desk.refused.contains(combo.keyCode))
            return std::nullopt;
        const Ref ref = m_desk.nextRef++;
        m_desk.registered.insert(ref, combo);
        return ref;
    }
    void unregisterHotKey(Ref ref) override {
        m_desk.registered.remove(ref);
        m_desk.unregistered.append(ref);
    }
    bool canGrabShortcuts() const override { return m_desk.canGrab; }

private:
    ShortcutDesk &m_desk;
};
