#include "Chromet/Color/TailwindPalette.h"
#include "Chromet/Library/Library.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {

PickedColor gray(double value) {
    return PickedColor{{value, value, value}, {value, value, value}};
}

// Distinct colors whose nearest palette entry is sky-700 (0, 0.411635, 0.660296).
PickedColor nearSky700(int step) {
    const double g = 0.411635 + 0.0005 * step;
    return PickedColor{{0, g, 0.660296}, {0.1, g, 0.62}};
}

QStringList colorNames(const Palette &palette) {
    QStringList names;
    for (const NamedColor &color : palette.colors)
        names << color.name;
    return names;
}

} // namespace

class tst_Library : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void defaultLibrary();
    void recordMovesToFront();
    void recordKeepsTwentyMostRecent();
    void recordTrimsLongStoredHistory();
    void recordTellsP3Apart();
    void removeFromHistoryRemovesEveryCopy();
    void clearHistoryKeepsPalettes();
    void defaultPaletteName();
    void renamePalette();
    void deletePalette();
    void pinNamesAfterNearestEntry();
    void pinRefusesDuplicateInSamePalette();
    void pinAfterRenames();
    void renameAndRemoveColor();
    void unknownColorIdsChangeNothing();
    void jsonRoundTrip();
    void jsonRejects_data();
    void jsonRejects();
    void jsonIgnoresExtraKeysAndKeepsEmptyPalettes();
};

void tst_Library::defaultLibrary() {
    const Library library = Library::defaultLibrary();
    QVERIFY(library.history.isEmpty());
    QCOMPARE(library.palettes.size(), 1);
    QCOMPARE(library.palettes[0].name, QStringLiteral("Favorites"));
    QVERIFY(library.palettes[0].colors.isEmpty());
    QVERIFY(!library.palettes[0].id.isNull());
    QVERIFY(Library::defaultLibrary().palettes[0].id != library.palettes[0].id);
}

void tst_Library::recordMovesToFront() {
    Library library;
    for (int i = 0; i < 6; ++i)
        library.record(gray(i / 10.0));
    // History is now 0.5, 0.4, 0.3, 0.2, 0.1, 0.0; record the fifth entry again.
    library.record(gray(0.1));
    const QList<PickedColor> expected{gray(0.1), gray(0.5), gray(0.4),
                                      gray(0.3), gray(0.2), gray(0.0)};
    QCOMPARE(library.history, expected);

    library.record(gray(0.1));
    QCOMPARE(library.history, expected);

    // -0.0 equals +0.0, so this is the same color and must not add an entry.
    library.record(PickedColor{{-0.0, -0.0, -0.0}, {0, 0, 0}});
    QCOMPARE(library.history.size(), 6);
    QCOMPARE(library.history.first(), gray(0.0));
}

void tst_Library::recordKeepsTwentyMostRecent() {
    Library library;
    for (int i = 0; i < 21; ++i)
        library.record(gray(i / 100.0));
    QCOMPARE(library.history.size(), Library::historyLimit);
    QCOMPARE(library.history.first(), gray(0.20));
    QCOMPARE(library.history.last(), gray(0.01));
    QVERIFY(!library.history.contains(gray(0.0)));
}

void tst_Library::recordTrimsLongStoredHistory() {
    // A file may hold more than the limit, and duplicates; the next pick cleans both up.
    Library library;
    for (int i = 0; i < 25; ++i)
        library.history.append(gray(i / 100.0));
    library.history.append(gray(0.5));
    library.record(gray(0.5));
    QCOMPARE(library.history.size(), 20);
    QCOMPARE(library.history.count(gray(0.5)), 1);
    QCOMPARE(library.history[0], gray(0.5));
    QCOMPARE(library.history[19], gray(0.18));
}

