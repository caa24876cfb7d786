#include "OrinHotkey/HotKeyCombo.h"

#include "OrinHotkey/KeyboardLayout.h"

#include <QJsonDocument>
#include <QJsonValue>

#include <cmath>
#include <limits>

namespace {

const QString keyCodeKey = QStringLiteral("keyCode");
const QString modifiersKey = QStringLiteral("modifiers");

QStringList modifierGlyphs(quint32 modifiers) {
    QStringList glyphs;
    if (modifiers & HotKeyCombo::controlKey)
        glyphs << QStringLiteral("\u2303");
    if (modifiers & HotKeyCombo::optionKey)
        glyphs << QStringLiteral("\u2325");
    if (modifiers & HotKeyCombo::shiftKey)
        glyphs << QStringLiteral("\u21E7");
    if (modifiers & HotKeyCombo::cmdKey)
        glyphs << QStringLiteral("\u2318");
    return glyphs;
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
    return modifierGlyphs(modifiers).join(QString()) + KeyboardLayout::displayName(keyCode);
}

QString HotKeyCombo::displayString(const KeyboardMap *map) const {
    return modifierGlyphs(modifiers).join(QString()) + KeyboardLayout::displayName(keyCode, map);
}

QStringList HotKeyCombo::keyCaps() const {
    return modifierGlyphs(modifiers) << KeyboardLayout::displayName(keyCode);
}

QStringList HotKeyCombo::keyCaps(const KeyboardMap *map) const {
    return modifierGlyphs(modifiers) << KeyboardLayout::displayName(keyCode, map);
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
