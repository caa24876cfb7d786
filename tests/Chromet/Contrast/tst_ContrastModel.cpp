#include "Chromet/Contrast/ContrastModel.h"
#include "Chromet/Contrast/ContrastState.h"

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

// Colors named by letters: A-E distinct; 'a' is A's sRGB with other P3 channels (a different
// color); 'W' is white.
PickedColor color(QChar letter) {
    switch (letter.unicode()) {
    case 'A':
        return {RGB{0.2, 0.4, 0.6}, RGB{0.25, 0.4, 0.58}};
    case 'a':
        return {RGB{0.2, 0.4, 0.6}, RGB{0.2, 0.4, 0.6}};
    case 'B':
        return {RGB{0.9, 0.1, 0.1}, RGB{0.85, 0.2, 0.15}};
    case 'C':
        return {RGB{0.1, 0.8, 0.3}, RGB{0.3, 0.78, 0.35}};
    case 'D':
        return {RGB{0, 0, 0}, RGB{0, 0, 0}};
    case 'E':
        return {RGB{0.5, 0.5, 0.5}, RGB{0.5, 0.5, 0.5}};
    case 'W':
        return ContrastState::white();
    }
    qFatal("unknown color letter");
}

QList<PickedColor> colors(const QString &letters) {
    QList<PickedColor> list;
    for (QChar letter : letters)
        list.append(color(letter));
    return list;
}

QString letterOf(const PickedColor &picked) {
    for (QChar letter : u"AaBCDEW"_s) {
        if (color(letter) == picked)
            return QString(letter);
    }
    return u"?"_s;
}

// "AB" for text A on background B; "" when there is no pair.
QString pair(const ContrastState &state) {
    if (!state.model())
        return {};
    return letterOf(state.model()->text) + letterOf(state.model()->background);
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
    void p3ChannelsDoNotMatter() {
        const PickedColor plain = srgb(0.2, 0.4, 0.6);
        const PickedColor wideP3{plain.srgb, RGB{0.9, 0.0, 0.1}};
        const PickedColor white = srgb(1, 1, 1);
        QCOMPARE(Contrast::contrastRatio(wideP3, white), Contrast::contrastRatio(plain, white));
        QCOMPARE(Contrast::apcaContrast(wideP3, white), Contrast::apcaContrast(plain, white));
    }
    void levelThresholds_data() {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("levels");

        const auto row = [](const char *name, double ratio, const char *shown, const char *levels) {
            QTest::newRow(name) << ratio << QString::fromLatin1(shown)
                                << QString::fromLatin1(levels);
        };
        row("just below 3", 2.9999, "3.00:1", "FFFF");
        row("3", 3.0, "3.00:1", "FPFF");
        row("4.4999 shows 4.50 but fails", 4.4999, "4.50:1", "FPFF");
        row("4.5", 4.5, "4.50:1", "PPFP");
        row("6.9999", 6.9999, "7.00:1", "PPFP");
        row("7", 7.0, "7.00:1", "PPPP");
    }
    void levelThresholds() {
        QFETCH(double, ratio);
        QFETCH(QString, shown);
        QFETCH(QString, levels);
        QCOMPARE(Contrast::ratioText(ratio), shown);
        QCOMPARE(levelMask(ratio), levels);
    }
    void luminance_data() {
        QTest::addColumn<RGB>("rgb");
        QTest::addColumn<double>("luminance");

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
    void defaultPair_data() {
        QTest::addColumn<QString>("history");
        QTest::addColumn<QString>("pair");
        const auto row = [](const char *name, const char *history, const char *pair) {
            QTest::newRow(name) << QString::fromLatin1(history) << QString::fromLatin1(pair);
        };
        row("empty", "", "");
        row("one color against white", "A", "AW");
        row("two colors", "AB", "AB");
        row("newest two of many", "CBAD", "CB");
    }
    void defaultPair() {
        QFETCH(QString, history);
        QFETCH(QString, pair);
        const ContrastState state(colors(history));
        QCOMPARE(::pair(state), pair);
        QCOMPARE(state.history(), colors(history));
    }
    void setHistory_data() {
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QString>(
            "chosen"); // a pair chosen before the change; "" keeps the default
        QTest::addColumn<QString>("next");
        QTest::addColumn<QString>("pair");
        const auto row = [](const char *name, const char *initial, const char *chosen,
                            const char *next, const char *pair) {
            QTest::newRow(name) << QString::fromLatin1(initial) << QString::fromLatin1(chosen)
                                << QString::fromLatin1(next) << QString::fromLatin1(pair);
        };
        row("second pick replaces the white background by the first color", "A", "", "BA", "AA");
        row("a new pick keeps a pair still in the history", "AB", "", "CAB", "AB");
        row("clearing drops the pair", "AB", "", "", "");
        row("first pick after clearing builds the default pair", "", "", "A", "AW");
        row("from empty to two colors", "", "", "BA", "BA");
        row("removed text falls back to the newest", "ABC", "CB", "AB", "AB");
        row("removed background falls back to the second, even if it is the text", "ABC", "BC",
            "AB", "BB");
        row("removed background with one color left becomes white", "AB", "", "A", "AW");
        row("both removed", "ABC", "BC", "DE", "DE");
        row("chosen pair survives reordering", "ABCD", "DC", "CDAB", "DC");
        row("white stays while the history has one color", "A", "", "B", "BW");
        row("differing P3 channels make another color", "AB", "", "aB", "aB");
        row("a chosen white background is re-derived", "ABC", "AW", "ABC", "AB");
    }
    void setHistory() {
        QFETCH(QString, initial);
        QFETCH(QString, chosen);
        QFETCH(QString, next);
        QFETCH(QString, pair);

        ContrastState state(colors(initial));
        if (!chosen.isEmpty()) {
            state.setText(color(chosen.at(0)));
            state.setBackground(color(chosen.at(1)));
            QCOMPARE(::pair(state), chosen);
        }
        state.setHistory(colors(next));
        QCOMPARE(::pair(state), pair);
        QCOMPARE(state.history(), colors(next));
        QCOMPARE(state.model().has_value(), !next.isEmpty());
    }
    void swapExchangesTheRoles() {
        ContrastState state(colors(u"D"_s));
        state.swap();
        QCOMPARE(pair(state), u"WD"_s);
        state.swap();
        QCOMPARE(pair(state), u"DW"_s);
    }
    void withoutPairNothingChanges() {
        ContrastState state;
        state.swap();
        state.setText(color(QLatin1Char('A')));
        state.setBackground(color(QLatin1Char('B')));
        QVERIFY(!state.model());
        QCOMPARE(state, ContrastState(QList<PickedColor>{}));
    }
    void choosingOneRole() {
        ContrastState state(colors(u"ABC"_s));
        state.setBackground(color(QLatin1Char('C')));
        QCOMPARE(pair(state), u"AC"_s);
        state.setText(color(QLatin1Char('B')));
        QCOMPARE(pair(state), u"BC"_s);
    }
};

QTEST_APPLESS_MAIN(tst_ContrastModel)
#include "tst_ContrastModel.moc"
