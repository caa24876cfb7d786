#pragma once

#include "OrinHotkey/HotKeyBackend.h"
#include "OrinHotkey/HotKeyCombo.h"

#include <functional>
#include <memory>
#include <optional>

// One registered system-wide shortcut. Its action runs on the main thread, on a later turn of the
// event loop than the press. Destroying the object unregisters it. Use from the main thread only.
class HotKey {
public:
    using Action = std::function<void()>;
    // The registered hot key, or null when the system refused the combination.
    using Answer = std::function<void(std::unique_ptr<HotKey>)>;

    // "ORIN", packed big-endian.
    static constexpr quint32 signature =
        (quint32('O') << 24) | (quint32('R') << 16) | (quint32('I') << 8) | quint32('N');

    // Asks the system for the combination. `answer` runs before this returns or on a later turn
    // (never when the service is replaced first); callers expect either, capture their owner
    // weakly, and let a hot key that comes too late go (dropping it unregisters it). Every
    // attempt uses up an id.
    static void create(const HotKeyCombo &combo, Action action, Answer answer);

    ~HotKey();
    HotKey(const HotKey &) = delete;
    HotKey &operator=(const HotKey &) = delete;

    quint32 id() const { return m_id; }
    HotKeyCombo combo() const { return m_combo; }

    // Whether the desktop lets this process grab shortcuts at all.
    static bool canGrabShortcuts();
    // The desktop's description of the trigger it assigned, where it assigns one (the portal's
    // global shortcuts); empty elsewhere and before the desktop has answered.
    static QString triggerDescription();

    // Replaces the process's hot-key service (tests). Only while no HotKey exists; null returns
    // to the system's service on the next creation.
    static void setBackend(std::unique_ptr<HotKeyBackend> backend);

private:
    HotKey(quint32 id, const HotKeyCombo &combo)
        : m_id(id)
        , m_combo(combo) {}

    std::optional<HotKeyBackend::Ref> m_ref;
    quint32 m_id = 0;
    HotKeyCombo m_combo;
};
