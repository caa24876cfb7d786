#include "OrinTheme/CardBackground.h"
#include "OrinTheme/FloatingShadowContainer.h"
#include "OrinTheme/GlassSurface.h"
#include "OrinTheme/MaterialView.h"
#include "OrinTheme/WindowEffects.h"
#include "Support/ImageProbe.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Draws a widget and its children over transparency, as a compositor would receive it.
QImage renderTransparent(QWidget *widget) {
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class tst_GlassSurface : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        WindowEffects::setCompositorOverride(std::nullopt);
        WindowEffects::setBlurOverride(std::nullopt);
    }

    void compositorDecision() {
        // Offscreen there is no X connection, so no compositor unless told otherwise.
        qunsetenv("ORIN_COMPOSITOR");
        QVERIFY(!WindowEffects::compositorActive());
        qputenv("ORIN_COMPOSITOR", "1");
        QVERIFY(WindowEffects::compositorActive());
        QVERIFY(GlassSurface::usesGlass());
        qputenv("ORIN_COMPOSITOR", "yes");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ORIN_COMPOSITOR should be 0 or 1"));
        QVERIFY(!WindowEffects::compositorActive());
        qputenv("ORIN_COMPOSITOR", "1");
        WindowEffects::setCompositorOverride(false);
        QVERIFY(!WindowEffects::compositorActive());
        WindowEffects::setCompositorOverride(std::nullopt);
        QVERIFY(WindowEffects::compositorActive());
        qunsetenv("ORIN_COMPOSITOR");
    }
    void wrap_data() {
        QTest::addColumn<bool>("compositor");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("surface");
        QTest::newRow("glass") << true << QSize(416, 276) << QRect(28, 28, 360, 220);
        QTest::newRow("opaque") << false << QSize(360, 220) << QRect(0, 0, 360, 220);
    }
    void wrap() {
        QFETCH(bool, compositor);
        QFETCH(QSize, size);
        QFETCH(QRect, surface);
        WindowEffects::setCompositorOverride(compositor);
        auto *content = new QLabel(u"content"_s);
        const GlassSurface::Wrapped wrapped = GlassSurface::wrap(content, QSize(360, 220), 22);
        std::unique_ptr<QWidget> owner(wrapped.view);
        QCOMPARE(wrapped.size, size);
        QCOMPARE(wrapped.view->size(), size);
        QCOMPARE(wrapped.windowHasShadow, !compositor);
        auto *material = wrapped.view->findChild<MaterialView *>();
        if (!material)
            material = qobject_cast<MaterialView *>(wrapped.view);
        QCOMPARE(material->kind(),
                 compositor ? MaterialView::Kind::Glass : MaterialView::Kind::Opaque);
        QVERIFY(compositor || material->isMasked());
        QCOMPARE(material->cornerRadius(), 22.0);
        QCOMPARE(QRect(material->mapTo(wrapped.view, QPoint()), material->size()), surface);
        QCOMPARE(content->geometry(), QRect(0, 0, 360, 220));
    }
    void glassPixels_data() {
        QTest::addColumn<bool>("blur");
        QTest::newRow("compositor blurs behind") << true;
        QTest::newRow("compositor without blur") << false;
    }
    void glassPixels() {
        QFETCH(bool, blur);
        WindowEffects::setCompositorOverride(true);
        WindowEffects::setBlurOverride(blur);
        const GlassSurface::Wrapped wrapped = GlassSurface::wrap(new QWidget, QSize(360, 220), 22);
        std::unique_ptr<QWidget> owner(wrapped.view);
        const QImage image = renderTransparent(wrapped.view);

        // The window's corners and far edges stay clear; the shadow fades out inside the margin.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(415, 0)), 0);
        QVERIFY(qAlpha(image.pixel(208, 1)) < 4);
        // Shadow around the surface, darker below it (cast downwards) than above it.
        const QRgb below = image.pixel(208, 28 + 220 + 6);
        const QRgb above = image.pixel(208, 28 - 6);
        QVERIFY2(qAlpha(below) > 25, qPrintable(QString::number(qAlpha(below))));
        QVERIFY(qAlpha(below) > qAlpha(above) + 10);
        QVERIFY(qRed(below) < 8 && qGreen(below) < 8 && qBlue(below) < 8);
        // The shadow never exceeds its opacity anywhere in the margin.
        auto *container = static_cast<FloatingShadowContainer *>(wrapped.view);
        const QImage shadow = container->shadowImage().convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!probe(shadow, [](const QColor &c) { return c.alpha() > qRound(0.28 * 255) + 1; }));
        QVERIFY(probe(shadow, [](const QColor &c) { return c.alpha() > 50; }));
        // ... and is cut out under the surface, so it does not darken the glass.
        QCOMPARE(qAlpha(container->shadowImage().pixel(208, 150)), 0);

        // Over a blur the surface is translucent glass, the window colour partly see-through;
        // without one, the same tint opaque, so nothing behind shows sharply.
        const QRgb inside = image.pixel(208, 150);
        if (blur)
            QVERIFY2(qAlpha(inside) > 180 && qAlpha(inside) < 250,
                     qPrintable(QString::number(qAlpha(inside))));
        else
            QCOMPARE(qAlpha(inside), 255);
        // A rounded corner: the surface's own corner pixel is clear of glass.
        QVERIFY(qAlpha(image.pixel(28, 28)) < qAlpha(inside) / 2);
    }
    void opaquePixels() {
        WindowEffects::setCompositorOverride(false);
        QWidget window(nullptr, Qt::FramelessWindowHint);
        const GlassSurface::Wrapped wrapped = GlassSurface::wrap(new QWidget, QSize(360, 220), 14);
        wrapped.view->setParent(&window);
        window.resize(wrapped.size);
        wrapped.view->setGeometry(window.rect());

        const QImage image = renderTransparent(wrapped.view);
        const QRgb inside = image.pixel(180, 110);
        QCOMPARE(qAlpha(inside), 255);
        QCOMPARE(QColor(inside), QApplication::palette().color(QPalette::Window));
        // Same size and rounding: the corners are masked off the material and off its window.
        const QRegion mask = wrapped.view->mask();
        QVERIFY(!mask.contains(QPoint(0, 0)));
        QVERIFY(!mask.contains(QPoint(359, 219)));
        QVERIFY(mask.contains(QPoint(14, 14)));
        QVERIFY(mask.contains(QPoint(180, 0)));
        QCOMPARE(window.mask(), mask);
    }
    void shadowFollowsResize() {
        FloatingShadowContainer container(QRect(0, 0, 416, 276), 28, 22);
        container.show();
        QVERIFY(QTest::qWaitForWindowExposed(&container));
        const int before = container.shadowRenderCount();
        container.resize(500, 300);
        QCOMPARE(container.shadowRenderCount(), before + 1);
        QCOMPARE(container.shadowImage().size(), QSize(500, 300));
        QCOMPARE(container.surfaceRect(), QRectF(28, 28, 444, 244));
        // Under the new surface the shadow is cut out; where the old bottom edge was it now is.
        QCOMPARE(qAlpha(container.shadowImage().pixel(250, 250)), 0);
        QVERIFY(qAlpha(container.shadowImage().pixel(250, 280)) > 20);
        const QPainterPath outline = container.surfaceOutline();
        QVERIFY(outline.contains(QPointF(250, 150)));
        QVERIFY(!outline.contains(QPointF(29, 29)));
    }
    void applyToWindow_data() {
        QTest::addColumn<bool>("compositor");
        QTest::addColumn<bool>("frameless");
        QTest::addColumn<qreal>("radius");
        QTest::newRow("glass, frameless") << true << true << 16.0;
        QTest::newRow("glass, framed") << true << false << 0.0;
        QTest::newRow("opaque, frameless") << false << true << 16.0;
        QTest::newRow("opaque, framed") << false << false << 0.0;
    }
    void applyToWindow() {
        QFETCH(bool, compositor);
        QFETCH(bool, frameless);
        QFETCH(qreal, radius);
        WindowEffects::setCompositorOverride(compositor);
        QWidget window(nullptr, frameless ? Qt::FramelessWindowHint : Qt::Window);
        auto *content = new QLabel(u"hello"_s);
        GlassSurface::apply(&window, content, QSize(500, 400));
        QCOMPARE(window.size(), QSize(500, 400));
        QCOMPARE(window.testAttribute(Qt::WA_TranslucentBackground), compositor);
        auto *material = window.findChild<MaterialView *>();
        QVERIFY(material);
        QCOMPARE(material->kind(),
                 compositor ? MaterialView::Kind::Glass : MaterialView::Kind::Opaque);
        QCOMPARE(material->cornerRadius(), radius);
        QCOMPARE(material->content(), content);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(material->geometry(), window.rect());
        QCOMPARE(content->geometry(), window.rect());
    }
    void buttonStyles() {
        QPushButton a(u"Open"_s), b(u"Later"_s);
        WindowEffects::setCompositorOverride(true);
        GlassSurface::glassProminentButtonStyle(&a);
        GlassSurface::glassButtonStyle(&b);
        QCOMPARE(a.property("orinButtonStyle").toString(), u"glassProminent"_s);
        QCOMPARE(b.property("orinButtonStyle").toString(), u"glass"_s);
        // A capsule: the radius is half the button's height; filled with the accent colour.
        QVERIFY(a.styleSheet().contains(u"border-radius: %1px;"_s.arg(a.sizeHint().height() / 2)));
        a.resize(a.sizeHint());
        const QColor accent = a.palette().color(QPalette::Highlight);
        const QColor middle = renderTransparent(&a).pixelColor(4 + a.sizeHint().height() / 2, 3);
        QVERIFY2(qAbs(middle.hue() - accent.hue()) < 12 || accent.saturation() < 30,
                 qPrintable(middle.name()));
        WindowEffects::setCompositorOverride(false);
        GlassSurface::glassProminentButtonStyle(&a);
        GlassSurface::glassButtonStyle(&b);
        QCOMPARE(a.property("orinButtonStyle").toString(), u"borderedProminent"_s);
        QCOMPARE(b.property("orinButtonStyle").toString(), u"bordered"_s);
        QVERIFY(b.styleSheet().isEmpty());
    }
    void cardBackground() {
        auto *content = new QLabel(u"grouped"_s);
        std::unique_ptr<CardBackground> card(GlassSurface::cardBackground(content, 10));
        QPalette palette = card->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        card->setPalette(palette);
        card->resize(200, 100);
        card->show();
        QVERIFY(QTest::qWaitForWindowExposed(card.get()));
        QCOMPARE(content->geometry(), QRect(0, 0, 200, 100));
        QImage image(card->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        CardBackground::paint(painter, QRectF(0, 0, 200, 100), 10, Qt::black);
        painter.end();
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        // Fill at 0.055, border a little stronger, corners clear.
        QCOMPARE(qAlpha(argb.pixel(100, 50)), qRound(0.055 * 255));
        QVERIFY(qAlpha(argb.pixel(100, 0)) > qAlpha(argb.pixel(100, 50)));
        QCOMPARE(qAlpha(argb.pixel(0, 0)), 0);
    }
};

QTEST_MAIN(tst_GlassSurface)
#include "tst_GlassSurface.moc"
