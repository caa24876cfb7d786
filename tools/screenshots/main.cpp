// chromet-screenshots: shoots every window of the application on a private X server.
//
//   chromet-screenshots [--output DIR] [--only NAME,...] [--suffix TEXT]
//
// Writes NAME+suffix.png into DIR (default: ./screenshots) and prints each path. QT_SCALE_FACTOR
// shoots at another scale (the screenshots target adds loupe@2x.png that way). Exits with 1 when
// a shot could not be taken.

#include "ScreenshotSession.h"
#include "WindowShots.h"

#include "Support/XServerSession.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCursor>
#include <QDir>
#include <QIcon>
#include <QLoggingCategory>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>

int main(int argc, char **argv) {
    // The application's icon lives in its static library.
    Q_INIT_RESOURCE(chromet);
    // Settings, autostart entries and the library go to a folder of this run, never the user's.
    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "chromet-screenshots: no temporary folder\n");
        return 1;
    }
    for (const char *variable :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        qputenv(variable, QFile::encodeName(home.filePath(QString::fromLatin1(variable))));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(home.filePath(QStringLiteral("xdg"))));
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    // The same motion every run, whatever the desktop says.
    qputenv("CHROMET_REDUCE_MOTION", "0");

    XServerSession server;
    if (!server.start()) {
        std::fprintf(stderr, "chromet-screenshots: cannot start X server: %s\n",
                     qPrintable(server.errorString()));
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication::setApplicationName(QStringLiteral("Chromet"));
    QApplication::setApplicationDisplayName(QStringLiteral("Chromet"));
    QApplication::setDesktopFileName(QStringLiteral("chromet"));
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    QApplication app(argc, argv);
    // The application's own lines stay quiet unless asked for.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    app.setQuitOnLastWindowClosed(false);
    app.setWindowIcon(QIcon(QStringLiteral(":/chromet/application.svg")));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shoots every window of Chromet on a private X server."));
    parser.addHelpOption();
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("Folder for the PNG files."),
                                    QStringLiteral("dir"), QStringLiteral("screenshots"));
    const QCommandLineOption only(QStringLiteral("only"),
                                  QStringLiteral("Comma-separated names of the shots to write."),
                                  QStringLiteral("names"));
    const QCommandLineOption suffix(QStringLiteral("suffix"),
                                    QStringLiteral("Text after each name, e.g. @2x."),
                                    QStringLiteral("text"));
    parser.addOptions({output, only, suffix});
    parser.process(app);

    QDir dir(parser.value(output));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "chromet-screenshots: cannot create %s\n",
                     qPrintable(dir.absolutePath()));
        return 1;
    }
    const QStringList names = parser.value(only).split(u',', Qt::SkipEmptyParts);
    ScreenshotSession session(dir, parser.value(suffix), names);

    // A desktop behind the windows, and the pointer in a corner where it hovers over nothing.
    QWidget desktop;
    WindowShots::backdrop(desktop);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCursor::setPos(screen.bottomLeft() + QPoint(1, -1));

    const auto wantsAny = [&session](std::initializer_list<const char *> shots) {
        for (const char *shot : shots) {
            if (session.wants(QString::fromLatin1(shot)))
                return true;
        }
        return false;
    };
    if (wantsAny({"loupe", "loupe-copied", "loupe-bottom"}))
        WindowShots::loupe(session);
    if (wantsAny({"tray-menu", "tray-menu-palette"}))
        WindowShots::trayMenu(session);
    if (wantsAny({"contrast-pair", "contrast-empty", "contrast-pair-glass"}))
        WindowShots::contrast(session);
    if (wantsAny({"onboarding-1", "onboarding-2", "onboarding-3", "onboarding-2-granted",
                  "onboarding-1-glass", "onboarding-2-glass"}))
        WindowShots::onboarding(session);
    if (wantsAny({"settings-general", "settings-about"}))
        WindowShots::settings(session);
    if (wantsAny({"dialog-new-palette", "dialog-delete-palette"}))
        WindowShots::dialogs(session);

    if (session.written().isEmpty() && session.failures().isEmpty()) {
        std::fprintf(stderr, "chromet-screenshots: no shot has those names\n");
        return 1;
    }
    return session.failures().isEmpty() ? 0 : 1;
}
