#pragma once

#include "Chromet/Color/ColorFormat.h"
#include "OrinHotkey/HotKeyCombo.h"

#include <QLatin1StringView>
#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

class QSettings;

// The user's settings, kept in an INI file ($XDG_CONFIG_HOME/Chromet/Chromet.conf). Values are
// read once at construction; every assignment is written to the file at once. Changes are
// signalled per value, and a shortcut assignment is also posted on the NotificationCenter as
// hotKeyChangedNotification so the shortcut can be registered again. Main thread only.
//
// Stored forms, under [General]:
//   hotKey                  the shortcut's JSON text as a string, {"keyCode":8,"modifiers":6144}
//                           (readable and editable, and ASCII, so it reads back byte for byte;
//                           a @ByteArray(...) value holding the same JSON is accepted too)
//   showDockIcon, hasCompletedOnboarding, lowercaseHex, hasSeenNoTrayNotice,
//   hasSeenDesktopPickerNotice
//                           true or false
//   defaultFormat           the format's raw value, e.g. hex or tailwind
// A missing or unreadable value reads as its default and stays in the file untouched until that
// value is next assigned.
class Preferences : public QObject {
    Q_OBJECT

public:
    static constexpr QLatin1StringView hotKeyChangedNotification{"ChrometHotKeyChanged"};
    // Ctrl+Alt+C: key code 8 with control and option.
    static constexpr HotKeyCombo defaultHotKey{8, HotKeyCombo::controlKey | HotKeyCombo::optionKey};

    // The one instance of the process, on defaultPath(); created on first use (safe if two
    // threads ask at once) and kept until the process ends.
    static Preferences &shared();
    // $XDG_CONFIG_HOME/Chromet/Chromet.conf (~/.config/Chromet/Chromet.conf).
    static QString defaultPath();

    // Reads the settings in the INI file at `path`. A missing file is a fresh start; the file and
    // its folder are created by the first assignment.
    explicit Preferences(const QString &path, QObject *parent = nullptr);
    ~Preferences() override;

    QString path() const;

    HotKeyCombo hotKey() const { return m_hotKey; }
    bool showDockIcon() const { return m_showDockIcon; }
    bool hasCompletedOnboarding() const { return m_hasCompletedOnboarding; }
    ColorFormat defaultFormat() const { return m_defaultFormat; }
    bool lowercaseHex() const { return m_lowercaseHex; }
    // Whether the user was told once that the desktop shows no tray.
    bool hasSeenNoTrayNotice() const { return m_hasSeenNoTrayNotice; }
    // Whether the user was told once that the desktop's own color picker stands in for the loupe.
    bool hasSeenDesktopPickerNotice() const { return m_hasSeenDesktopPickerNotice; }

    // Each stores the value at once, and signals when it differs from the current one.
    // setHotKey() also posts hotKeyChangedNotification every time, even for an equal value.
    void setHotKey(const HotKeyCombo &combo);
    void setShowDockIcon(bool show);
    void setHasCompletedOnboarding(bool completed);
    void setDefaultFormat(ColorFormat format);
    void setLowercaseHex(bool lowercase);
    void setHasSeenNoTrayNotice(bool seen);
    void setHasSeenDesktopPickerNotice(bool seen);

Q_SIGNALS:
    void hotKeyChanged(const HotKeyCombo &combo);
    void showDockIconChanged(bool show);
    void hasCompletedOnboardingChanged(bool completed);
    void defaultFormatChanged(ColorFormat format);
    void lowercaseHexChanged(bool lowercase);
    void hasSeenNoTrayNoticeChanged(bool seen);
    void hasSeenDesktopPickerNoticeChanged(bool seen);

private:
    bool readBool(const QString &key) const;
    void setBool(bool &field, bool value, const QString &key, void (Preferences::*changed)(bool));
    void store(const QString &key, const QVariant &value);

    std::unique_ptr<QSettings> m_settings;
    HotKeyCombo m_hotKey = defaultHotKey;
    bool m_showDockIcon = false;
    bool m_hasCompletedOnboarding = false;
    ColorFormat m_defaultFormat = ColorFormat::hex;
    bool m_lowercaseHex = false;
    bool m_hasSeenNoTrayNotice = false;
    bool m_hasSeenDesktopPickerNotice = false;
};
