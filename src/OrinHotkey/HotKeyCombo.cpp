#include "OrinHotkey/HotKeyCombo.h"

#include "OrinHotkey/KeyboardLayout.h"

#include <QJsonDocument>
#include <QJsonValue>

#include <cmath>
#include <limits>

namespace {

const QString keyCodeKey = QStringLiteral("keyCode");
const QString modifiersKey = QStringLiteral("modifiers");

// The names Linux desktops print on shortcuts, in their usual order.
QStringList modifierNames(quint32 modifiers) {
    QStringList names;
    if (modifiers & HotKeyCombo::controlKey)
        names << QStringLiteral("Ctrl");
    if (modifiers & HotKeyCombo::optionKey)
        names << QStringLiteral("Alt");
    if (modifiers & HotKeyCombo::shiftKey)
        names << QStringLiteral("Shift");
    if (modifiers & HotKeyCombo::cmdKey)
        names << QStringLiteral("Super");
    return names;
}

std::optional<quint32> readUInt32(const QJsonObject &object, const QString &key) {
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || number < 0 ||
        number > double(std::numeric_limits<quint32>::max()) || std::floor(number) != number)
        return std::nullopt;
    return quint32(number);
}

} // namespace

quint32 HotKeyCombo::carbonFlags(Qt::KeyboardModifiers flags) {
    quint32 mask = 0;
    if (flags & Qt::MetaModifier)
        mask |= cmdKey;
    if (flags & Qt::AltModifier)
        mask |= optionKey;
    if (flags & Qt::ControlModifier)
        mask |= controlKey;
    if (flags & Qt::ShiftModifier)
        mask |= shiftKey;
    return mask;
}

QString HotKeyCombo::displayString() const {
    return keyCaps().join(QLatin1Char('+'));
}

QStringList HotKeyCombo::keyCaps() const {
    return modifierNames(modifiers) << KeyboardLayout::displayName(keyCode);
}

QJsonObject HotKeyCombo::toJson() const {
    return QJsonObject{{keyCodeKey, qint64(keyCode)}, {modifiersKey, qint64(modifiers)}};
}

QByteArray HotKeyCombo::toJsonBytes() const {
    return QJsonDocument(toJson()).toJson(QJsonDocument::Compact);
}

std::optional<HotKeyCombo> HotKeyCombo::fromJson(const QJsonValue &value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto keyCode = readUInt32(object, keyCodeKey);
    const auto modifiers = readUInt32(object, modifiersKey);
    if (!keyCode || !modifiers)
        return std::nullopt;
    return HotKeyCombo(*keyCode, *modifiers);
}

std::optional<HotKeyCombo> HotKeyCombo::fromJsonBytes(const QByteArray &json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return fromJson(document.object());
}
