#include "ScreenshotSession.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <cstdio>

ScreenshotSession::ScreenshotSession(const QDir &output, QString suffix, QStringList only)
    : m_output(output)
    , m_suffix(std::move(suffix))
    , m_only(std::move(only)) {
}

bool ScreenshotSession::wants(const QString &name) const {
    return m_only.isEmpty() || m_only.contains(name);
}

bool ScreenshotSession::waitFor(const std::function<bool()> &condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qSleep(5);
    }
    return true;
}

bool ScreenshotSession::prepare(const QString &name, QWidget *window, int settleMs) {
    if (!window || !window->windowHandle()) {
        fail(name, QStringLiteral("no window"));
        return false;
    }
    if (!QTest::qWaitForWindowExposed(window->windowHandle(), 5000)) {
        fail(name, QStringLiteral("the window was never exposed"));
        return false;
    }
    // Animations (pop-ins, page springs, fades) come to rest.
    QTest::qWait(settleMs);
    // Paint now and flush to the server; the server handles this client's requests in order, so
    // the grab below reads the flushed pixels.
    window->repaint();
    QCoreApplication::processEvents();
    return true;
}

bool ScreenshotSession::shootWindow(const QString &name, QWidget *window, int settleMs) {
    if (!wants(name))
        return true;
    if (!prepare(name, window, settleMs))
        return false;
    const QRect frame = window->geometry();
    return save(name, window->screen()
                          ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
                          .toImage());
}

bool ScreenshotSession::shootArea(const QString &name, QWidget *window, const QRect &area,
                                  int settleMs) {
    if (!wants(name))
        return true;
    if (!prepare(name, window, settleMs))
        return false;
    return save(
        name,
        window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage());
}

QString ScreenshotSession::path(const QString &name) const {
    return m_output.absoluteFilePath(name + m_suffix + QStringLiteral(".png"));
}

bool ScreenshotSession::save(const QString &name, const QImage &image) {
    if (!wants(name))
        return true;
    if (image.isNull()) {
        fail(name, QStringLiteral("the grab came back empty"));
        return false;
    }
    const QString file = path(name);
    if (!image.save(file, "PNG")) {
        fail(name, QStringLiteral("cannot write ") + file);
        return false;
    }
    m_written.append(file);
    std::printf("%s\n", qPrintable(file));
    std::fflush(stdout);
    return true;
}

void ScreenshotSession::fail(const QString &name, const QString &why) {
    m_failures.append(name + QStringLiteral(": ") + why);
    std::fprintf(stderr, "chromet-screenshots: %s: %s\n", qPrintable(name), qPrintable(why));
}
