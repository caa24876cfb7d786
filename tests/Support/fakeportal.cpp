// A desktop portal for tests, on the session bus of DBUS_SESSION_BUS_ADDRESS: GlobalShortcuts
// (version 1) and Screenshot (version 2, for PickColor), answering every request at once. It
// has no screen: Screenshot is declined (response 2), as by a user who said no.
//   fakeportal [--refuse] [--color R,G,B]
// --refuse fails every request (response 2); --color is what PickColor answers. Prints "ready"
// once it owns the portal's name and "bind ID TRIGGER" for every shortcut bound, whose trigger
// it assigns as asked. The stdin command "activate ID" presses a bound shortcut.
#include "OrinHotkey/Portal/PortalShortcut.h"
#include "OrinPortal/Portal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QSocketNotifier>
#include <QTextStream>

#include <unistd.h>

namespace {

const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString screenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");

void say(const QString &line) {
    QTextStream(stdout) << line << Qt::endl;
}

class DesktopPortal final : public QDBusVirtualObject {
public:
    bool refuse = false;
    double color[3] = {0, 0, 0};
    QString session;

    QString introspect(const QString &) const override { return QString(); }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &bus) override {
        const QString interface = message.interface();
        const QString member = message.member();
        const QVariantList arguments = message.arguments();
        if (member == QLatin1String("Get") && arguments.size() == 2) {
            const QString asked = arguments.at(0).toString();
            const uint version = asked == screenshotInterface  ? 2
                                 : asked == shortcutsInterface ? 1
                                                               : 0;
            bus.send(version ? message.createReply(QVariant::fromValue(QDBusVariant(version)))
                             : message.createErrorReply(QDBusError::InvalidArgs,
                                                        QStringLiteral("no such interface")));
            return true;
        }
        if (arguments.isEmpty())
            return false;
        const auto options = qdbus_cast<QVariantMap>(arguments.constLast());
        QVariantMap results;
        bool declined = refuse;
        if (interface == shortcutsInterface && member == QLatin1String("CreateSession")) {
            session = pathFor(QStringLiteral("session"), message,
                              options.value(QStringLiteral("session_handle_token")).toString());
            results.insert(QStringLiteral("session_handle"), session);
        } else if (interface == shortcutsInterface && member == QLatin1String("BindShortcuts")) {
            auto shortcuts = qdbus_cast<QList<PortalShortcut>>(arguments.value(1));
            for (PortalShortcut &shortcut : shortcuts) {
                const QString trigger =
                    shortcut.details.value(QStringLiteral("preferred_trigger")).toString();
                say(QStringLiteral("bind ") + shortcut.id + QLatin1Char(' ') + trigger);
                shortcut.details.insert(QStringLiteral("trigger_description"), trigger);
            }
            results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(shortcuts));
        } else if (interface == screenshotInterface && member == QLatin1String("PickColor")) {
            QDBusArgument rgb;
            rgb.beginStructure();
            rgb << color[0] << color[1] << color[2];
            rgb.endStructure();
            results.insert(QStringLiteral("color"), QVariant::fromValue(rgb));
        } else if (interface == screenshotInterface && member == QLatin1String("Screenshot")) {
            declined = true;
        } else {
            return false;
        }
        answer(message, bus, options.value(QStringLiteral("handle_token")).toString(),
               declined ? QVariantMap() : results, declined ? 2 : 0);
        return true;
    }

    void activate(const QString &id) const {
        QDBusMessage activation = QDBusMessage::createSignal(Portal::path, shortcutsInterface,
                                                             QStringLiteral("Activated"));
        activation << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(0)
                   << QVariantMap();
        QDBusConnection::sessionBus().send(activation);
    }

private:
    static QString pathFor(const QString &kind, const QDBusMessage &message, const QString &token) {
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        return Portal::path + QLatin1Char('/') + kind + QLatin1Char('/') + sender +
               QLatin1Char('/') + token;
    }

    // The reply names the request; its Response follows on the same connection, so after it.
    void answer(const QDBusMessage &message, const QDBusConnection &bus, const QString &token,
                const QVariantMap &results, uint code) const {
        const QString handle = pathFor(QStringLiteral("request"), message, token);
        bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(handle))));
        QDBusMessage response = QDBusMessage::createTargetedSignal(
            message.service(), handle, QStringLiteral("org.freedesktop.portal.Request"),
            QStringLiteral("Response"));
        response << code << results;
        bus.send(response);
    }
};

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();

    QCommandLineParser parser;
    const QCommandLineOption refuse(QStringLiteral("refuse"));
    const QCommandLineOption color(QStringLiteral("color"), QString(), QStringLiteral("r,g,b"));
    parser.addOptions({refuse, color});
    parser.process(app);

    DesktopPortal portal;
    portal.refuse = parser.isSet(refuse);
    const QStringList channels = parser.value(color).split(QLatin1Char(','));
    for (int i = 0; i < 3 && i < channels.size(); ++i)
        portal.color[i] = channels.at(i).toDouble();

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(Portal::path, &portal) ||
        !bus.registerService(Portal::service)) {
        QTextStream(stderr) << "fakeportal: cannot serve the portal: " << bus.lastError().message()
                            << Qt::endl;
        return 1;
    }

    // Commands, a line each; the end of the input ends the portal.
    QByteArray pending;
    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, &app, [&] {
        char chunk[256];
        const ssize_t length = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (length <= 0) {
            commands.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        pending.append(chunk, length);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QString line = QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
            if (line.startsWith(QLatin1String("activate ")))
                portal.activate(line.section(QLatin1Char(' '), 1));
        }
    });
    say(QStringLiteral("ready"));
    return QCoreApplication::exec();
}
