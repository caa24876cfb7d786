#include "Chromet/Library/LibraryStore.h"

#include "Chromet/Library/LibraryJson.h"
#include "Chromet/Logging/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStandardPaths>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool entryExists(const QString &path) {
    // lstat, so a dangling symlink counts as taken; a failed lstat (such as EACCES) counts as
    // free, which at worst makes the later move fail instead of looping here.
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool isFinite(const RGB &rgb) {
    return std::isfinite(rgb.r) && std::isfinite(rgb.g) && std::isfinite(rgb.b);
}

bool isFinite(const PickedColor &color) {
    return isFinite(color.srgb) && isFinite(color.p3);
}

// Writes the file format directly: QJsonDocument neither escapes '/' nor is fast enough to
// rewrite a large library after every change. Two-space indentation, keys in sorted order.
class LibraryWriter {
public:
    QByteArray write(const Library &library) {
        qsizetype colors = library.history.size();
        for (const Palette &palette : library.palettes)
            colors += palette.colors.size() + 1;
        m_out.reserve(512 + colors * 512);

        m_out += '{';
        key(1, "history");
        array(1, library.history,
              [this](int depth, const PickedColor &color) { pickedColor(depth, color); });
        m_out += ',';
        key(1, "palettes");
        array(1, library.palettes,
              [this](int depth, const Palette &palette) { this->palette(depth, palette); });
        m_out += "\n}\n";
        return std::move(m_out);
    }

private:
    void newline(int depth) {
        m_out += '\n';
        m_out.append(depth * 2, ' ');
    }

    void key(int depth, const char *name) {
        newline(depth);
        m_out += '"';
        m_out += name;
        m_out += "\": ";
    }

    template <typename List, typename WriteElement>
    void array(int depth, const List &list, WriteElement writeElement) {
        if (list.isEmpty()) {
            m_out += "[]";
            return;
        }
        m_out += '[';
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (i > 0)
                m_out += ',';
            newline(depth + 1);
            writeElement(depth + 1, list[i]);
        }
        newline(depth);
        m_out += ']';
    }

    // Shortest text that reads back as the same double (finite values only).
    void number(double value) {
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        m_out.append(buffer, result.ptr - buffer);
    }

    void string(const QString &text) {
        static constexpr char hex[] = "0123456789abcdef";
        m_out += '"';
        // Escaping works on the UTF-8 bytes: every byte of a multi-byte sequence is >= 0x80.
        for (const char c : text.toUtf8()) {
            switch (c) {
            case '"':
                m_out += "\\\"";
                break;
            case '\\':
                m_out += "\\\\";
                break;
            case '/':
                m_out += "\\/";
                break;
            case '\b':
                m_out += "\\b";
                break;
            case '\f':
                m_out += "\\f";
                break;
            case '\n':
                m_out += "\\n";
                break;
            case '\r':
                m_out += "\\r";
                break;
            case '\t':
                m_out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    m_out += "\\u00";
                    m_out += hex[c >> 4];
                    m_out += hex[c & 0xf];
                } else {
                    m_out += c;
                }
            }
        }
        m_out += '"';
    }

    void uuid(const QUuid &id) {
        m_out += '"';
        m_out += id.toByteArray(QUuid::WithoutBraces);
        m_out += '"';
    }

    void rgb(int depth, const RGB &rgb) {
        m_out += '{';
        key(depth + 1, "b");
        number(rgb.b);
        m_out += ',';
        key(depth + 1, "g");
        number(rgb.g);
        m_out += ',';
        key(depth + 1, "r");
        number(rgb.r);
        newline(depth);
        m_out += '}';
    }

    void pickedColor(int depth, const PickedColor &color) {
        m_out += '{';
        key(depth + 1, "p3");
        rgb(depth + 1, color.p3);
        m_out += ',';
        key(depth + 1, "srgb");
        rgb(depth + 1, color.srgb);
        newline(depth);
        m_out += '}';
    }

    void namedColor(int depth, const NamedColor &color) {
        m_out += '{';
        key(depth + 1, "color");
        pickedColor(depth + 1, color.color);
        m_out += ',';
        key(depth + 1, "id");
        uuid(color.id);
        m_out += ',';
        key(depth + 1, "name");
        string(color.name);
        newline(depth);
        m_out += '}';
    }

    void palette(int depth, const Palette &palette) {
        m_out += '{';
        key(depth + 1, "colors");
        array(depth + 1, palette.colors,
              [this](int inner, const NamedColor &color) { namedColor(inner, color); });
        m_out += ',';
        key(depth + 1, "id");
        uuid(palette.id);
        m_out += ',';
        key(depth + 1, "name");
        string(palette.name);
        newline(depth);
        m_out += '}';
    }

    QByteArray m_out;
};

