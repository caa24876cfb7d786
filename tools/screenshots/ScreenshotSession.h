#pragma once

#include <QDir>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Where the screenshots go and how they are taken: a window is shot only once it is exposed on
// the X server and has painted, and is read back from the screen, so what is written is what a
// person would see (popups and child windows over it included). Names are file names without
// the suffix and ".png".
class ScreenshotSession {
public:
    ScreenshotSession(const QDir &output, QString suffix, QStringList only);

    // Whether a shot of this name is wanted (all unless --only named some).
    bool wants(const QString &name) const;

    // Waits until `window` is exposed, lets `settleMs` of animations run, paints it once more and
    // grabs its frame from the screen.
    bool shootWindow(const QString &name, QWidget *window, int settleMs = 300);
    // Grabs a rectangle of the screen (global logical coordinates), after painting `window`.
    bool shootArea(const QString &name, QWidget *window, const QRect &area, int settleMs = 300);
    // Writes an image made some other way.
    bool save(const QString &name, const QImage &image);
    // Records a shot that could not be taken.
    void fail(const QString &name, const QString &why);

    const QStringList &written() const { return m_written; }
    const QStringList &failures() const { return m_failures; }

    // Runs the event loop until `condition` holds or `timeoutMs` passes.
    static bool waitFor(const std::function<bool()> &condition, int timeoutMs = 5000);

private:
    bool prepare(const QString &name, QWidget *window, int settleMs);
    QString path(const QString &name) const;

    QDir m_output;
    QString m_suffix;
    QStringList m_only;
    QStringList m_written;
    QStringList m_failures;
};
