// A window whose every pixel has a known color (ColorFixture.h), for tests that pick from the real
// screen. Usage: colorfixture X Y WIDTH HEIGHT. Once the window is on screen it writes
// "ready <window id>" on stdout; it runs until it is closed or killed.

#include "Support/ColorFixture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRasterWindow>
#include <QTextStream>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

class PatternWindow : public QRasterWindow {
public:
    PatternWindow() {
        setFlag(Qt::FramelessWindowHint);
        setTitle(u"colorfixture"_s);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        const QSize size = this->size() * devicePixelRatio();
        if (m_pattern.size() != size) {
            m_pattern = colorFixtureImage(size);
            m_pattern.setDevicePixelRatio(devicePixelRatio());
        }
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), m_pattern);
        if (!m_announced) {
            m_announced = true;
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
    bool ok[4] = {false, false, false, false};
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: colorfixture X Y WIDTH HEIGHT\n");
        return 2;
    }
    const int x = args.at(0).toInt(&ok[0]);
    const int y = args.at(1).toInt(&ok[1]);
    const int width = args.at(2).toInt(&ok[2]);
    const int height = args.at(3).toInt(&ok[3]);
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || width <= 0 || height <= 0) {
        std::fprintf(stderr, "colorfixture: bad geometry\n");
        return 2;
    }
    PatternWindow window;
    window.setGeometry(x, y, width, height);
    window.show();
    return app.exec();
}