void tst_Library::recordTellsP3Apart() {
    Library library;
    const PickedColor a{{0.2, 0.4, 0.6}, {0.25, 0.39, 0.58}};
    const PickedColor b{{0.2, 0.4, 0.6}, {0.25, 0.39, 0.59}};
    library.record(a);
    library.record(b);
    QCOMPARE(library.history, (QList<PickedColor>{b, a}));
}

void tst_Library::removeFromHistoryRemovesEveryCopy() {
    Library library = Library::defaultLibrary();
    library.history = {gray(0.1), gray(0.2), gray(0.1), gray(0.3)};
    library.pin(gray(0.1), library.palettes[0].id);
    const QList<Palette> palettes = library.palettes;
    library.removeFromHistory(gray(0.1));
    QCOMPARE(library.history, (QList<PickedColor>{gray(0.2), gray(0.3)}));
    QCOMPARE(library.palettes, palettes);
    library.removeFromHistory(gray(0.9));
    QCOMPARE(library.history.size(), 2);
}

void tst_Library::clearHistoryKeepsPalettes() {
    Library library = Library::defaultLibrary();
    library.record(gray(0.3));
    QVERIFY(library.pin(gray(0.3), library.palettes[0].id));
    const QList<Palette> palettes = library.palettes;
    library.clearHistory();
    QVERIFY(library.history.isEmpty());
    QCOMPARE(library.palettes, palettes);
}

void tst_Library::defaultPaletteName() {
    Library library;
    QCOMPARE(Library::defaultPaletteName(library), QStringLiteral("Palette 1"));
    library = Library::defaultLibrary();
    QCOMPARE(Library::defaultPaletteName(library), QStringLiteral("Palette 2"));
    // Not compared with existing names.
    library.addPalette(QStringLiteral("Palette 3"));
    QCOMPARE(Library::defaultPaletteName(library), QStringLiteral("Palette 3"));
}

void tst_Library::renamePalette() {
    Library library = Library::defaultLibrary();
    const Palette web = library.addPalette(QStringLiteral("Web"));
    QCOMPARE(library.palettes.size(), 2);
    QCOMPARE(library.palettes[1], web);
    QVERIFY(web.colors.isEmpty());
    QVERIFY(web.id != library.palettes[0].id);

    // Duplicate names are allowed.
    library.renamePalette(web.id, QStringLiteral("Favorites"));
    QCOMPARE(library.palettes[1].name, QStringLiteral("Favorites"));
    QCOMPARE(library.palettes[1].id, web.id);
    QCOMPARE(library.palettes[0].name, QStringLiteral("Favorites"));

    const Library before = library;
    library.renamePalette(QUuid::createUuid(), QStringLiteral("Nope"));
    QCOMPARE(library, before);
}

void tst_Library::deletePalette() {
    Library library = Library::defaultLibrary();
    const Palette second = library.addPalette(QStringLiteral("Second"));
    library.deletePalette(library.palettes[0].id);
    QCOMPARE(library.palettes, QList<Palette>{second});
    const Library before = library;
    library.deletePalette(QUuid::createUuid());
    QCOMPARE(library, before);

    library = Library::defaultLibrary();
    library.record(gray(0.4));
    const QUuid oldId = library.palettes[0].id;
    QVERIFY(library.pin(gray(0.4), oldId));
    library.renamePalette(oldId, QStringLiteral("Mine"));

    library.deletePalette(oldId);
    QCOMPARE(library.palettes.size(), 1);
    QCOMPARE(library.palettes[0].name, QStringLiteral("Favorites"));
    QVERIFY(library.palettes[0].colors.isEmpty());
    QVERIFY(!library.palettes[0].id.isNull());
    QVERIFY(library.palettes[0].id != oldId);
    // The history is never touched, even though the pinned color came from it.
    QCOMPARE(library.history, QList<PickedColor>{gray(0.4)});

    // A library read from a file may have no palettes; deleting then still leaves one.
    Library empty;
    empty.deletePalette(QUuid::createUuid());
    QCOMPARE(empty.palettes.size(), 1);
    QCOMPARE(empty.palettes[0].name, QStringLiteral("Favorites"));
}

