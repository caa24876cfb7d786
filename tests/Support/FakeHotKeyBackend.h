#pragma once

#include "OrinHotkey/HotKey.h"
#include "OrinHotkey/HotKeyBackend.h"
#include "OrinHotkey/HotKeyCombo.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <functional>
#include <utility>

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
    QString triggerDescription;
    QList<Attempt> attempts;
    QHash<HotKeyBackend::Ref, HotKeyCombo> registered;
    QList<HotKeyBackend::Ref> unregistered;
    HotKeyBackend::Handler handler;
    int installs = 0;
    HotKeyBackend::Ref nextRef = 1;
    // When set, registrations wait in `pending` until answerPending() answers them, deciding then.
    bool answerLater = false;
    QList<std::function<void()>> pending;

    void answerPending() {
        const QList<std::function<void()>> waiting = std::exchange(pending, {});
        for (const auto &answer : waiting)
            answer();
    }

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
    void registerHotKey(const HotKeyCombo &combo, HotKeyIdentifier identifier,
                        Answer answer) override {
        m_desk.attempts.append({combo, identifier});
        ShortcutDesk &desk = m_desk;
        auto decide = [&desk, combo, answer] {
            if (desk.refused.contains(combo.keyCode)) {
                answer(std::nullopt);
                return;
            }
            const Ref ref = desk.nextRef++;
            desk.registered.insert(ref, combo);
            answer(ref);
        };
        if (m_desk.answerLater)
            m_desk.pending.append(decide);
        else
            decide();
    }
    void unregisterHotKey(Ref ref) override {
        m_desk.registered.remove(ref);
        m_desk.unregistered.append(ref);
    }
    bool canGrabShortcuts() const override { return m_desk.canGrab; }
    QString triggerDescription() const override { return m_desk.triggerDescription; }

private:
    ShortcutDesk &m_desk;
};
