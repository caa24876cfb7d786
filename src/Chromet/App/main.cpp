#include "Chromet/App/AppDelegate.h"
#include "Chromet/App/CommandLine.h"
#include "Chromet/App/InstanceService.h"
#include "Chromet/App/OneShotPick.h"
#include "Chromet/App/Preferences.h"
#include "Chromet/App/SingleInstance.h"
#include "Chromet/App/TrayArguments.h"
#include "Chromet/Info/AppInfo.h"
#include "Chromet/Logging/Logging.h"
#include "OrinSettings/XdgAutostartLoginItem.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QLoggingCategory>
#include <QPointer>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <limits>
#include <unistd.h>

namespace {

// Every line the application writes to its log begins with "Chromet: "; lines of other
// categories keep their category after it, so "loupe: first window ordered front ..." stays
// recognisable.
void logLine(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    static const QString prefix = QStringLiteral("Chromet: ");
    QString line;
    if (message.startsWith(prefix)) {
        line = message;
    } else {
        const QLatin1StringView category(context.category ? context.category : "default");
        line = prefix;
        if (category != QLatin1StringView("default") && category != QLatin1StringView("chromet"))
            line += category + QStringLiteral(": ");
        line += message;
    }
    std::fprintf(stderr, "%s\n", qUtf8Printable(line));
    std::fflush(stderr);
    if (type == QtFatalMsg)
        std::abort();
}

// Sets up the log: the program's own lines, debug lines only when asked for.
void installLogging() {
    if (qEnvironmentVariableIsEmpty("QT_MESSAGE_PATTERN"))
        qInstallMessageHandler(logLine);
    // Debug lines are for developers, who switch them on with QT_LOGGING_RULES.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
}

void setApplicationNames() {
    QApplication::setApplicationName(QStringLiteral("Chromet"));
    QApplication::setApplicationDisplayName(QStringLiteral("Chromet"));
    QApplication::setDesktopFileName(QLatin1StringView(ChrometInfo::appId));
}

// A call to the running instance on the session bus; an invalid reply when none answers.
QDBusMessage callInstance(const QString &method, const QVariantList &arguments = {},
                          int timeoutMs = -1) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString name = QLatin1StringView(ChrometInfo::appId);
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(name).value())
        return QDBusMessage();
    QDBusMessage call = QDBusMessage::createMethodCall(name, InstanceService::objectPath(),
                                                       InstanceService::interfaceName(), method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, timeoutMs);
}

// Whether Qt can open a display here: it ends the process when it cannot.
bool displayReachable() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("offscreen"));
}

// Set in the process that picks on its own after no instance answered: it starts afresh, as Qt's
// D-Bus connections serve one application object only, and the one that asked has gone.
const char pickAloneVariable[] = "CHROMET_PICK_ALONE";

int runPick(int argc, char **argv) {
    std::optional<PickCommand> command;
    const bool alone = qEnvironmentVariableIsSet(pickAloneVariable);
    qunsetenv(pickAloneVariable);
    if (alone) {
        QCoreApplication app(argc, argv);
        QTextStream err(stderr);
        command = parsePickCommand(QCoreApplication::arguments().mid(2), err);
    } else {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        command = parsePickCommand(QCoreApplication::arguments().mid(2), err);
        if (!command)
            return 2;
        if (command->help) {
            out << commandLineHelp();
            return 0;
        }
        const QDBusMessage reply =
            command->print
                ? callInstance(
                      QStringLiteral("PickAndPrint"),
                      {command->format ? ColorFormats::rawValue(*command->format) : QString()},
                      std::numeric_limits<int>::max())
                : callInstance(QStringLiteral("Pick"));
        if (reply.type() == QDBusMessage::ReplyMessage) {
            if (command->print)
                out << reply.arguments().value(0).toString() << '\n';
            return 0;
        }
        if (reply.type() == QDBusMessage::ErrorMessage) {
            if (reply.errorName() != InstanceService::cancelledError())
                err << "chromet: " << reply.errorMessage() << '\n';
            return 1;
        }
        if (!displayReachable()) {
            err << "chromet: Chromet is not running and no display is reachable\n";
            return 1;
        }
        qputenv(pickAloneVariable, "1");
        const QByteArray self = QFile::encodeName(QCoreApplication::applicationFilePath());
        ::execv(self.constData(), argv);
        err << "chromet: cannot pick on its own: " << qt_error_string(errno) << '\n';
        return 1;
    }
    if (!command)
        return 2;
    // No instance: this process picks on its own.
    installLogging();
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    setApplicationNames();
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runOneShotPick(command->print, command->format, out, err);
}

