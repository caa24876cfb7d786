#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

// Helpers shared by the library's JSON decoders. An error reads "path: problem", for example
// "palettes[0].colors[2].id: not a UUID"; a problem with a value itself has an empty path
// (": not an object") until an enclosing decoder prefixes its location.

// Stores the error (when asked for) and returns nullopt, so decoders can `return jsonFailure(...)`.
std::nullopt_t jsonFailure(QString *error, const QString &path, const QString &problem);
// Puts `location` (such as "palettes[3]") in front of an error reported by a nested decoder.
void prefixJsonError(QString *error, const QString &location);

// Accepts exactly 8-4-4-4-12 hexadecimal digits with hyphens, in either case.
std::optional<QUuid> uuidFromText(QStringView text);

std::optional<QUuid> uuidFromJson(const QJsonObject &object, QLatin1StringView key, QString *error);
std::optional<QString> stringFromJson(const QJsonObject &object, QLatin1StringView key,
                                      QString *error);
std::optional<QJsonArray> arrayFromJson(const QJsonObject &object, QLatin1StringView key,
                                        QString *error);

// What is wrong with a value that PickedColor::fromJson refused.
QString pickedColorProblem();
