#include "OrinTheme/GlassSurface.h"
#include "OrinTheme/MaterialView.h"
#include "OrinTheme/Symbols.h"
#include "OrinTheme/WindowEffects.h"
#include "Support/ImageProbe.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The names the interface asks for; every one must be shipped.
const QStringList requiredNames =
    QStringLiteral("eyedropper eyedropper.halffull arrow.counterclockwise "
                   "arrow.left.arrow.right checkmark xmark checkmark.circle.fill "
                   "xmark.circle.fill gearshape.fill info.circle.fill cursorarrow.click "
                   "envelope.fill menubar.arrow.up.rectangle rectangle.dashed.badge.record "
                   "transform.scale arrow.up.and.down.and.arrow.left.and.right escape globe "
                   "sparkles")
        .split(u' ');

ImageProbe covered(const QImage &image) {
    return probe(image, [](const QColor &c) { return c.alpha() > 0; });
}

// Every covered pixel carries the tint; only its alpha varies (edges).
int offTint(const QImage &image, const QColor &tint) {
    return probe(image,
                 [&](const QColor &c) {
                     return c.alpha() > 128 &&
                            (qAbs(c.red() - tint.red()) > 2 || qAbs(c.green() - tint.green()) > 2 ||
                             qAbs(c.blue() - tint.blue()) > 2);
                 })
        .count;
}

} // namespace

