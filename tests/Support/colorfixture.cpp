// A window whose every pixel has a known color (ColorFixture.h), for tests that pick from the real
// screen. Usage: colorfixture X Y WIDTH HEIGHT. Once the window is on screen it writes
// "ready <window id>" on stdout; it runs until it is closed or killed.

#include "Support/ColorFixture.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>

#include <cstdio>
#include <utility>

namespace {

class PatternWindow : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent *) override {
        const QSize size = this->size() * devicePixelRatio();
        if (m_pattern.size() != size) {
            m_pattern = colorFixtureImage(size);
            m_pattern.setDevicePixelRatio(devicePixelRatio());
        }
        QPainter(this).drawImage(QPoint(0, 0), m_pattern);
        if (!std::exchange(m_announced, true)) {
            // After this paint has been flushed to the server.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    std::printf("ready %llu\n", static_cast<unsigned long long>(winId()));
                    std::fflush(stdout);
                },
                Qt::QueuedConnection);
        }
    }

private:
    QImage m_pattern;
    bool m_announced = false;
};

} // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    int geometry[4] = {};
    bool ok = args.size() == 4;
    for (int i = 0; ok && i < 4; ++i)
        geometry[i] = args.at(i).toInt(&ok);
    if (!ok || geometry[2] <= 0 || geometry[3] <= 0) {
        std::fprintf(stderr, "usage: colorfixture X Y WIDTH HEIGHT\n");
        return 2;
    }
    PatternWindow window;
    window.setFlag(Qt::FramelessWindowHint);
    window.setTitle(QStringLiteral("colorfixture"));
    window.setGeometry(geometry[0], geometry[1], geometry[2], geometry[3]);
    window.show();
    return app.exec();
}
