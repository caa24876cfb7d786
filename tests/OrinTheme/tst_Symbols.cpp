#include "OrinTheme/Symbols.h"
#include "Support/ImageProbe.h"

#include <QApplication>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The names the interface asks for; every one must be shipped.
const QStringList requiredNames{"eyedropper",
                                "eyedropper.halffull",
                                "arrow.counterclockwise",
                                "arrow.left.arrow.right",
                                "checkmark",
                                "xmark",
                                "checkmark.circle.fill",
                                "xmark.circle.fill",
                                "gearshape.fill",
                                "info.circle.fill",
                                "cursorarrow.click",
                                "envelope.fill",
                                "menubar.arrow.up.rectangle",
                                "rectangle.dashed.badge.record",
                                "transform.scale",
                                "arrow.up.and.down.and.arrow.left.and.right",
                                "escape",
                                "globe",
                                "sparkles"};

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

class tst_Symbols : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

QTEST_MAIN(tst_Symbols)
#include "tst_Symbols.moc"
