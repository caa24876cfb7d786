#include "OrinTheme/Symbols.h"

#include <QApplication>
#include <QPainter>
#include <QTest>

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

struct Coverage {
    int covered = 0;
    int offTint = 0;
    QRect box;
};

Coverage coverage(const QImage &image, const QColor &tint) {
    Coverage c;
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QColor px = img.pixelColor(x, y);
            if (px.alpha() == 0)
                continue;
            ++c.covered;
            c.box |= QRect(x, y, 1, 1);
            // Every covered pixel carries the tint's hue; only its alpha varies (edges).
            if (px.alpha() > 128 &&
                (qAbs(px.red() - tint.red()) > 2 || qAbs(px.green() - tint.green()) > 2 ||
                 qAbs(px.blue() - tint.blue()) > 2))
                ++c.offTint;
        }
    }
    return c;
}

} // namespace

class tst_Symbols : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void requiredSymbolsExist_data();
    void requiredSymbolsExist();
    void rendersAtSizes_data();
    void rendersAtSizes();
    void sameWeightAcrossLineSymbols();
    void unknownNameGivesNothing();
    void iconFollowsPaletteWithoutTint();
    void iconWithTintAndDevicePixelRatio();
    void namesAreSortedAndUnique();
};

void tst_Symbols::requiredSymbolsExist_data() {
    QTest::addColumn<QString>("name");
    for (const QString &name : requiredNames)
        QTest::newRow(qPrintable(name)) << name;
}

void tst_Symbols::requiredSymbolsExist() {
    QFETCH(QString, name);
    QVERIFY(Symbols::exists(name));
    QVERIFY(Symbols::names().contains(name));
    QVERIFY(!Symbols::icon(name).isNull());
}

void tst_Symbols::rendersAtSizes_data() {
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

void tst_Symbols::rendersAtSizes() {
    QFETCH(QString, name);
    QFETCH(int, side);
    QFETCH(qreal, dpr);
    const QColor tint(200, 30, 60);
    const QPixmap pixmap = Symbols::pixmap(name, QSize(side, side), tint, dpr);
    QVERIFY(!pixmap.isNull());
    QCOMPARE(pixmap.devicePixelRatio(), dpr);
    const int pixels = qRound(side * dpr);
    QCOMPARE(pixmap.size(), QSize(pixels, pixels));

    const Coverage c = coverage(pixmap.toImage(), tint);
    // Drawn, but not a filled square: a real glyph covers part of its box.
    QVERIFY2(c.covered > pixels * pixels / 20, qPrintable(QString::number(c.covered)));
    QVERIFY2(c.covered < pixels * pixels * 9 / 10, qPrintable(QString::number(c.covered)));
    QCOMPARE(c.offTint, 0);
    // The artwork sits inside the grid and fills most of it in at least one direction.
    QVERIFY(QRect(0, 0, pixels, pixels).contains(c.box));
    QVERIFY2(qMax(c.box.width(), c.box.height()) >= pixels * 6 / 10,
             qPrintable(QStringLiteral("%1x%2").arg(c.box.width()).arg(c.box.height())));
}

void tst_Symbols::sameWeightAcrossLineSymbols() {
    // A horizontal stroke of the two-arrow symbol and the rule of the menu-bar symbol are both
    // one stroke weight: at 48 px (2 px per unit) the fully covered run across either is 4 px.
    const QColor ink(Qt::black);
    auto runAt = [&](const QString &name, int x, int yFrom, int yTo) {
        const QImage img = Symbols::image(name, QSize(48, 48), ink);
        int run = 0;
        for (int y = yFrom; y <= yTo; ++y)
            run += img.pixelColor(x, y).alpha() > 200 ? 1 : 0;
        return run;
    };
    const int arrows = runAt(QStringLiteral("arrow.left.arrow.right"), 24, 10, 22);
    const int menubar = runAt(QStringLiteral("menubar.arrow.up.rectangle"), 12, 12, 22);
    QCOMPARE(arrows, 4);
    QCOMPARE(menubar, 4);
}

void tst_Symbols::unknownNameGivesNothing() {
    for (const QString &name : {QStringLiteral("no.such.symbol"), QString(),
                                QStringLiteral("../symbols/xmark"), QStringLiteral(".svg")}) {
        QVERIFY(!Symbols::exists(name));
        QVERIFY(Symbols::resourcePath(name).isEmpty());
        QVERIFY(Symbols::icon(name).isNull());
        QVERIFY(Symbols::pixmap(name, QSize(16, 16), Qt::black).isNull());
    }
    QVERIFY(Symbols::pixmap(QStringLiteral("xmark"), QSize(0, 16), Qt::black).isNull());
}

void tst_Symbols::iconFollowsPaletteWithoutTint() {
    const QPalette saved = QApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Active, QPalette::WindowText, QColor(10, 200, 20));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 130));
    QApplication::setPalette(palette);

    const QIcon icon = Symbols::icon(QStringLiteral("eyedropper"));
    const QImage normal = icon.pixmap(QSize(32, 32), 1.0).toImage();
    const QImage disabled = icon.pixmap(QSize(32, 32), 1.0, QIcon::Disabled).toImage();
    QCOMPARE(coverage(normal, QColor(10, 200, 20)).offTint, 0);
    QVERIFY(coverage(normal, QColor(10, 200, 20)).covered > 0);
    QCOMPARE(coverage(disabled, QColor(120, 120, 130)).offTint, 0);

    // A theme change later is picked up by the same icon.
    palette.setColor(QPalette::Active, QPalette::WindowText, QColor(240, 240, 240));
    QApplication::setPalette(palette);
    QCOMPARE(coverage(icon.pixmap(QSize(32, 32), 1.0).toImage(), QColor(240, 240, 240)).offTint, 0);
    QApplication::setPalette(saved);
}

void tst_Symbols::iconWithTintAndDevicePixelRatio() {
    const QColor tint(0, 90, 255);
    const QIcon icon = Symbols::icon(QStringLiteral("gearshape.fill"), tint);
    const QPixmap hi = icon.pixmap(QSize(20, 20), 2.0);
    QCOMPARE(hi.size(), QSize(40, 40));
    QCOMPARE(hi.devicePixelRatio(), 2.0);
    const Coverage c = coverage(hi.toImage(), tint);
    QVERIFY(c.covered > 200);
    QCOMPARE(c.offTint, 0);
    // The gear's hole is cut out: its centre is clear while the ring around it is drawn.
    const QImage img = hi.toImage();
    QCOMPARE(img.pixelColor(20, 20).alpha(), 0);
    QVERIFY(img.pixelColor(20, 7).alpha() > 200);

    // Painting through QIcon::paint uses the same artwork.
    QImage canvas(24, 24, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    icon.paint(&painter, canvas.rect());
    painter.end();
    QVERIFY(coverage(canvas, tint).covered > 50);
}

void tst_Symbols::namesAreSortedAndUnique() {
    const QStringList names = Symbols::names();
    QStringList sorted = names;
    sorted.sort();
    sorted.removeDuplicates();
    QCOMPARE(names, sorted);
    for (const QString &name : names)
        QVERIFY2(!Symbols::image(name, QSize(24, 24), Qt::black).isNull(), qPrintable(name));
}

QTEST_MAIN(tst_Symbols)
#include "tst_Symbols.moc"
