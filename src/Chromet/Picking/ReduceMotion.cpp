#include "Chromet/Picking/ReduceMotion.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QStandardPaths>

#include <utility>

namespace {

// How long a value read from kdeglobals is trusted before the file is read again.
constexpr qint64 cacheMilliseconds = 5000;

struct Cache {
    std::optional<bool> reduce; // none: never read, or nothing readable
    bool read = false;
    QElapsedTimer age;
    QProcess *pending = nullptr;
    bool readAgain = false;
    QFileSystemWatcher *watcher = nullptr;
};

Cache &cache() {
    static Cache instance;
    return instance;
}

bool isKde() {
    const QStringList desktops =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return desktops.contains(QLatin1String("KDE"), Qt::CaseInsensitive);
}

std::optional<bool> readKde() {
    // The user's file overrides the system ones.
    QStringList dirs;
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    dirs << (home.isEmpty() ? QDir::homePath() + QLatin1String("/.config") : home);
    const QString system = qEnvironmentVariable("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    dirs << system.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &dir : std::as_const(dirs)) {
        QFile file(dir + QLatin1String("/kdeglobals"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        if (const auto reduce = ReduceMotion::reduceFromKdeGlobals(file.readAll()))
            return reduce;
    }
    return std::nullopt;
}

const QStringList &gnomeArguments() {
    static const QStringList arguments{QStringLiteral("get"),
                                       QStringLiteral("org.gnome.desktop.interface"),
                                       QStringLiteral("enable-animations")};
    return arguments;
}

QString gsettingsProgram() {
    static const QString program = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    return program;
}

void store(std::optional<bool> reduce) {
    Cache &c = cache();
    c.reduce = reduce;
    c.read = true;
    c.age.start();
}

std::optional<bool> readGnomeNow() {
    if (gsettingsProgram().isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(gsettingsProgram(), gnomeArguments());
    if (!process.waitForFinished(1000) || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(100);
        return std::nullopt;
    }
    return ReduceMotion::reduceFromGnomeOutput(process.readAllStandardOutput());
}

void readGnomeInBackground() {
    Cache &c = cache();
    if (gsettingsProgram().isEmpty() || !QCoreApplication::instance())
        return;
    if (c.pending) {
        // It may have read the value from before a change.
        c.readAgain = true;
        return;
    }
    auto *process = new QProcess(QCoreApplication::instance());
    c.pending = process;
    QObject::connect(process, &QProcess::finished, process, [process](int exitCode) {
        if (cache().pending == process) {
            cache().pending = nullptr;
            store(exitCode == 0
                      ? ReduceMotion::reduceFromGnomeOutput(process->readAllStandardOutput())
                      : std::nullopt);
            if (std::exchange(cache().readAgain, false))
                readGnomeInBackground();
        }
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         if (cache().pending == process) {
                             cache().pending = nullptr;
                             store(std::nullopt);
                         }
                         process->deleteLater();
                     });
    process->start(gsettingsProgram(), gnomeArguments());
}

// dconf keeps GNOME's settings in a database that it replaces on every change. Watching its
// folder (or, until dconf makes it, the configuration folder) tells of changes without polling,
// so the value is read again when it changes and never while a pick waits for it.
void watchGnomeSettings() {
    Cache &c = cache();
    if (c.watcher || !QCoreApplication::instance())
        return;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        return;
    const QString dconf = config + QLatin1String("/dconf");
    c.watcher = new QFileSystemWatcher(QCoreApplication::instance());
    auto follow = [watcher = c.watcher, config, dconf] {
        if (watcher->directories().contains(dconf))
            return;
        if (QFileInfo(dconf).isDir()) {
            watcher->removePath(config);
            watcher->addPath(dconf);
        } else if (!watcher->directories().contains(config)) {
            watcher->addPath(config);
        }
    };
    follow();
    QObject::connect(c.watcher, &QFileSystemWatcher::directoryChanged, c.watcher,
                     [follow](const QString &) {
                         follow();
                         readGnomeInBackground();
                     });
}

std::optional<bool> environmentOverride() {
    const QByteArray value = qgetenv("CHROMET_REDUCE_MOTION").trimmed().toLower();
    if (value == "1" || value == "true" || value == "yes")
        return true;
    if (value == "0" || value == "false" || value == "no")
        return false;
    return std::nullopt;
}

} // namespace

namespace ReduceMotion {

bool isOn() {
    if (const auto forced = environmentOverride())
        return *forced;
    Cache &c = cache();
    if (isKde()) {
        if (!c.read || c.age.elapsed() > cacheMilliseconds)
            store(readKde());
    } else if (!c.read) {
        // Nobody warmed the cache up: read once in line rather than guess.
        if (c.pending)
            c.pending->waitForFinished(1000); // delivers finished() in line
        if (!c.read)
            store(readGnomeNow());
        watchGnomeSettings();
    }
    return c.reduce.value_or(false);
}

void warmUp() {
    if (environmentOverride())
        return;
    if (isKde()) {
        store(readKde());
    } else {
        readGnomeInBackground();
        watchGnomeSettings();
    }
}

void invalidate() {
    Cache &c = cache();
    c.read = false;
    c.reduce.reset();
}

std::optional<bool> reduceFromGnomeOutput(QByteArrayView gsettingsOutput) {
    const QByteArray value = gsettingsOutput.toByteArray().trimmed();
    if (value == "true")
        return false;
    if (value == "false")
        return true;
    return std::nullopt;
}

std::optional<bool> reduceFromKdeGlobals(QByteArrayView contents) {
    bool inKdeGroup = false;
    std::optional<bool> result;
    for (const QByteArray &rawLine : contents.toByteArray().split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inKdeGroup = line == "[KDE]";
            continue;
        }
        if (!inKdeGroup || line.startsWith('#'))
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        QByteArray key = line.left(equals).trimmed();
        // Keys may carry flags such as "[$i]" (immutable).
        if (const qsizetype bracket = key.indexOf('['); bracket >= 0)
            key = key.left(bracket);
        if (key != "AnimationDurationFactor")
            continue;
        bool ok = false;
        const double factor = line.mid(equals + 1).trimmed().toDouble(&ok);
        if (ok)
            result = factor <= 0.0;
    }
    return result;
}

} // namespace ReduceMotion
