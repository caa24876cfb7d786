#include "Chromet/App/TrayArguments.h"

#include <QSet>

bool startsTrayApplication(const QStringList &arguments) {
    if (arguments.isEmpty())
        return true;
    // Qt's own options and those of its X11 platform; each is written with one dash, and may
    // carry its value after "=". Two dashes belong to the command line (--help, --version).
    static const QSet<QString> toolkitOptions = {
        QStringLiteral("-platform"),
        QStringLiteral("-platformpluginpath"),
        QStringLiteral("-platformtheme"),
        QStringLiteral("-plugin"),
        QStringLiteral("-qwindowgeometry"),
        QStringLiteral("-qwindowicon"),
        QStringLiteral("-qwindowtitle"),
        QStringLiteral("-reverse"),
        QStringLiteral("-session"),
        QStringLiteral("-style"),
        QStringLiteral("-stylesheet"),
        QStringLiteral("-widgetcount"),
        QStringLiteral("-display"),
        QStringLiteral("-geometry"),
        QStringLiteral("-name"),
        QStringLiteral("-title"),
        QStringLiteral("-visual"),
        QStringLiteral("-ncols"),
        QStringLiteral("-cmap"),
        QStringLiteral("-im"),
        QStringLiteral("-fn"),
        QStringLiteral("-font"),
        QStringLiteral("-bg"),
        QStringLiteral("-background"),
        QStringLiteral("-fg"),
        QStringLiteral("-foreground"),
        QStringLiteral("-btn"),
        QStringLiteral("-button"),
        QStringLiteral("-nograb"),
        QStringLiteral("-dograb"),
        QStringLiteral("-sync"),
        QStringLiteral("-testability"),
        QStringLiteral("-qmljsdebugger"),
    };
    const QString &first = arguments.first();
    return toolkitOptions.contains(first.section(QLatin1Char('='), 0, 0));
}