// Makes the rename that QSaveFile just did durable; the data itself was synced before it.
void syncFolder(const QString &folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// A save killed before its rename leaves QSaveFile's temporary file, "library.json.XXXXXX",
// beside the library; only this program writes such names there, so they are removed at start.
void removeInterruptedSaves(const QString &path) {
    const QFileInfo library(path);
    const QDir folder = library.dir();
    const QRegularExpression temporary(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(library.fileName()) + QLatin1String("\\.[A-Za-z0-9]{6}")));
    const QStringList names = folder.entryList({library.fileName() + QLatin1String(".??????")},
                                               QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : names) {
        if (temporary.match(name).hasMatch())
            QFile::remove(folder.filePath(name));
    }
}

} // namespace

LibraryStore::LibraryStore(const QString &path, Clock clock)
    : m_path(path)
    , m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); })) {
    load();
}

QString LibraryStore::defaultPath() {
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty())
        return QString();
    return dataHome + QLatin1String("/Chromet/library.json");
}

LibraryStore::FileRead LibraryStore::readFile(const QString &path) {
    const QByteArray nativePath = QFile::encodeName(path);
    const auto failed = [&](const QString &why) {
        return FileRead{FileRead::Failed, {}, path + QLatin1String(": ") + why};
    };

    // Non-blocking, so a FIFO planted at the path cannot hang the open; what it is comes from the
    // descriptor itself, so nothing can be swapped in between the check and the read.
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        struct stat linkInfo;
        const bool link = ::lstat(nativePath.constData(), &linkInfo) == 0;
        if ((error == ENOENT || error == ENOTDIR) && !link)
            return FileRead{FileRead::Missing, {}, {}};
        if (error == ENOENT)
            return failed(QStringLiteral("the symbolic link points to nothing"));
        return failed(errnoText(error));
    }
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return failed(errnoText(errno));
    if (S_ISDIR(info.st_mode))
        return failed(errnoText(EISDIR));
    if (!S_ISREG(info.st_mode))
        return failed(QStringLiteral("not a regular file"));
    const auto tooLarge = [&] {
        return failed(QStringLiteral("larger than %1 MB, too large for a library")
                          .arg(maxFileSize / (1024 * 1024)));
    };
    if (info.st_size > maxFileSize)
        return tooLarge();

    // Read to the end rather than trusting the size, but never past the limit.
    QByteArray bytes;
    bytes.resize(qsizetype(info.st_size) + 1);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > maxFileSize)
                return tooLarge();
            bytes.resize(qMin<qsizetype>(bytes.size() * 2, maxFileSize + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(errnoText(errno));
        if (n == 0)
            break;
        filled += n;
    }
    bytes.truncate(filled);
    return FileRead{FileRead::Read, std::move(bytes), {}};
}

void LibraryStore::load() {
    m_saveDisabled = false;
    m_library = Library::defaultLibrary();

    if (m_path.isEmpty()) {
        // Nothing to read and nowhere to write: say so in the menu rather than pretend to save.
        qCWarning(lcChromet, "Chromet: no location for the library file, history and palettes are "
                             "kept only until quit");
        m_isSaving = false;
        return;
    }

    removeInterruptedSaves(m_path);
    const FileRead read = readFile(m_path);
    if (read.outcome == FileRead::Missing) {
        m_isSaving = true;
        return;
    }
    if (read.outcome == FileRead::Failed) {
        qCWarning(lcChromet, "Chromet: failed to read library: %s", qUtf8Printable(read.error));
        m_saveDisabled = true;
        m_isSaving = false;
        return;
    }

    QString decodeError;
    if (auto decoded = decode(read.bytes, &decodeError)) {
        m_library = std::move(*decoded);
    } else {
        const QString backup = backupPath(m_path, m_clock());
        qCWarning(lcChromet, "Chromet: library is corrupt, moved aside to %s: %s",
                  qUtf8Printable(QFileInfo(backup).fileName()), qUtf8Printable(decodeError));
        // A failed move is left alone: the file stays and the next save replaces it.
        QFile::rename(m_path, backup);
    }
    m_isSaving = true;
}

