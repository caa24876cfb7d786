#include "Chromet/Contrast/ContrastModel.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

PickedColor srgb(double r, double g, double b) {
    return PickedColor{RGB{r, g, b}, RGB{r, g, b}};
}

// Pass/fail of AA, AA Large, AAA, AAA Large as a four-letter mask, "P" or "F" each.
QString levelMask(double ratio) {
    QString mask;
    for (const ContrastLevel &level : Contrast::levels(ratio))
        mask += level.passes ? QLatin1Char('P') : QLatin1Char('F');
    return mask;
}

} // namespace

class tst_ContrastModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void referencePairs_data() {
        QTest::addColumn<PickedColor>("text");
        QTest::addColumn<PickedColor>("background");
        QTest::addColumn<QString>("ratio");
        QTest::addColumn<QString>("lc");
        QTest::addColumn<QString>("levels");

        const auto row = [](const char *name, const PickedColor &text,
                            const PickedColor &background, const char *ratio, const char *lc,
                            const char *levels) {
            QTest::newRow(name) << text << background << QString::fromLatin1(ratio)
                                << QString::fromLatin1(lc) << QString::fromLatin1(levels);
        };
        const PickedColor white = srgb(1, 1, 1);
        const PickedColor black = srgb(0, 0, 0);
        const PickedColor blue = srgb(0.2, 0.4, 0.6);
        row("black on white", black, white, "21.00:1", "Lc 106.0", "PPPP");
        row("white on black", white, black, "21.00:1", "Lc -107.9", "PPPP");
        row("blue on white", blue, white, "6.00:1", "Lc 79.8", "PPFP");
        row("grey on white", srgb(0.5, 0.5, 0.5), white, "3.98:1", "Lc 67.1", "FPFF");
        row("color on itself", blue, blue, "1.00:1", "Lc 0.0", "FFFF");
        row("white on itself", white, white, "1.00:1", "Lc 0.0", "FFFF");
        row("black on itself", black, black, "1.00:1", "Lc 0.0", "FFFF");
        // Light text on a dark background: the negative branch.
        row("white on blue", white, blue, "6.00:1", "Lc -85.0", "PPFP");
        // Near-equal luminances fall under APCA's low clip even when WCAG sees a difference.
        row("low contrast clips to zero", srgb(0.5, 0.5, 0.5), srgb(0.55, 0.55, 0.55), "1.19:1",
            "Lc 0.0", "FFFF");
    }
    void referencePairs() {
        QFETCH(PickedColor, text);
        QFETCH(PickedColor, background);
        QFETCH(QString, ratio);
        QFETCH(QString, lc);
        QFETCH(QString, levels);

        const ContrastModel model{text, background};
        QCOMPARE(Contrast::ratioText(model.ratio()), ratio);
        QCOMPARE(Contrast::lcText(model.lc()), lc);
        QCOMPARE(levelMask(model.ratio()), levels);
    }
    void ratioIsSymmetric() {
        const PickedColor a = srgb(0.9, 0.3, 0.1);
        const PickedColor b = srgb(0.05, 0.2, 0.3);
        QCOMPARE(Contrast::contrastRatio(a, b), Contrast::contrastRatio(b, a));
        QVERIFY(Contrast::apcaContrast(a, b) < 0);
        QVERIFY(Contrast::apcaContrast(b, a) > 0);
    }
    void p3ChannelsDoNotMatter() {
        const PickedColor plain = srgb(0.2, 0.4, 0.6);
        const PickedColor wideP3{plain.srgb, RGB{0.9, 0.0, 0.1}};
        const PickedColor white = srgb(1, 1, 1);
        QCOMPARE(Contrast::contrastRatio(wideP3, white), Contrast::contrastRatio(plain, white));
        QCOMPARE(Contrast::apcaContrast(wideP3, white), Contrast::apcaContrast(plain, white));
    }
    void levelLabelsInOrder() {
        const auto levels = Contrast::levels(5);
        QCOMPARE(levels[0].label, u"AA"_s);
        QCOMPARE(levels[1].label, u"AA Large"_s);
        QCOMPARE(levels[2].label, u"AAA"_s);
        QCOMPARE(levels[3].label, u"AAA Large"_s);
    }
    void levelThresholds_data() {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("levels");

        const auto row = [](const char *name, double ratio, const char *shown, const char *levels) {
            QTest::newRow(name) << ratio << QString::fromLatin1(shown)
                                << QString::fromLatin1(levels);
        };
        row("1", 1.0, "1.00:1", "FFFF");
        row("just below 3", 2.9999, "3.00:1", "FFFF");
        row("3", 3.0, "3.00:1", "FPFF");
        row("4.4999 shows 4.50 but fails", 4.4999, "4.50:1", "FPFF");
        row("4.5", 4.5, "4.50:1", "PPFP");
        row("4.54", 4.54, "4.54:1", "PPFP");
        row("6.9999", 6.9999, "7.00:1", "PPFP");
        row("7", 7.0, "7.00:1", "PPPP");
        row("21", 21.0, "21.00:1", "PPPP");
    }
    void levelThresholds() {
        QFETCH(double, ratio);
        QFETCH(QString, shown);
        QFETCH(QString, levels);
        QCOMPARE(Contrast::ratioText(ratio), shown);
        QCOMPARE(levelMask(ratio), levels);
    }
    void texts_data() {
        QTest::addColumn<double>("lc");
        QTest::addColumn<QString>("text");

        QTest::newRow("positive") << 71.6 << u"Lc 71.6"_s;
        QTest::newRow("negative") << -107.94 << u"Lc -107.9"_s;
        QTest::newRow("zero") << 0.0 << u"Lc 0.0"_s;
        QTest::newRow("rounds up") << 79.96 << u"Lc 80.0"_s;
    }
    void texts() {
        QFETCH(double, lc);
        QFETCH(QString, text);
        QCOMPARE(Contrast::lcText(lc), text);
    }
    void luminance_data() {
        QTest::addColumn<RGB>("rgb");
        QTest::addColumn<double>("luminance");

        QTest::newRow("black") << RGB{0, 0, 0} << 0.0;
        QTest::newRow("white") << RGB{1, 1, 1} << 1.0;
        // Below the 0.04045 knee the curve is linear.
        QTest::newRow("linear segment") << RGB{0.04, 0.04, 0.04} << 0.04 / 12.92;
        QTest::newRow("pure green") << RGB{0, 1, 0} << 0.7152;
        QTest::newRow("grey") << RGB{0.5, 0.5, 0.5} << 0.21404114048223255;
    }
    void luminance() {
        QFETCH(RGB, rgb);
        QFETCH(double, luminance);
        QVERIFY2(qAbs(Contrast::relativeLuminance(rgb) - luminance) < 1e-12,
                 qPrintable(QString::number(Contrast::relativeLuminance(rgb), 'g', 17)));
    }
};

QTEST_APPLESS_MAIN(tst_ContrastModel)
#include "tst_ContrastModel.moc"
