#include "Chromet/Contrast/ContrastState.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

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

class tst_ContrastState : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
    void swapKeepsRatioAndFlipsLc() {
        ContrastState state(colors(u"D"_s));
        const ContrastModel before = *state.model();
        state.swap();
        const ContrastModel after = *state.model();
        QCOMPARE(pair(state), u"WD"_s);
        QCOMPARE(after.ratio(), before.ratio());
        QVERIFY(before.lc() > 0);
        QVERIFY(after.lc() < 0);
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
    void equality() {
        QCOMPARE(ContrastState(), ContrastState());
        QCOMPARE(ContrastState(colors(u"AB"_s)), ContrastState(colors(u"AB"_s)));
        ContrastState swapped(colors(u"AB"_s));
        swapped.swap();
        QVERIFY(swapped != ContrastState(colors(u"AB"_s)));
        QVERIFY(ContrastState(colors(u"A"_s)) != ContrastState(colors(u"a"_s)));
    }
};

QTEST_APPLESS_MAIN(tst_ContrastState)
#include "tst_ContrastState.moc"
