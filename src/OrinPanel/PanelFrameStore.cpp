#include "OrinPanel/PanelFrameStore.h"

#include <QLocale>
#include <QSettings>
#include <QVariantList>

#include <algorithm>
#include <cmath>

namespace {

std::optional<double> number(const QVariant &value) {
    double result = 0;
    bool ok = false;
    switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        result = value.toDouble(&ok);
        break;
    case QMetaType::QString:
        result = QLocale::c().toDouble(value.toString().trimmed(), &ok);
        break;
    default:
        return std::nullopt;
    }
    // Not-a-number or infinity would survive every min and max of the clamping.
    if (!ok || !std::isfinite(result))
        return std::nullopt;
    return result;
}

} // namespace

QString PanelFrameStore::screenKey(const QString &name, const QSizeF &size) {
    const auto whole = [](qreal v) {
        return QString::number(qint64(std::trunc(v)));
    };
    return name + QLatin1Char('@') + whole(size.width()) + QLatin1Char('x') + whole(size.height());
}

QString PanelFrameStore::defaultsKey(const QString &key, const QString &screenKey) {
    return key + QLatin1Char('.') + screenKey;
}

void PanelFrameStore::save(const QRectF &frame, const QString &key, const QString &screenKey,
                           QSettings *defaults) {
    if (!defaults)
        return;
    defaults->setValue(defaultsKey(key, screenKey),
                       QVariantList{frame.x(), frame.y(), frame.width(), frame.height()});
}

std::optional<QRectF> PanelFrameStore::load(const QString &key, const QString &screenKey,
                                            QSettings *defaults) {
    if (!defaults)
        return std::nullopt;
    const QVariant stored = defaults->value(defaultsKey(key, screenKey));
    const int type = stored.metaType().id();
    if (type != QMetaType::QVariantList && type != QMetaType::QStringList)
        return std::nullopt;
    const QVariantList list = stored.toList();
    if (list.size() != 4)
        return std::nullopt;
    double values[4];
    for (int i = 0; i < 4; ++i) {
        const std::optional<double> value = number(list.at(i));
        if (!value)
            return std::nullopt;
        values[i] = *value;
    }
    return QRectF(values[0], values[1], values[2], values[3]);
}

QRectF PanelFrameStore::clamp(const QRectF &frame, const QRectF &visible,
                              const QSizeF &minimumSize) {
    const qreal width = std::min(visible.width(), std::max(frame.width(), minimumSize.width()));
    const qreal height = std::min(visible.height(), std::max(frame.height(), minimumSize.height()));
    const qreal x =
        std::min(visible.x() + visible.width() - width, std::max(frame.x(), visible.x()));
    const qreal y =
        std::min(visible.y() + visible.height() - height, std::max(frame.y(), visible.y()));
    return QRectF(x, y, width, height);
}
