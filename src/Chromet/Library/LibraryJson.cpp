#include "Chromet/Library/LibraryJson.h"

std::nullopt_t jsonFailure(QString *error, const QString &path, const QString &problem) {
    if (error)
        *error = path + QLatin1String(": ") + problem;
    return std::nullopt;
}

void prefixJsonError(QString *error, const QString &location) {
    if (!error)
        return;
    if (error->startsWith(QLatin1Char(':')))
        error->prepend(location);
    else
        error->prepend(location + QLatin1Char('.'));
}

namespace {

bool isHexDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

} // namespace

std::optional<QUuid> uuidFromText(QStringView text) {
    // QUuid::fromString also takes braces and returns the nil UUID for bad text, which would make
    // a stored nil UUID indistinguishable from garbage; check the shape first.
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool hyphenSlot = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphenSlot ? c != QLatin1Char('-') : !isHexDigit(c))
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

std::optional<QUuid> uuidFromJson(const QJsonObject &object, QLatin1StringView key,
                                  QString *error) {
    const auto text = stringFromJson(object, key, error);
    if (!text)
        return std::nullopt;
    const auto id = uuidFromText(*text);
    if (!id)
        return jsonFailure(error, QString(key), QStringLiteral("not a UUID"));
    return id;
}

std::optional<QString> stringFromJson(const QJsonObject &object, QLatin1StringView key,
                                      QString *error) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return jsonFailure(error, QString(key), QStringLiteral("missing"));
    if (!value.isString())
        return jsonFailure(error, QString(key), QStringLiteral("not a string"));
    return value.toString();
}

std::optional<QJsonArray> arrayFromJson(const QJsonObject &object, QLatin1StringView key,
                                        QString *error) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return jsonFailure(error, QString(key), QStringLiteral("missing"));
    if (!value.isArray())
        return jsonFailure(error, QString(key), QStringLiteral("not an array"));
    return value.toArray();
}

QString pickedColorProblem() {
    return QStringLiteral("not a color (needs \"srgb\" and \"p3\", each with numeric \"r\", \"g\", "
                          "\"b\")");
}
