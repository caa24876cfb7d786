#include "OrinTheme/GlassSurface.h"
#include "OrinTheme/MaterialView.h"
#include "OrinTheme/WindowEffects.h"

#include <QApplication>
#include <QLabel>
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

        // The window's corners stay clear; a shadow is cast below the surface.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QVERIFY(qAlpha(image.pixel(208, 28 + 220 + 6)) > 25);

        // Over a blur the surface is translucent glass, the window colour partly see-through;
        // without one, the same tint opaque, so nothing behind shows sharply.
        const QRgb inside = image.pixel(208, 150);
        if (blur)
            QVERIFY2(qAlpha(inside) > 180 && qAlpha(inside) < 250,
                     qPrintable(QString::number(qAlpha(inside))));
        else
            QCOMPARE(qAlpha(inside), 255);
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
        // The rounded corners are masked off the material and off its window.
        const QRegion mask = wrapped.view->mask();
        QVERIFY(!mask.contains(QPoint(0, 0)));
        QVERIFY(mask.contains(QPoint(14, 14)));
        QCOMPARE(window.mask(), mask);
    }
    void applyToWindow_data() {
        QTest::addColumn<bool>("compositor");
        QTest::addColumn<bool>("frameless");
        QTest::addColumn<qreal>("radius");
        QTest::newRow("glass, frameless") << true << true << 16.0;
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
    }
};

QTEST_MAIN(tst_GlassSurface)
#include "tst_GlassSurface.moc"
