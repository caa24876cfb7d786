#pragma once

#include <QString>

// The window-system backend of this run, chosen once from QGuiApplication::platformName() and
// what the build contains. Every module builds its platform implementation from kind(); views ask
// capabilities() instead of the platform's name, so that they offer only what can act.
class PlatformBackend {
public:
    enum class Kind {
        X11,
        Wayland,
        // Offscreen runs, a command-line run without a display, sessions this build cannot serve:
        // implementations that do nothing and say so.
        Null,
    };

    struct Capabilities {
        bool canCaptureScreen = false;
        // The pointer can be read anywhere and moved (a nudge moves the system pointer).
        bool canWarpPointer = false;
        bool canGrabShortcuts = false;
        // Windows can be placed on the screen and kept above others.
        bool canPlacePanels = false;
        bool canSendKeystrokes = false;
        // The desktop has a setting that grants screen reading, which can be opened.
        bool hasPermissionSetting = false;
        bool hasTray = false;
    };

    // Needs the QGuiApplication; without one (a command-line run) the answer is Null.
    static Kind kind();
    // "X11", "Wayland" or "null".
    static QString name();
    // Why a Null backend runs, in words for the log and for alerts; empty for the others.
    static QString nullReason();
    static Capabilities capabilities();
    // Wayland compositors that copy the screen for no client (KDE, GNOME), or any when
    // CHROMET_CAPTURE is "portal": the screen is read through the desktop's Screenshot portal,
    // where the session has one. Asks the portal once, which may take a few seconds while it
    // starts.
    static bool readsScreenThroughPortal();
    // The one log line of a Null backend, what is unavailable and why; once per process, and
    // nothing on the other backends. The Null implementations themselves stay silent.
    static void reportUnavailable();
};