void LibraryStore::commit() {
    if (m_onChange)
        m_onChange();
    if (m_saveDisabled) {
        qCInfo(lcChromet,
               "Chromet: library file is unreadable, not saving to avoid overwriting it");
        return;
    }
    save();
}

bool LibraryStore::save() {
    if (m_saveDisabled) {
        m_isSaving = false;
        return false;
    }

    const auto fail = [this](const QString &description) {
        m_isSaving = false;
        qCWarning(lcChromet, "Chromet: failed to save library: %s", qUtf8Printable(description));
        return false;
    };

    if (m_path.isEmpty())
        return fail(QStringLiteral("no location for the library file"));

    const QString folder = QFileInfo(m_path).absolutePath();
    std::error_code folderError;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), folderError);
    if (folderError)
        return fail(folder + QLatin1String(": ") + QString::fromStdString(folderError.message()));

    QString encodeError;
    const auto bytes = encode(m_library, &encodeError);
    if (!bytes)
        return fail(encodeError);

    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(m_path + QLatin1String(": ") + file.errorString());
    if (file.write(*bytes) != bytes->size() || !file.flush())
        return fail(m_path + QLatin1String(": ") + file.errorString());
    // QSaveFile syncs too but ignores a failure there; a write error must not pass as a save.
    if (::fsync(file.handle()) != 0) {
        const int error = errno;
        file.cancelWriting();
        return fail(m_path + QLatin1String(": ") + errnoText(error));
    }
    if (!file.commit())
        return fail(m_path + QLatin1String(": ") + file.errorString());
    syncFolder(folder);

    m_isSaving = true;
    return true;
}

std::optional<QByteArray> LibraryStore::encode(const Library &library, QString *error) {
    // JSON has no NaN or infinity; writing null would make the file unreadable on the next start.
    for (qsizetype i = 0; i < library.history.size(); ++i) {
        if (!isFinite(library.history[i]))
            return jsonFailure(error, QStringLiteral("history[%1]").arg(i),
                               QStringLiteral("a channel is not a finite number"));
    }
    for (qsizetype p = 0; p < library.palettes.size(); ++p) {
        const QList<NamedColor> &colors = library.palettes[p].colors;
        for (qsizetype c = 0; c < colors.size(); ++c) {
            if (!isFinite(colors[c].color))
                return jsonFailure(error,
                                   QStringLiteral("palettes[%1].colors[%2].color").arg(p).arg(c),
                                   QStringLiteral("a channel is not a finite number"));
        }
    }
    return LibraryWriter().write(library);
}

std::optional<Library> LibraryStore::decode(const QByteArray &bytes, QString *error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (error)
            *error = QStringLiteral("JSON parse error at offset %1: %2")
                         .arg(parseError.offset)
                         .arg(parseError.errorString());
        return std::nullopt;
    }
    const QJsonValue root =
        document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    auto library = Library::fromJson(root, error);
    if (!library)
        prefixJsonError(error, QStringLiteral("library"));
    return library;
}

QString LibraryStore::backupPath(const QString &path, const QDateTime &now) {
    const QString folder = QFileInfo(path).path();
    const QString base =
        QLatin1String("library.corrupt-") +
        QLocale::c().toString(now.toLocalTime(), QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = folder + QLatin1Char('/') + base + QLatin1String(".json");
    for (int counter = 2; entryExists(candidate); ++counter)
        candidate = folder + QLatin1Char('/') + base + QLatin1Char('-') + QString::number(counter) +
                    QLatin1String(".json");
    return candidate;
}