void tst_Library::pinNamesAfterNearestEntry() {
    for (int i = 0; i < 3; ++i)
        QCOMPARE(nearestTailwind(nearSky700(i).srgb).name, QStringLiteral("sky-700"));

    Library library = Library::defaultLibrary();
    const QUuid id = library.palettes[0].id;
    QVERIFY(library.pin(nearSky700(0), id));
    QVERIFY(library.pin(nearSky700(1), id));
    QVERIFY(library.pin(nearSky700(2), id));
    const Palette &palette = library.palettes[0];
    QCOMPARE(colorNames(palette),
             (QStringList{QStringLiteral("sky-700"), QStringLiteral("sky-700-2"),
                          QStringLiteral("sky-700-3")}));
    QCOMPARE(palette.colors[1].color, nearSky700(1));
    QVERIFY(palette.colors[0].id != palette.colors[1].id);
    QVERIFY(!palette.colors[2].id.isNull());
}

void tst_Library::pinRefusesDuplicateInSamePalette() {
    Library library = Library::defaultLibrary();
    const QUuid favorites = library.palettes[0].id;
    const QUuid other = library.addPalette(QStringLiteral("Other")).id;
    QVERIFY(library.pin(nearSky700(0), favorites));
    const Library before = library;
    QVERIFY(!library.pin(nearSky700(0), favorites));
    QVERIFY(!library.pin(nearSky700(1), QUuid::createUuid()));
    QCOMPARE(library, before);

    // The same color goes into another palette, under the base name since names are per palette.
    QVERIFY(library.pin(nearSky700(0), other));
    QCOMPARE(library.palettes[1].colors[0].name, QStringLiteral("sky-700"));

    // Equal sRGB but different Display P3 is a different color.
    PickedColor p3Variant = nearSky700(0);
    p3Variant.p3.b += 0.01;
    QVERIFY(library.pin(p3Variant, favorites));
    QCOMPARE(library.palettes[0].colors[1].name, QStringLiteral("sky-700-2"));
}

void tst_Library::pinAfterRenames() {
    Library library = Library::defaultLibrary();
    const QUuid id = library.palettes[0].id;
    for (int i = 0; i < 3; ++i)
        QVERIFY(library.pin(nearSky700(i), id));
    // The user names the first like the second: a rename does not look at other names.
    library.renameColor(library.palettes[0].colors[0].id, id, QStringLiteral("sky-700-2"));
    QCOMPARE(colorNames(library.palettes[0]),
             (QStringList{QStringLiteral("sky-700-2"), QStringLiteral("sky-700-2"),
                          QStringLiteral("sky-700-3")}));
    // The base name is free again, so the next pin takes it.
    QVERIFY(library.pin(nearSky700(3), id));
    QCOMPARE(library.palettes[0].colors[3].name, QStringLiteral("sky-700"));
    // Then the first free suffix, counted on the base name rather than on a previous candidate.
    QVERIFY(library.pin(nearSky700(4), id));
    QCOMPARE(library.palettes[0].colors[4].name, QStringLiteral("sky-700-4"));

    // Renamed before the third pin: only the names present count.
    Library other = Library::defaultLibrary();
    const QUuid otherId = other.palettes[0].id;
    QVERIFY(other.pin(nearSky700(0), otherId));
    QVERIFY(other.pin(nearSky700(1), otherId));
    other.renameColor(other.palettes[0].colors[0].id, otherId, QStringLiteral("sky-700-2"));
    QVERIFY(other.pin(nearSky700(2), otherId));
    QCOMPARE(colorNames(other.palettes[0]),
             (QStringList{QStringLiteral("sky-700-2"), QStringLiteral("sky-700-2"),
                          QStringLiteral("sky-700")}));
}

