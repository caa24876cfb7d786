#include "OrinSettings/XdgAutostartLoginItem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString configHome() {
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return configured;
    return QDir::homePath() + QStringLiteral("/.config");
}

QStringList configDirs() {
    QStringList dirs;
    const QStringList configured =
        qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &dir : configured) {
        if (QDir::isAbsolutePath(dir))
            dirs.append(dir);
    }
    if (dirs.isEmpty())
        dirs.append(QStringLiteral("/etc/xdg"));
    return dirs;
}

// A desktop-entry string value: backslash and the control characters escaped, and a leading
// space kept from being trimmed by readers.
QString escapeString(const QString &value) {
    QString escaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            escaped += QStringLiteral("\\s");
        else
            escaped += c;
    }
    return escaped;
}

QString unescapeString(const QString &value) {
    QString plain;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            plain += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            plain += QLatin1Char(' ');
            break;
        case 'n':
            plain += QLatin1Char('\n');
            break;
        case 't':
            plain += QLatin1Char('\t');
            break;
        case 'r':
            plain += QLatin1Char('\r');
            break;
        default:
            plain += next;
            break;
        }
    }
    return plain;
}

bool fileExists(const QString &path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(QString appId, QString name, QString executable)
    : m_appId(std::move(appId))
    , m_name(std::move(name))
    , m_executable(std::move(executable)) {
}

XdgAutostartLoginItem XdgAutostartLoginItem::forApplication() {
    QString id = QGuiApplication::desktopFileName();
    if (id.endsWith(QStringLiteral(".desktop")))
        id.chop(8);
    if (id.isEmpty())
        id = QCoreApplication::applicationName().toLower();
    QString name = QGuiApplication::applicationDisplayName();
    if (name.isEmpty())
        name = QCoreApplication::applicationName();
    return XdgAutostartLoginItem(id, name, QCoreApplication::applicationFilePath());
}

QString XdgAutostartLoginItem::userEntryPath() const {
    return configHome() + QStringLiteral("/autostart/") + m_appId + QStringLiteral(".desktop");
}

QStringList XdgAutostartLoginItem::systemEntryPaths() const {
    QStringList paths;
    for (const QString &dir : configDirs())
        paths.append(dir + QStringLiteral("/autostart/") + m_appId + QStringLiteral(".desktop"));
    return paths;
}

bool XdgAutostartLoginItem::adoptUserEntry(const QString &oldAppId) const {
    const QString old =
        configHome() + QStringLiteral("/autostart/") + oldAppId + QStringLiteral(".desktop");
    if (oldAppId == m_appId || !QFileInfo(old).isFile())
        return false;
    if (QFileInfo::exists(userEntryPath()))
        QFile::remove(old);
    else
        QFile::rename(old, userEntryPath());
    return true;
}

bool XdgAutostartLoginItem::isEnabled() const {
    QString effective;
    if (QFileInfo::exists(userEntryPath())) {
        effective = userEntryPath();
    } else {
        for (const QString &path : systemEntryPaths()) {
            if (QFileInfo::exists(path)) {
                effective = path;
                break;
            }
        }
    }
    if (effective.isEmpty())
        return false;
    const auto entry = readEntry(effective);
    if (!entry)
        return false;
    if (entry->value(QStringLiteral("Hidden")).trimmed() == QStringLiteral("true"))
        return false;
    if (entry->value(QStringLiteral("X-GNOME-Autostart-enabled")).trimmed() ==
        QStringLiteral("false"))
        return false;
    return true;
}

std::optional<LoginItemError> XdgAutostartLoginItem::setEnabled(bool enabled) {
    if (enabled)
        return writeUserEntry(enabledEntry());

    for (const QString &path : systemEntryPaths()) {
        if (fileExists(path))
            return writeUserEntry(hiddenEntry());
    }
    const QString path = userEntryPath();
    if (!QFileInfo::exists(path))
        return std::nullopt;
    QFile file(path);
    if (file.remove())
        return std::nullopt;
    return LoginItemError{
        QCoreApplication::translate("LaunchAtLogin", "The autostart entry could not be removed."),
        QStringLiteral("cannot remove %1: %2").arg(path, file.errorString())};
}

QString XdgAutostartLoginItem::execValue(const QString &program) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = program.isEmpty();
    for (const QChar c : program)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString argument = program;
    if (needsQuotes) {
        QString quoted;
        for (const QChar c : program) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        argument = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return escapeString(argument);
}

std::optional<QHash<QString, QString>> XdgAutostartLoginItem::readEntry(const QString &path) {
    // Only a regular file of sensible size: a FIFO or a device planted here must not hang or
    // exhaust the settings page. Non-blocking, so opening a FIFO returns at once.
    constexpr qint64 maxEntrySize = 1 << 20;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QFile file;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxEntrySize ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    QHash<QString, QString> keys;
    bool inEntry = false;
    const QStringList lines = QString::fromUtf8(file.read(maxEntrySize)).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inEntry || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!keys.contains(key))
            keys.insert(key, unescapeString(line.mid(equals + 1).trimmed()));
    }
    return keys;
}

std::optional<LoginItemError>
XdgAutostartLoginItem::writeUserEntry(const QByteArray &contents) const {
    const QString path = userEntryPath();
    const QString dir = QFileInfo(path).path();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(dir.toStdString()), error);
    if (error || !QFileInfo(dir).isDir()) {
        const QString reason =
            error ? QString::fromStdString(error.message()) : QStringLiteral("not a folder");
        return LoginItemError{QCoreApplication::translate(
                                  "LaunchAtLogin", "The autostart folder could not be created."),
                              QStringLiteral("cannot create %1: %2").arg(dir, reason)};
    }
    // Not QSaveFile: it writes to the target of a symbolic link standing at the path, so a link
    // planted there would have us overwrite any file of the user's. Renaming over the path
    // replaces the link itself.
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    QString reason;
    if (!file.open() || file.write(contents) != contents.size() || !file.flush() ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                             QFileDevice::ReadGroup | QFileDevice::ReadOther))
        reason = file.errorString();
    else if (::fsync(file.handle()) != 0 || ::rename(QFile::encodeName(file.fileName()).constData(),
                                                     QFile::encodeName(path).constData()) != 0)
        reason = QString::fromLocal8Bit(std::strerror(errno));
    if (!reason.isEmpty()) {
        return LoginItemError{QCoreApplication::translate(
                                  "LaunchAtLogin", "The autostart entry could not be written."),
                              QStringLiteral("cannot write %1: %2").arg(path, reason)};
    }
    file.setAutoRemove(false);
    return std::nullopt;
}

QByteArray XdgAutostartLoginItem::enabledEntry() const {
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\n");
    text += QStringLiteral("Name=") + escapeString(m_name) + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + execValue(m_executable) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\nX-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

QByteArray XdgAutostartLoginItem::hiddenEntry() const {
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\n");
    text += QStringLiteral("Name=") + escapeString(m_name) + QLatin1Char('\n');
    text += QStringLiteral("Hidden=true\n");
    return text.toUtf8();
}
