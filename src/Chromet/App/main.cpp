#include "Chromet/App/AppDelegate.h"
#include "Chromet/App/CommandLine.h"
#include "Chromet/App/SingleInstance.h"
#include "Chromet/App/TrayArguments.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdio>

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

int runTrayApplication(int argc, char **argv) {
    // Before connecting to the display: a second instance leaves at once.
    SingleInstance instance(SingleInstance::defaultLockPath(qEnvironmentVariable("DISPLAY")));
    switch (instance.acquire()) {
    case SingleInstance::Result::AlreadyRunning:
        std::fprintf(stderr, "Chromet is already running\n");
        return 1;
    case SingleInstance::Result::Unavailable:
        std::fprintf(stderr, "Chromet: cannot tell whether Chromet is already running: %s\n",
                     qUtf8Printable(instance.errorString()));
        break;
    case SingleInstance::Result::Acquired:
        break;
    }

    if (qEnvironmentVariableIsEmpty("QT_MESSAGE_PATTERN"))
        qInstallMessageHandler(logLine);
    // Debug lines are for developers, who switch them on with QT_LOGGING_RULES.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    QApplication::setApplicationName(QStringLiteral("Chromet"));
    QApplication::setApplicationDisplayName(QStringLiteral("Chromet"));
    QApplication::setDesktopFileName(QStringLiteral("chromet"));
    QApplication app(argc, argv);
    // A tray application: closing its last window does not end it.
    app.setQuitOnLastWindowClosed(false);
    app.setWindowIcon(AppDelegate::applicationIcon());

    AppDelegate delegate;
    QMetaObject::invokeMethod(&delegate, &AppDelegate::applicationDidFinishLaunching,
                              Qt::QueuedConnection);
    return app.exec();
}

} // namespace

int main(int argc, char **argv) {
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