void tst_Library::renameAndRemoveColor() {
    Library library = Library::defaultLibrary();
    const QUuid id = library.palettes[0].id;
    QVERIFY(library.pin(nearSky700(0), id));
    QVERIFY(library.pin(nearSky700(1), id));
    const QUuid firstColor = library.palettes[0].colors[0].id;
    const QUuid secondColor = library.palettes[0].colors[1].id;

    library.renameColor(secondColor, id, QStringLiteral("Brand/Primary"));
    QCOMPARE(library.palettes[0].colors[1].name, QStringLiteral("Brand/Primary"));
    QCOMPARE(library.palettes[0].colors[1].id, secondColor);

    library.removeColor(firstColor, id);
    QCOMPARE(library.palettes[0].colors.size(), 1);
    QCOMPARE(library.palettes[0].colors[0].id, secondColor);
    library.removeColor(secondColor, id);
    QCOMPARE(library.palettes.size(), 1);
    QVERIFY(library.palettes[0].colors.isEmpty());
    QCOMPARE(library.palette(id)->id, id);
}

void tst_Library::unknownColorIdsChangeNothing() {
    Library library = Library::defaultLibrary();
    const QUuid id = library.palettes[0].id;
    const QUuid other = library.addPalette(QStringLiteral("Other")).id;
    QVERIFY(library.pin(nearSky700(0), id));
    const QUuid colorId = library.palettes[0].colors[0].id;
    const Library before = library;

    library.renameColor(QUuid::createUuid(), id, QStringLiteral("x"));
    library.renameColor(colorId, QUuid::createUuid(), QStringLiteral("x"));
    library.renameColor(colorId, other, QStringLiteral("x"));
    library.removeColor(QUuid::createUuid(), id);
    library.removeColor(colorId, QUuid::createUuid());
    library.removeColor(colorId, other);
    QCOMPARE(library, before);
    QVERIFY(library.palette(QUuid::createUuid()) == nullptr);
}

void tst_Library::jsonRoundTrip() {
    Library library = Library::defaultLibrary();
    library.record(PickedColor{{0.1, 0.2, 0.30000000000000004}, {1e-7, 0.9999999999999999, 1}});
    library.record(PickedColor{{0, 0, 0}, {1.5, -0.25, 0}});
    const QUuid id = library.addPalette(QStringLiteral("Ünïcode / \"quoted\"")).id;
    QVERIFY(library.pin(nearSky700(0), id));
    QVERIFY(library.pin(nearSky700(1), library.palettes[0].id));
    library.palettes.append(Palette{QUuid(), QStringLiteral("nil id"), {}});

    const QByteArray text = QJsonDocument(library.toJson()).toJson();
    QString error;
    const auto decoded = Library::fromJson(QJsonDocument::fromJson(text).object(), &error);
    QVERIFY2(decoded, qPrintable(error));
    QCOMPARE(*decoded, library);
}

