#include "Chromet/Contrast/ContrastModel.h"
#include "Chromet/Contrast/ContrastState.h"

#include <QTest>

#include <utility>

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
const QString letters = u"AaBCDEW"_s;
const QList<PickedColor> lettered{{RGB{0.2, 0.4, 0.6}, RGB{0.25, 0.4, 0.58}},
                                  srgb(0.2, 0.4, 0.6),
                                  {RGB{0.9, 0.1, 0.1}, RGB{0.85, 0.2, 0.15}},
                                  {RGB{0.1, 0.8, 0.3}, RGB{0.3, 0.78, 0.35}},
                                  srgb(0, 0, 0),
                                  srgb(0.5, 0.5, 0.5),
                                  ContrastState::white()};

QList<PickedColor> colors(const QString &names) {
    QList<PickedColor> list;
    for (QChar letter : names)
        list.append(lettered.at(letters.indexOf(letter)));
    return list;
}

// "AB" for text A on background B; "" when there is no pair.
QString pair(const ContrastState &state) {
    if (!state.model())
        return {};
    const auto letterOf = [](const PickedColor &picked) {
        const qsizetype at = lettered.indexOf(picked);
        return at < 0 ? QChar(u'?') : letters.at(at);
    };
    return QString(letterOf(state.model()->text)) + letterOf(state.model()->background);
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
        // Only the sRGB triple counts: this one's P3 channels are another color's.
        const PickedColor wideBlue{blue.srgb, RGB{0.9, 0.0, 0.1}};
        row("black on white", black, white, "21.00:1", "Lc 106.0", "PPPP");
        row("white on black", white, black, "21.00:1", "Lc -107.9", "PPPP");
        row("blue on white", wideBlue, white, "6.00:1", "Lc 79.8", "PPFP");
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
    void levelThresholds() {
        // 4.4999 shows as 4.50 but fails.
        for (const auto &[ratio, shown, levels] : {std::tuple{2.9999, "3.00:1", "FFFF"},
                                                   {3.0, "3.00:1", "FPFF"},
                                                   {4.4999, "4.50:1", "FPFF"},
                                                   {4.5, "4.50:1", "PPFP"},
                                                   {6.9999, "7.00:1", "PPFP"},
                                                   {7.0, "7.00:1", "PPPP"}}) {
            QCOMPARE(Contrast::ratioText(ratio), QString::fromLatin1(shown));
            QCOMPARE(levelMask(ratio), QString::fromLatin1(levels));
        }
    }
    void luminance() {
        // Below the 0.04045 knee the curve is linear.
        for (const auto &[rgb, luminance] : {std::pair{RGB{0.04, 0.04, 0.04}, 0.04 / 12.92},
                                             {RGB{0, 1, 0}, 0.7152},
                                             {RGB{0.5, 0.5, 0.5}, 0.21404114048223255}})
            QVERIFY2(qAbs(Contrast::relativeLuminance(rgb) - luminance) < 1e-12,
                     qPrintable(QString::number(Contrast::relativeLuminance(rgb), 'g', 17)));
    }
    void setHistory_data() {
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QString>("chosen"); // a pair chosen before the change
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
        row("from empty to the newest two", "", "", "CBAD", "CB");
        row("empty to empty", "", "", "", "");
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
        QCOMPARE(::pair(state), initial.left(2) + (initial.size() == 1 ? u"W"_s : QString()));
        if (!chosen.isEmpty()) {
            state.setText(colors(chosen).at(0));
            state.setBackground(colors(chosen).at(1));
            QCOMPARE(::pair(state), chosen);
        }
        state.setHistory(colors(next));
        QCOMPARE(::pair(state), pair);
        QCOMPARE(state.history(), colors(next));
    }
    void withoutPairNothingChanges() {
        ContrastState state;
        state.swap();
        state.setText(colors(u"A"_s).at(0));
        state.setBackground(colors(u"B"_s).at(0));
        QCOMPARE(state, ContrastState(QList<PickedColor>{}));
    }
};

QTEST_APPLESS_MAIN(tst_ContrastModel)
#include "tst_ContrastModel.moc"
