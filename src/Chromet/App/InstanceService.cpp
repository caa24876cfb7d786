#include "Chromet/App/InstanceService.h"

#include "Chromet/Info/AppInfo.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QPointer>

QString InstanceService::objectPath() {
    // "app.chromet.Chromet" -> "/app/chromet/Chromet"
    return QLatin1Char('/') +
           QString::fromLatin1(ChrometInfo::appId).replace(QLatin1Char('.'), QLatin1Char('/'));
}

QString InstanceService::interfaceName() {
    return QString::fromLatin1(ChrometInfo::appId);
}

QString InstanceService::cancelledError() {
    return QString::fromLatin1(ChrometInfo::appId) + QStringLiteral(".Error.Cancelled");
}

InstanceService::InstanceService(Actions actions, QObject *parent)
    : QObject(parent)
    , m_actions(std::move(actions)) {
}

InstanceService::~InstanceService() {
    if (!m_registered)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(objectPath());
    bus.unregisterService(QString::fromLatin1(ChrometInfo::appId));
}

bool InstanceService::registerOnSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_error = QStringLiteral("no session bus: ") + bus.lastError().message();
        return false;
    }
    if (!bus.registerObject(objectPath(), interfaceName(), this, QDBusConnection::ExportAllSlots)) {
        m_error = QStringLiteral("cannot export %1").arg(objectPath());
        return false;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus.interface()->registerService(QString::fromLatin1(ChrometInfo::appId),
                                         QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(objectPath());
        m_error = reply.isValid() ? QStringLiteral("another process owns %1")
                                        .arg(QLatin1StringView(ChrometInfo::appId))
                                  : reply.error().message();
        return false;
    }
    m_registered = true;
    return true;
}

void InstanceService::Pick() {
    if (m_actions.pick)
        m_actions.pick();
}

QString InstanceService::PickAndPrint(const QString &format) {
    std::optional<ColorFormat> chosen;
    if (!format.isEmpty()) {
        chosen = ColorFormats::fromRawValue(format);
        if (!chosen) {
            sendErrorReply(QDBusError::InvalidArgs,
                           QStringLiteral("unknown color format \"%1\"").arg(format));
            return QString();
        }
    }
    if (!m_actions.pickThen || !m_actions.code) {
        sendErrorReply(cancelledError(), QStringLiteral("no pick can start"));
        return QString();
    }
    setDelayedReply(true);
    const QDBusMessage call = message();
    QDBusConnection bus = connection();
    const QPointer<InstanceService> self(this);
    m_actions.pickThen([self, call, bus, chosen](const std::optional<PickedColor> &color) mutable {
        if (!color) {
            bus.send(call.createErrorReply(cancelledError(),
                                           QStringLiteral("the pick ended without a color")));
            return;
        }
        const QString text = self ? self->m_actions.code(*color, chosen) : QString();
        bus.send(call.createReply(text));
    });
    return QString();
}

void InstanceService::ShowSettings() {
    if (m_actions.showSettings)
        m_actions.showSettings();
}