void tst_Library::jsonRejects_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");

    const QByteArray color = R"({"srgb":{"r":0,"g":0,"b":0},"p3":{"r":0,"g":0,"b":0}})";
    const QByteArray id = R"("6f0f7d1c-1e2a-4c3b-9d4e-5f6a7b8c9d0e")";
    QTest::newRow("empty object") << QByteArray("{}") << "history: missing";
    QTest::newRow("array") << QByteArray("[]") << ": not an object";
    QTest::newRow("no palettes") << QByteArray(R"({"history":[]})") << "palettes: missing";
    QTest::newRow("history not array")
        << QByteArray(R"({"history":{},"palettes":[]})") << "history: not an array";
    QTest::newRow("bad history color")
        << QByteArray(R"({"history":[)" + color +
                      R"(,{"srgb":{"r":0,"g":0,"b":0}}],"palettes":[]})")
        << "history[1]: not a color (needs \"srgb\" and \"p3\", each with numeric \"r\", \"g\", "
           "\"b\")";
    QTest::newRow("string channel")
        << QByteArray(R"({"history":[{"srgb":{"r":"0","g":0,"b":0},"p3":{"r":0,"g":0,"b":0}}],)"
                      R"("palettes":[]})")
        << "history[0]: not a color (needs \"srgb\" and \"p3\", each with numeric \"r\", \"g\", "
           "\"b\")";
    QTest::newRow("palette without colors")
        << QByteArray(R"({"history":[],"palettes":[{"id":)" + id + R"(,"name":"A"}]})")
        << "palettes[0].colors: missing";
    QTest::newRow("numeric name") << QByteArray(R"({"history":[],"palettes":[{"id":)" + id +
                                                R"(,"name":1,"colors":[]}]})")
                                  << "palettes[0].name: not a string";
    QTest::newRow("braced id")
        << QByteArray(R"({"history":[],"palettes":[{"id":"{6f0f7d1c-1e2a-4c3b-9d4e-5f6a7b8c9d0e}",)"
                      R"("name":"A","colors":[]}]})")
        << "palettes[0].id: not a UUID";
    QTest::newRow("non-hex id")
        << QByteArray(R"({"history":[],"palettes":[{"id":"6f0f7d1c-1e2a-4c3b-9d4e-5f6a7b8c9d0g",)"
                      R"("name":"A","colors":[]}]})")
        << "palettes[0].id: not a UUID";
    QTest::newRow("color without id")
        << QByteArray(R"({"history":[],"palettes":[{"id":)" + id + R"(,"name":"A","colors":[)" +
                      R"({"id":)" + id + R"(,"name":"a","color":)" + color +
                      R"(},{"name":"b","color":)" + color + "}]}]}")
        << "palettes[0].colors[1].id: missing";
    QTest::newRow("color without color")
        << QByteArray(R"({"history":[],"palettes":[{"id":)" + id + R"(,"name":"A","colors":[)" +
                      R"({"id":)" + id + R"(,"name":"a"}]}]})")
        << "palettes[0].colors[0].color: missing";
    QTest::newRow("color not object")
        << QByteArray(R"({"history":[],"palettes":[{"id":)" + id + R"(,"name":"A","colors":[3]}]})")
        << "palettes[0].colors[0]: not an object";
}

void tst_Library::jsonRejects() {
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    QCOMPARE(parseError.error, QJsonParseError::NoError);
    const QJsonValue value =
        document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    QString reported;
    QVERIFY(!Library::fromJson(value, &reported));
    QCOMPARE(reported, error);
    QVERIFY(!Library::fromJson(value));
}

void tst_Library::jsonIgnoresExtraKeysAndKeepsEmptyPalettes() {
    const QByteArray json = R"({"version":2,"history":[{"srgb":{"r":0.2,"g":0.4,"b":0.6,"a":1},
        "p3":{"r":0.2499,"g":0.3952,"b":0.584},"alpha":1}],"palettes":[]})";
    const auto library = Library::fromJson(QJsonDocument::fromJson(json).object());
    QVERIFY(library);
    QVERIFY(library->palettes.isEmpty());
    QCOMPARE(library->history,
             QList<PickedColor>{PickedColor({{0.2, 0.4, 0.6}, {0.2499, 0.3952, 0.584}})});

    const QByteArray upper =
        R"({"history":[],"palettes":[{"id":"6F0F7D1C-1E2A-4C3B-9D4E-5F6A7B8C9D0E",
        "name":"A","colors":[],"extra":[1,2]}]})";
    const auto withUpperId = Library::fromJson(QJsonDocument::fromJson(upper).object());
    QVERIFY(withUpperId);
    QCOMPARE(withUpperId->palettes[0].id,
             QUuid::fromString(QStringLiteral("6f0f7d1c-1e2a-4c3b-9d4e-5f6a7b8c9d0e")));
}

QTEST_GUILESS_MAIN(tst_Library)
#include "tst_Library.moc"
