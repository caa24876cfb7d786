#pragma once

#include "OrinHotkey/HotKeyCombo.h"

#include <QString>
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
    // The registration, or nothing when the system refuses it.
    using Answer = std::function<void(std::optional<Ref>)>;

    virtual ~HotKeyBackend() = default;

    // Installs the one handler that receives every press of a registered combination.
    virtual void installHandler(Handler handler) = 0;
    // Asks to register the combination; `answer` gets the registration, or nothing when the
    // system refuses it (another client holds it, the key has no equivalent here, or this process
    // holds it already). It runs before this returns or on a later turn (a desktop portal asks
    // the user); a backend destroyed first never answers.
    virtual void registerHotKey(const HotKeyCombo &combo, HotKeyIdentifier identifier,
                                Answer answer) = 0;
    virtual void unregisterHotKey(Ref ref) = 0;
    // Whether this desktop lets an application grab shortcuts at all: when not, a refusal says
    // nothing about other applications.
    virtual bool canGrabShortcuts() const = 0;
    // How the desktop describes the trigger of the registration in force, where the desktop
    // assigns it and may choose another than the one asked for; empty elsewhere.
    virtual QString triggerDescription() const { return QString(); }

    // The backend of PlatformBackend::kind(): on Wayland the desktop portal's, where it has
    // global shortcuts; the null one refuses everything.
    static std::unique_ptr<HotKeyBackend> createDefault();
};
