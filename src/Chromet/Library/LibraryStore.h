#pragma once

#include "Chromet/Library/Library.h"

#include <QDateTime>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// Owns the one live Library: loads it from the JSON file at start-up and writes the whole file
// back after every change. It guards the user's file: a file that exists but cannot be read turns
// saving off for the run, and a readable file that is not a library is moved aside under a
// time-stamped name before a fresh library starts. Main thread only.
class LibraryStore {
public:
    using Clock = std::function<QDateTime()>;

    // Loads `path` at once; never fails (see saveDisabled() and isSaving()). `clock` supplies the
    // time stamp for a corrupt file's backup name; by default the current local time. An empty
    // path means no location could be formed: the library then lives only for this run.
    explicit LibraryStore(const QString &path, Clock clock = {});
    LibraryStore(const LibraryStore &) = delete;
    LibraryStore &operator=(const LibraryStore &) = delete;

    // $XDG_DATA_HOME/Chromet/library.json (~/.local/share/...); empty if no location exists.
    static QString defaultPath();

    QString path() const { return m_path; }
    QUrl url() const { return QUrl::fromLocalFile(m_path); }

    // Change in place, then call commit().
    Library &library() { return m_library; }
    const Library &library() const { return m_library; }

    // Runs the change callback, then saves unless saving is off for this run.
    void commit();
    // Creates the folder and replaces the file atomically, flushed to disk. True on success.
    bool save();

    // True while saves succeed; false after a failed save and whenever saving is disabled.
    bool isSaving() const { return m_isSaving; }
    // The file existed but could not be read: nothing is written during this run.
    bool saveDisabled() const { return m_saveDisabled; }

    void setOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }

    // The file text: UTF-8, indented, keys sorted, shortest round-trip numbers, "/" as "\/".
    // Fails (with *error set) only for a channel that JSON cannot hold (NaN, infinity).
    static std::optional<QByteArray> encode(const Library &library, QString *error = nullptr);
    // Any valid JSON object with the library's keys; extra keys are ignored.
    static std::optional<Library> decode(const QByteArray &bytes, QString *error = nullptr);

    // A library is small; a file beyond this is not one and is never read into memory.
    static constexpr qint64 maxFileSize = 16 * 1024 * 1024;

    // What reading the file at a path found. "Failed" is anything there that is not a readable
    // regular file of at most maxFileSize bytes (a folder, a FIFO, a device, no permission): such
    // a file must never be overwritten. Never blocks, and reads at most maxFileSize bytes.
    struct FileRead {
        enum Outcome { Missing, Failed, Read };
        Outcome outcome = Missing;
        QByteArray bytes;
        // "path: why", for Failed.
        QString error;
    };
    static FileRead readFile(const QString &path);

    // Where a corrupt file goes: library.corrupt-yyyyMMdd-HHmmss.json beside `path`, or -2, -3,
    // ... before ".json" when that name is taken.
    static QString backupPath(const QString &path, const QDateTime &now);

private:
    void load();

    QString m_path;
    Clock m_clock;
    Library m_library;
    bool m_saveDisabled = false;
    bool m_isSaving = true;
    std::function<void()> m_onChange;
};
