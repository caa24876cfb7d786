#include "OrinTheme/CardBackground.h"
#include "OrinTheme/FloatingShadowContainer.h"
#include "OrinTheme/GlassSurface.h"
#include "OrinTheme/MaterialView.h"
#include "OrinTheme/WindowEffects.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

// Draws a widget and its children over transparency, as a compositor would receive it.
QImage renderTransparent(QWidget *widget) {
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.convertToFormat(QImage::Format_ARGB32);
}

int maxAlpha(const QImage &image) {
    int best = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            best = qMax(best, qAlpha(image.pixel(x, y)));
    return best;
}

} // namespace

class tst_GlassSurface : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        WindowEffects::setCompositorOverride(std::nullopt);
        WindowEffects::setBlurOverride(std::nullopt);
    }

    void compositorDecision();
    void wrapWithCompositor();
    void wrapWithoutCompositor();
    void glassPixels_data();
    void glassPixels();
    void opaquePixels();
    void shadowFollowsResize();
    void applyToWindow_data();
    void applyToWindow();
    void buttonStyles();
    void cardBackground();
};

void tst_GlassSurface::compositorDecision() {
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

void tst_GlassSurface::wrapWithCompositor() {
    WindowEffects::setCompositorOverride(true);
    auto *content = new QLabel(QStringLiteral("content"));
    const GlassSurface::Wrapped wrapped = GlassSurface::wrap(content, QSize(360, 220), 22);
    std::unique_ptr<QWidget> owner(wrapped.view);
    QCOMPARE(wrapped.size, QSize(416, 276));
    QVERIFY(!wrapped.windowHasShadow);

    auto *container = qobject_cast<FloatingShadowContainer *>(wrapped.view);
    QVERIFY(container);
    QCOMPARE(container->size(), QSize(416, 276));
    QCOMPARE(container->margin(), 28);
    QCOMPARE(container->cornerRadius(), 22.0);
    auto *material = container->findChild<MaterialView *>();
    QVERIFY(material);
    QCOMPARE(material->kind(), MaterialView::Kind::Glass);
    QCOMPARE(material->geometry(), QRect(28, 28, 360, 220));
    QCOMPARE(material->content(), content);
    QCOMPARE(content->geometry(), QRect(0, 0, 360, 220));
    QCOMPARE(container->surfaceRect(), QRectF(28, 28, 360, 220));
}

void tst_GlassSurface::wrapWithoutCompositor() {
    WindowEffects::setCompositorOverride(false);
    auto *content = new QLabel(QStringLiteral("content"));
    const GlassSurface::Wrapped wrapped = GlassSurface::wrap(content, QSize(360, 220), 14);
    std::unique_ptr<QWidget> owner(wrapped.view);
    QCOMPARE(wrapped.size, QSize(360, 220));
    QVERIFY(wrapped.windowHasShadow);
    auto *material = qobject_cast<MaterialView *>(wrapped.view);
    QVERIFY(material);
    QCOMPARE(material->kind(), MaterialView::Kind::Opaque);
    QVERIFY(material->isMasked());
    QCOMPARE(material->cornerRadius(), 14.0);
    QCOMPARE(material->size(), QSize(360, 220));
    QCOMPARE(content->geometry(), QRect(0, 0, 360, 220));
}

void tst_GlassSurface::glassPixels_data() {
    QTest::addColumn<bool>("blur");
    QTest::newRow("compositor blurs behind") << true;
    QTest::newRow("compositor without blur") << false;
}

void tst_GlassSurface::glassPixels() {
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
    const int peak = maxAlpha(container->shadowImage().convertToFormat(QImage::Format_ARGB32));
    QVERIFY2(peak <= qRound(0.28 * 255) + 1 && peak > 50, qPrintable(QString::number(peak)));
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

void tst_GlassSurface::opaquePixels() {
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

void tst_GlassSurface::shadowFollowsResize() {
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

void tst_GlassSurface::applyToWindow_data() {
    QTest::addColumn<bool>("compositor");
    QTest::addColumn<bool>("frameless");
    QTest::addColumn<qreal>("radius");
    QTest::newRow("glass, frameless") << true << true << 16.0;
    QTest::newRow("glass, framed") << true << false << 0.0;
    QTest::newRow("opaque, frameless") << false << true << 16.0;
    QTest::newRow("opaque, framed") << false << false << 0.0;
}

void tst_GlassSurface::applyToWindow() {
    QFETCH(bool, compositor);
    QFETCH(bool, frameless);
    QFETCH(qreal, radius);
    WindowEffects::setCompositorOverride(compositor);
    QWidget window(nullptr, frameless ? Qt::FramelessWindowHint : Qt::Window);
    auto *content = new QLabel(QStringLiteral("hello"));
    GlassSurface::apply(&window, content, QSize(500, 400));
    QCOMPARE(window.size(), QSize(500, 400));
    QCOMPARE(window.testAttribute(Qt::WA_TranslucentBackground), compositor);
    auto *material = window.findChild<MaterialView *>();
    QVERIFY(material);
    QCOMPARE(material->kind(), compositor ? MaterialView::Kind::Glass : MaterialView::Kind::Opaque);
    QCOMPARE(material->cornerRadius(), radius);
    QCOMPARE(material->content(), content);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(material->geometry(), window.rect());
    QCOMPARE(content->geometry(), window.rect());
}

void tst_GlassSurface::buttonStyles() {
    QPushButton a(QStringLiteral("Open")), b(QStringLiteral("Later"));
    WindowEffects::setCompositorOverride(true);
    GlassSurface::glassProminentButtonStyle(&a);
    GlassSurface::glassButtonStyle(&b);
    QCOMPARE(a.property("orinButtonStyle").toString(), QStringLiteral("glassProminent"));
    QCOMPARE(b.property("orinButtonStyle").toString(), QStringLiteral("glass"));
    QVERIFY(!a.styleSheet().contains(QLatin1Char('%')));
    // A capsule: the radius is half the button's height.
    QVERIFY(a.styleSheet().contains(
        QStringLiteral("border-radius: %1px").arg(a.sizeHint().height() / 2)));

    // The prominent button is filled with the accent colour.
    a.resize(a.sizeHint());
    const QImage shot = renderTransparent(&a);
    const QColor accent = a.palette().color(QPalette::Highlight);
    const QColor middle = shot.pixelColor(4 + a.sizeHint().height() / 2, 3);
    QVERIFY2(qAbs(middle.hue() - accent.hue()) < 12 || accent.saturation() < 30,
             qPrintable(middle.name()));

    WindowEffects::setCompositorOverride(false);
    GlassSurface::glassProminentButtonStyle(&a);
    GlassSurface::glassButtonStyle(&b);
    QCOMPARE(a.property("orinButtonStyle").toString(), QStringLiteral("borderedProminent"));
    QCOMPARE(b.property("orinButtonStyle").toString(), QStringLiteral("bordered"));
    QVERIFY(b.styleSheet().isEmpty());
    QVERIFY(a.styleSheet().contains(QStringLiteral("border-radius: 6px")));
}

void tst_GlassSurface::cardBackground() {
    auto *content = new QLabel(QStringLiteral("grouped"));
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

QTEST_MAIN(tst_GlassSurface)
#include "tst_GlassSurface.moc"