int runTrayApplication(int argc, char **argv) {
    // Before connecting to the display: a second instance leaves at once.
    SingleInstance instance(SingleInstance::defaultLockPath(qEnvironmentVariable("DISPLAY")));
    switch (instance.acquire()) {
    case SingleInstance::Result::AlreadyRunning: {
        // The running one shows its settings, the window a second start most likely wants.
        QCoreApplication app(argc, argv);
        const QDBusMessage reply = callInstance(QStringLiteral("ShowSettings"));
        if (reply.type() == QDBusMessage::ReplyMessage) {
            std::fprintf(stderr, "Chromet is already running; its settings are open\n");
            return 0;
        }
        std::fprintf(stderr, "Chromet is already running\n");
        return 1;
    }
    case SingleInstance::Result::Unavailable:
        std::fprintf(stderr, "Chromet: cannot tell whether Chromet is already running: %s\n",
                     qUtf8Printable(instance.errorString()));
        break;
    case SingleInstance::Result::Acquired:
        break;
    }

    installLogging();
    setApplicationNames();
    QApplication app(argc, argv);
    // Earlier versions named the autostart entry "chromet".
    XdgAutostartLoginItem::forApplication().adoptUserEntry(QStringLiteral("chromet"));
    // A tray application: closing its last window does not end it.
    app.setQuitOnLastWindowClosed(false);
    app.setWindowIcon(AppDelegate::applicationIcon());

    AppDelegate delegate;
    QMetaObject::invokeMethod(&delegate, &AppDelegate::applicationDidFinishLaunching,
                              Qt::QueuedConnection);

    QPointer<AppDelegate> weak(&delegate);
    InstanceService::Actions actions;
    actions.pick = [weak] {
        if (weak)
            weak->startPick();
    };
    actions.pickThen = [weak](InstanceService::PickResult done) {
        if (weak)
            weak->pickThen(std::move(done));
        else
            done(std::nullopt);
    };
    actions.code = [weak](const PickedColor &color, std::optional<ColorFormat> format) {
        if (!weak)
            return QString();
        const Preferences &prefs = weak->prefs();
        return ColorFormats::format(format.value_or(prefs.defaultFormat()), color, std::nullopt,
                                    prefs.lowercaseHex());
    };
    actions.showSettings = [weak] {
        if (weak)
            weak->openSettings();
    };
    InstanceService service(std::move(actions));
    if (service.registerOnSessionBus())
        qCInfo(lcChromet, "Chromet: listening on the session bus as %s", ChrometInfo::appId);
    else
        qCInfo(lcChromet, "Chromet: not on the session bus (%s); chromet pick cannot reach it",
               qUtf8Printable(service.errorString()));
    return app.exec();
}

} // namespace

int main(int argc, char **argv) {
    if (isClipboardKeeper()) {
        QGuiApplication app(argc, argv);
        return runClipboardKeeper();
    }
    if (argc > 1 && qstrcmp(argv[1], "pick") == 0)
        return runPick(argc, argv);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (!startsTrayApplication(arguments)) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return runCommandLine(QCoreApplication::arguments().mid(1), out, err);
    }
    return runTrayApplication(argc, argv);
}
