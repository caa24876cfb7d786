#pragma once

#include "Chromet/Library/NamedColor.h"

#include <QList>

// A named collection of colors, in the order they were added. Names need not be unique; the id is.
struct Palette {
    QUuid id;
    QString name;
    QList<NamedColor> colors;

    friend bool operator==(const Palette &, const Palette &) = default;

    static std::optional<Palette> fromJson(const QJsonValue &value);
    // As above; on failure *error (if given) says where and why, e.g. "id: not a UUID".
    static std::optional<Palette> fromJson(const QJsonValue &value, QString *error);
};
