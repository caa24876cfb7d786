#pragma once

#include "Chromet/Color/PickedColor.h"

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

// A color in a palette, under the name the user gave it (or a Tailwind-derived default).
struct NamedColor {
    QUuid id;
    QString name;
    PickedColor color;

    friend bool operator==(const NamedColor &, const NamedColor &) = default;

    static std::optional<NamedColor> fromJson(const QJsonValue &value);
    // As above; on failure *error (if given) says where and why, e.g. "id: not a UUID".
    static std::optional<NamedColor> fromJson(const QJsonValue &value, QString *error);
};
