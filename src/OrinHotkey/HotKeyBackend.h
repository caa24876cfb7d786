#pragma once

#include "OrinHotkey/HotKeyCombo.h"

#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

// The pair under which a hot key is registered and reported back.
struct HotKeyIdentifier {
    quint32 signature = 0;
    quint32 id = 0;
    friend constexpr bool operator==(const HotKeyIdentifier &, const HotKeyIdentifier &) = default;
};

// The system's global-shortcut service: grabs a combination for the whole desktop and reports
// its presses. All calls and reports happen on the main thread.
class HotKeyBackend {
public:
    using Handler = std::function<void(HotKeyIdentifier)>;
    using Ref = quintptr;

    virtual ~HotKeyBackend() = default;

    // Installs the one handler that receives every press of a registered combination.
    virtual void installHandler(Handler handler) = 0;
    // Registers the combination synchronously; nothing when the system refuses it (another
    // client holds it, the key has no equivalent here, or this process holds it already).
    virtual std::optional<Ref> registerHotKey(const HotKeyCombo &combo,
                                              HotKeyIdentifier identifier) = 0;
    virtual void unregisterHotKey(Ref ref) = 0;
    // Whether this desktop lets an application grab shortcuts at all: when not, a refusal says
    // nothing about other applications.
    virtual bool canGrabShortcuts() const = 0;

    // The backend of PlatformBackend::kind(); the null one refuses everything.
    static std::unique_ptr<HotKeyBackend> createDefault();
};
