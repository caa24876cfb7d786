#include "Chromet/App/Preferences.h"

#include "Chromet/App/NotificationCenter.h"
#include "Chromet/Logging/Logging.h"

#include <QHash>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString hotKeyKey = QStringLiteral("hotKey");
const QString showDockIconKey = QStringLiteral("showDockIcon");
const QString hasCompletedOnboardingKey = QStringLiteral("hasCompletedOnboarding");
const QString defaultFormatKey = QStringLiteral("defaultFormat");
const QString lowercaseHexKey = QStringLiteral("lowercaseHex");
const QString hasSeenNoTrayNoticeKey = QStringLiteral("hasSeenNoTrayNotice");
const QString hasSeenDesktopPickerNoticeKey = QStringLiteral("hasSeenDesktopPickerNotice");

// Registered defaults: the answers for Bool keys the file does not hold (or holds in no Bool
// form). They are never written, so the file keeps only what was assigned.
bool registeredDefault(const QString &key) {
    static const QHash<QString, bool> defaults{
        {showDockIconKey, false},
        {hasCompletedOnboardingKey, false},
        {lowercaseHexKey, false},
        {hasSeenNoTrayNoticeKey, false},
        {hasSeenDesktopPickerNoticeKey, false},
    };
    return defaults.value(key);
}

QString describe(QSettings::Status status) {
    switch (status) {
    case QSettings::NoError:
        return QStringLiteral("no error");
    case QSettings::AccessError:
        return QStringLiteral("the file cannot be written");
    case QSettings::FormatError:
        return QStringLiteral("the file is not in INI format");
    }
    return QStringLiteral("unknown error");
}

} // namespace

Preferences &Preferences::shared() {
    // Never destroyed: every assignment is already on disk, and objects torn down late may
    // still read it.
    static Preferences *const preferences = new Preferences(defaultPath());
    return *preferences;
}

QString Preferences::defaultPath() {
    // Honours XDG_CONFIG_HOME and falls back to ~/.config; never empty on Unix.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Chromet/Chromet.conf");
}

Preferences::Preferences(const QString &path, QObject *parent)
    : QObject(parent)
    , m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat)) {
    if (m_settings->status() != QSettings::NoError)
        qCWarning(lcChromet, "Chromet: failed to read settings from %s: %s", qUtf8Printable(path),
                  qUtf8Printable(describe(m_settings->status())));

    // Only the JSON text (or bytes) counts: an unquoted hand edit with a comma reads back as a
    // list and falls back like any other unreadable value.
    const QVariant hotKey = m_settings->value(hotKeyKey);
    if (hotKey.typeId() == QMetaType::QString || hotKey.typeId() == QMetaType::QByteArray) {
        if (const auto combo = HotKeyCombo::fromJsonBytes(hotKey.toByteArray()))
            m_hotKey = *combo;
    }

    m_showDockIcon = readBool(showDockIconKey);
    m_hasCompletedOnboarding = readBool(hasCompletedOnboardingKey);

    const QVariant format = m_settings->value(defaultFormatKey);
    if (format.typeId() == QMetaType::QString) {
        if (const auto parsed = ColorFormats::fromRawValue(format.toString()))
            m_defaultFormat = *parsed;
    }

    m_lowercaseHex = readBool(lowercaseHexKey);
    m_hasSeenNoTrayNotice = readBool(hasSeenNoTrayNoticeKey);
    m_hasSeenDesktopPickerNotice = readBool(hasSeenDesktopPickerNoticeKey);
}

Preferences::~Preferences() = default;

QString Preferences::path() const {
    return m_settings->fileName();
}

bool Preferences::readBool(const QString &key) const {
    // QSettings reads true/false as Bools. Hand edits are read strictly (True, 1 and 0 too),
    // not by QVariant's "any non-empty text is true": "yes" or a list gives the default.
    const QVariant value = m_settings->value(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed().toLower();
        if (text == QLatin1String("true") || text == QLatin1String("1"))
            return true;
        if (text == QLatin1String("false") || text == QLatin1String("0"))
            return false;
    }
    return registeredDefault(key);
}

void Preferences::store(const QString &key, const QVariant &value) {
    m_settings->setValue(key, value);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        qCWarning(lcChromet, "Chromet: failed to save settings to %s: %s",
                  qUtf8Printable(m_settings->fileName()),
                  qUtf8Printable(describe(m_settings->status())));
}

// Each setter stores before it signals, so an observer that assigns again from its slot leaves
// the file holding the newest value.

void Preferences::setHotKey(const HotKeyCombo &combo) {
    const bool changed = combo != m_hotKey;
    m_hotKey = combo;
    // The JSON of two whole numbers cannot fail to encode; it is ASCII, so the string holds
    // exactly the encoder's bytes.
    store(hotKeyKey, QString::fromLatin1(combo.toJsonBytes()));
    if (changed)
        Q_EMIT hotKeyChanged(combo);
    NotificationCenter::instance().post(hotKeyChangedNotification);
}

void Preferences::setBool(bool &field, bool value, const QString &key,
                          void (Preferences::*changed)(bool)) {
    const bool differs = value != field;
    field = value;
    store(key, value);
    if (differs)
        Q_EMIT(this->*changed)(value);
}

void Preferences::setShowDockIcon(bool show) {
    setBool(m_showDockIcon, show, showDockIconKey, &Preferences::showDockIconChanged);
}

void Preferences::setHasCompletedOnboarding(bool completed) {
    setBool(m_hasCompletedOnboarding, completed, hasCompletedOnboardingKey,
            &Preferences::hasCompletedOnboardingChanged);
}

void Preferences::setDefaultFormat(ColorFormat format) {
    const bool changed = format != m_defaultFormat;
    m_defaultFormat = format;
    store(defaultFormatKey, ColorFormats::rawValue(format));
    if (changed)
        Q_EMIT defaultFormatChanged(format);
}

void Preferences::setLowercaseHex(bool lowercase) {
    setBool(m_lowercaseHex, lowercase, lowercaseHexKey, &Preferences::lowercaseHexChanged);
}

void Preferences::setHasSeenNoTrayNotice(bool seen) {
    setBool(m_hasSeenNoTrayNotice, seen, hasSeenNoTrayNoticeKey,
            &Preferences::hasSeenNoTrayNoticeChanged);
}

void Preferences::setHasSeenDesktopPickerNotice(bool seen) {
    setBool(m_hasSeenDesktopPickerNotice, seen, hasSeenDesktopPickerNoticeKey,
            &Preferences::hasSeenDesktopPickerNoticeChanged);
}
