#pragma once

#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Color/PickedColor.h"

#include <QDBusContext>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// The running Chromet on the session bus, under the application id: other processes (`chromet
// pick`, a second `chromet`, compositor key bindings) start picks and raise the settings through
// it. The public slots are the bus methods, hence their D-Bus style names. Main thread only.
class InstanceService : public QObject, protected QDBusContext {
    Q_OBJECT

public:
    using PickResult = std::function<void(const std::optional<PickedColor> &)>;

    struct Actions {
        // Starts a pick, or ends the one showing (as the shortcut does).
        std::function<void()> pick;
        // Calls back with the next pick's color, or nothing when it ends without one.
        std::function<void(PickResult)> pickThen;
        // The text of a color in a format (nothing: the default format), as the user's
        // preferences write it.
        std::function<QString(const PickedColor &, std::optional<ColorFormat>)> code;
        std::function<void()> showSettings;
    };

    // The bus object's path and interface.
    static QString objectPath();
    static QString interfaceName();
    // The error a waiting pick ends with when it is cancelled.
    static QString cancelledError();

    explicit InstanceService(Actions actions, QObject *parent = nullptr);
    ~InstanceService() override;

    // Exports this object and asks for the name on the session bus; false (with the reason in
    // errorString()) when there is no bus or another process owns the name.
    bool registerOnSessionBus();
    QString errorString() const { return m_error; }

public Q_SLOTS:
    void Pick();
    // The code of the next pick in `format` (a ColorFormat raw value; empty: the default format).
    // Replied once the pick ends; an error when it ends without a color or the format is unknown.
    QString PickAndPrint(const QString &format);
    void ShowSettings();

private:
    Actions m_actions;
    QString m_error;
    bool m_registered = false;
};