// Symbols, and the glass or opaque surfaces windows are drawn on.
class tst_Theme : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        WindowEffects::setCompositorOverride(std::nullopt);
        WindowEffects::setBlurOverride(std::nullopt);
    }

    void compositorDecision() {
        // Offscreen there is no X connection, so no compositor unless told otherwise.
        qunsetenv("ORIN_COMPOSITOR");
        QVERIFY(!GlassSurface::usesGlass());
        qputenv("ORIN_COMPOSITOR", "1");
        QVERIFY(GlassSurface::usesGlass());
        WindowEffects::setCompositorOverride(false);
        QVERIFY(!WindowEffects::compositorActive());
        WindowEffects::setCompositorOverride(std::nullopt);
        qputenv("ORIN_COMPOSITOR", "yes");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ORIN_COMPOSITOR should be 0 or 1"));
        QVERIFY(!WindowEffects::compositorActive());
        qunsetenv("ORIN_COMPOSITOR");
    }
    void wrap_data() {
        QTest::addColumn<bool>("compositor");
        QTest::addColumn<bool>("blur");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("surface");
        // Over a blur the surface is translucent glass; without one the same tint is opaque, so
        // nothing behind shows sharply.
        QTest::newRow("glass over a blur")
            << true << true << QSize(416, 276) << QRect(28, 28, 360, 220);
        QTest::newRow("glass without blur")
            << true << false << QSize(416, 276) << QRect(28, 28, 360, 220);
        QTest::newRow("opaque") << false << false << QSize(360, 220) << QRect(0, 0, 360, 220);
    }
    void wrap() {
        QFETCH(bool, compositor);
        QFETCH(bool, blur);
        QFETCH(QSize, size);
        QFETCH(QRect, surface);
        WindowEffects::setCompositorOverride(compositor);
        WindowEffects::setBlurOverride(blur);
        auto *content = new QLabel(u"content"_s);
        QWidget window(nullptr, Qt::FramelessWindowHint);
        const GlassSurface::Wrapped wrapped = GlassSurface::wrap(content, QSize(360, 220), 22);
        wrapped.view->setParent(&window);
        window.resize(wrapped.size);
        QCOMPARE(wrapped.size, size);
        QCOMPARE(wrapped.view->size(), size);
        QCOMPARE(wrapped.windowHasShadow, !compositor);
        auto *material = window.findChild<MaterialView *>();
        QCOMPARE(material->kind(),
                 compositor ? MaterialView::Kind::Glass : MaterialView::Kind::Opaque);
        QCOMPARE(material->cornerRadius(), 22.0);
        QCOMPARE(QRect(material->mapTo(wrapped.view, QPoint()), material->size()), surface);
        QCOMPARE(content->geometry(), QRect(0, 0, 360, 220));

        // Drawn over transparency, as a compositor would receive it.
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        wrapped.view->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        image = image.convertToFormat(QImage::Format_ARGB32);
        // The window's corners stay clear.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        const QRgb inside = image.pixel(surface.center());
        if (blur) {
            QVERIFY2(qAlpha(inside) > 180 && qAlpha(inside) < 250,
                     qPrintable(QString::number(qAlpha(inside))));
        } else {
            QCOMPARE(qAlpha(inside), 255);
        }
        if (compositor) {
            // A shadow is cast below the surface.
            QVERIFY(qAlpha(image.pixel(208, 28 + 220 + 6)) > 25);
        } else {
            QCOMPARE(QColor(inside), QApplication::palette().color(QPalette::Window));
            // The rounded corners are masked off the material and off its window.
            QVERIFY(material->isMasked());
            const QRegion mask = wrapped.view->mask();
            QVERIFY(!mask.contains(QPoint(0, 0)));
            QVERIFY(mask.contains(QPoint(22, 22)));
            QCOMPARE(window.mask(), mask);
        }
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
        QCOMPARE(material->kind(),
                 compositor ? MaterialView::Kind::Glass : MaterialView::Kind::Opaque);
        QCOMPARE(material->cornerRadius(), radius);
        QCOMPARE(material->content(), content);
    }

    void rendersAtSizes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("side");
        QTest::addColumn<qreal>("dpr");
        for (const QString &name : requiredNames) {
            for (int side : {9, 16, 24, 48}) {
                for (qreal dpr : {1.0, 2.0})
                    QTest::addRow("%s@%d@%gx", qPrintable(name), side, dpr) << name << side << dpr;
            }
        }
    }
    void rendersAtSizes() {
        QFETCH(QString, name);
        QFETCH(int, side);
        QFETCH(qreal, dpr);
        QVERIFY(Symbols::exists(name));
        const QColor tint(200, 30, 60);
        const QPixmap pixmap = Symbols::pixmap(name, QSize(side, side), tint, dpr);
        QCOMPARE(pixmap.devicePixelRatio(), dpr);
        const int pixels = qRound(side * dpr);
        QCOMPARE(pixmap.size(), QSize(pixels, pixels));
        const QImage image = pixmap.toImage();
        const ImageProbe c = covered(image);
        // Drawn, but not a filled square: a real glyph covers part of its box, and fills most of
        // it in at least one direction.
        QVERIFY2(c.count > pixels * pixels / 20 && c.count < pixels * pixels * 9 / 10,
                 qPrintable(QString::number(c.count)));
        QVERIFY2(qMax(c.bounds.width(), c.bounds.height()) >= pixels * 6 / 10,
                 qPrintable(u"%1x%2"_s.arg(c.bounds.width()).arg(c.bounds.height())));
        QCOMPARE(offTint(image, tint), 0);
    }
    void unknownNameGivesNothing() {
        for (const QString &name :
             {u"no.such.symbol"_s, QString(), u"../symbols/xmark"_s, u".svg"_s}) {
            QVERIFY(!Symbols::exists(name));
            QVERIFY(Symbols::resourcePath(name).isEmpty());
            QVERIFY(Symbols::icon(name).isNull());
            QVERIFY(Symbols::pixmap(name, QSize(16, 16), Qt::black).isNull());
        }
        QVERIFY(Symbols::pixmap(u"xmark"_s, QSize(0, 16), Qt::black).isNull());
    }
    void iconFollowsPaletteWithoutTint() {
        const QPalette saved = QApplication::palette();
        const auto restore = qScopeGuard([&] { QApplication::setPalette(saved); });
        QPalette palette = saved;
        palette.setColor(QPalette::Active, QPalette::WindowText, QColor(10, 200, 20));
        palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 130));
        QApplication::setPalette(palette);
        const QIcon icon = Symbols::icon(u"eyedropper"_s);
        const QImage normal = icon.pixmap(QSize(32, 32), 1.0).toImage();
        QVERIFY(covered(normal));
        QCOMPARE(offTint(normal, QColor(10, 200, 20)), 0);
        const QImage disabled = icon.pixmap(QSize(32, 32), 1.0, QIcon::Disabled).toImage();
        QCOMPARE(offTint(disabled, QColor(120, 120, 130)), 0);
        // A theme change later is picked up by the same icon.
        palette.setColor(QPalette::Active, QPalette::WindowText, QColor(240, 240, 240));
        QApplication::setPalette(palette);
        QCOMPARE(offTint(icon.pixmap(QSize(32, 32), 1.0).toImage(), QColor(240, 240, 240)), 0);
    }
};

QTEST_MAIN(tst_Theme)
#include "tst_Theme.moc"
