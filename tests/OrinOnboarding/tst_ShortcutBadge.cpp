#include "OrinOnboarding/ShortcutBadge.h"

#include <QFontMetrics>
#include <QTest>

class tst_ShortcutBadge : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sizedByItsTextAndPadding() {
        ShortcutBadge badge(QString::fromUtf8("⌃⌥C"));
        QFont font = badge.font();
        font.setPixelSize(22);
        font.setWeight(QFont::DemiBold);
        const QFontMetrics metrics(font);
        QCOMPARE(badge.text(), QString::fromUtf8("⌃⌥C"));
        QCOMPARE(badge.sizeHint(), QSize(metrics.horizontalAdvance(QString::fromUtf8("⌃⌥C")) + 32,
                                         metrics.height() + 16));
        // A longer shortcut makes a wider badge.
        QVERIFY(ShortcutBadge("Ctrl+Alt+Shift+C").sizeHint().width() > badge.sizeHint().width());
    }

    void faintRoundedTile() {
        ShortcutBadge badge("X");
        QPalette palette = badge.palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 0));
        palette.setColor(QPalette::Window, QColor(255, 255, 255));
        badge.setPalette(palette);
        badge.setAutoFillBackground(true);
        badge.resize(100, 40);
        const QImage image = badge.grab().toImage();
        // Inside the tile, away from the text: black at 0.08 over white.
        const QColor tile = image.pixelColor(4, 20);
        QVERIFY2(qAbs(tile.red() - 235) <= 2, qPrintable(tile.name()));
        // The corner is rounded off (radius 10): its very corner shows the window.
        QCOMPARE(image.pixelColor(0, 0), QColor(255, 255, 255));
        // The text is drawn in the text colour.
        bool dark = false;
        for (int x = 40; x < 60 && !dark; ++x)
            for (int y = 10; y < 30 && !dark; ++y)
                dark = image.pixelColor(x, y).red() < 100;
        QVERIFY(dark);
    }
};

QTEST_MAIN(tst_ShortcutBadge)
#include "tst_ShortcutBadge.moc"
