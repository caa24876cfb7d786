// One pointer move of the loupe: sampling, label, layout and the repaint of what the ring and the
// pill left and entered, on a full-HD display at 1x and a 4K display at 2x.
#include "BenchTimer.h"

#include "Chromet/Picking/GlassView.h"
#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/Motion.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

#include <vector>

namespace {

// Something like a desktop: gradients, text and noise, so that colors and labels change per move.
ScreenSnapshot desktop(QSize points, double scale) {
    ScreenSnapshot s;
    s.displayID = 1;
    s.frame = QRectF(QPointF(0, 0), QSizeF(points));
    s.image = QImage(points * scale, QImage::Format_RGB32);
    QPainter painter(&s.image);
    QLinearGradient gradient(0, 0, s.image.width(), s.image.height());
    gradient.setColorAt(0, QColor(245, 245, 240));
    gradient.setColorAt(0.5, QColor(40, 120, 200));
    gradient.setColorAt(1, QColor(20, 20, 30));
    painter.fillRect(s.image.rect(), gradient);
    QFont font;
    font.setPixelSize(int(14 * scale));
    painter.setFont(font);
    for (int y = 0; y < s.image.height(); y += int(20 * scale))
        painter.drawText(
            0, y, QStringLiteral("The quick brown fox jumps over the lazy dog. ").repeated(12));
    painter.end();
    QRandomGenerator random(7);
    for (int i = 0; i < s.image.width() * s.image.height() / 50; ++i)
        s.image.setPixel(int(random.bounded(s.image.width())),
                         int(random.bounded(s.image.height())), random.generate() | 0xff000000u);
    return s;
}

qint64 area(const QRegion &region) {
    qint64 sum = 0;
    for (const QRect &r : region)
        sum += qint64(r.width()) * r.height();
    return sum;
}

void run(const char *name, QSize points, double scale) {
    LoupeView view(desktop(points, scale), ColorFormat::hex, false);
    // What the window's backing store would be: the display's pixels.
    QImage target(view.snapshot().image.size(), QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(scale);
    view.render(&target);

    // A wandering pointer: small steps, as a hand moves it.
    std::vector<QPointF> path;
    for (int i = 0; i < 2000; ++i)
        path.emplace_back(150 + (i * 3) % (points.width() - 300),
                          150 + (i * 7) % (points.height() - 300));
    size_t next = 0;
    auto move = [&] {
        view.update(path[next++ % path.size()]);
    };
    auto paint = [&] {
        const QRegion dirty = view.lastDirtyRegion();
        view.render(&target, dirty.boundingRect().topLeft(), dirty);
    };

    move();
    Motion::finish(view.ringGlass());
    Motion::finish(view.pillGlass());
    for (size_t i = 0; i < path.size(); ++i) { // every backdrop tile averaged once
        move();
        paint();
    }

    qint64 pixels = 0;
    for (int i = 0; i < 200; ++i) {
        move();
        pixels += area(view.lastDirtyRegion());
    }

    char label[128];
    std::snprintf(label, sizeof label, "%s update only (sample, label, layout)", name);
    printFigure(label, medianNsPerCall(move, 200) / 1000, "us");
    std::snprintf(label, sizeof label, "%s update + paint of the dirty region", name);
    printFigure(label,
                medianNsPerCall(
                    [&] {
                        move();
                        paint();
                    },
                    200) /
                    1000,
                "us");
    std::snprintf(label, sizeof label, "%s repainted area per move", name);
    printFigure(label, double(pixels) / 200 * scale * scale, "px");
    std::snprintf(label, sizeof label, "%s repainted share of the display", name);
    printFigure(label, 100.0 * double(pixels) / 200 / (double(points.width()) * points.height()),
                "%");

    // A pick's first frame: a new view, its loupe popping in, drawn once where it shows.
    const ScreenSnapshot snapshot = view.snapshot();
    std::snprintf(label, sizeof label, "%s first frame of a new loupe", name);
    printFigure(label,
                medianNsPerCall(
                    [&] {
                        LoupeView fresh(snapshot, ColorFormat::hex, false);
                        fresh.update(QPointF(points.width() / 2.0, points.height() / 2.0));
                        const QRegion loupe = fresh.loupeRegion();
                        fresh.render(&target, loupe.boundingRect().topLeft(), loupe);
                    },
                    30) /
                    1000,
                "us");

    // The same through a window and its backing store (the offscreen platform draws at 1x).
    if (scale == 1.0) {
        view.show();
        QCoreApplication::processEvents();
        std::snprintf(label, sizeof label, "%s update + repaint in a window", name);
        printFigure(label,
                    medianNsPerCall(
                        [&] {
                            move();
                            view.repaint(view.lastDirtyRegion());
                        },
                        200) /
                        1000,
                    "us");
        view.takePaintedRegion();
        move();
        view.repaint(view.lastDirtyRegion());
        std::snprintf(label, sizeof label, "%s area the window repainted", name);
        printFigure(label, double(area(view.takePaintedRegion())), "px");
    }
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("CHROMET_REDUCE_MOTION", "0");
    QApplication app(argc, argv);
    run("loupe 1920x1080 @1x:", QSize(1920, 1080), 1.0);
    run("loupe 3840x2160 @2x:", QSize(1920, 1080), 2.0);
    return 0;
}
