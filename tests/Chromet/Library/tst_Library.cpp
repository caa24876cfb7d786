#include "Chromet/Color/TailwindPalette.h"
#include "Chromet/Library/Library.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace Qt::StringLiterals;

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
    void recordMovesToFrontAndKeepsTwenty() {
        Library library;
        for (int i = 0; i < 6; ++i)
            library.record(gray(i / 10.0));
        library.record(gray(0.1));
        library.record(gray(0.1));
        // -0.0 equals +0.0: the same color, no new entry.
        library.record(PickedColor{{-0.0, -0.0, -0.0}, {0, 0, 0}});
        QCOMPARE(library.history, (QList<PickedColor>{gray(0.0), gray(0.1), gray(0.5), gray(0.4),
                                                      gray(0.3), gray(0.2)}));
        // The 21st pick drops the oldest.
        library.history.clear();
        for (int i = 0; i <= Library::historyLimit; ++i)
            library.record(gray(i / 100.0));
        QCOMPARE(library.history.size(), 20);
        QCOMPARE(library.history.last(), gray(0.01));
        // A file may hold more than the limit, and duplicates; the next pick cleans both up.
        library.history.clear();
        for (int i = 0; i < 25; ++i)
            library.history.append(gray(i / 100.0));
        library.history.append(gray(0.24));
        library.record(gray(0.24));
        QCOMPARE(library.history.size(), Library::historyLimit);
        QCOMPARE(library.history.count(gray(0.24)), 1);
        QCOMPARE(library.history.first(), gray(0.24));
        QCOMPARE(library.history.last(), gray(0.18));
    }
    void removeAndClearHistoryKeepPalettes() {
        Library library = Library::defaultLibrary();
        library.history = {gray(0.1), gray(0.2), gray(0.1), gray(0.3)};
        QVERIFY(library.pin(gray(0.1), library.palettes[0].id));
        const QList<Palette> palettes = library.palettes;
        library.removeFromHistory(gray(0.1));
        library.removeFromHistory(gray(0.9));
        QCOMPARE(library.history, (QList<PickedColor>{gray(0.2), gray(0.3)}));
        library.clearHistory();
        QVERIFY(library.history.isEmpty());
        QCOMPARE(library.palettes, palettes);
    }
    void palettes() {
        Library library;
        QCOMPARE(Library::defaultPaletteName(library), u"Palette 1"_s);
        library = Library::defaultLibrary();
        QVERIFY(Library::defaultLibrary().palettes[0].id != library.palettes[0].id);
        // Counted, not compared with existing names; duplicate names are allowed.
        library.addPalette(u"Palette 3"_s);
        QCOMPARE(Library::defaultPaletteName(library), u"Palette 3"_s);
        const QUuid web = library.addPalette(u"Web"_s).id;
        library.renamePalette(web, u"Favorites"_s);
        QCOMPARE(library.palettes[2].name, u"Favorites"_s);
        library.deletePalette(library.palettes[0].id);
        QCOMPARE(library.palettes.size(), 2);
        QCOMPARE(library.palettes[1].id, web);
        const Library before = library;
        library.renamePalette(QUuid::createUuid(), u"Nope"_s);
        library.deletePalette(QUuid::createUuid());
        QCOMPARE(library, before);

        // Deleting the last palette leaves a fresh, empty Favorites; the history stays.
        library = Library::defaultLibrary();
        library.record(gray(0.4));
        const QUuid oldId = library.palettes[0].id;
        QVERIFY(library.pin(gray(0.4), oldId));
        library.renamePalette(oldId, u"Mine"_s);
        library.deletePalette(oldId);
        QCOMPARE(library.palettes.size(), 1);
        QCOMPARE(library.palettes[0].name, u"Favorites"_s);
        QVERIFY(library.palettes[0].colors.isEmpty());
        QCOMPARE(library.history, QList<PickedColor>{gray(0.4)});
        // A library read from a file may have no palettes; deleting then still leaves one.
        Library empty;
        empty.deletePalette(QUuid::createUuid());
        QCOMPARE(empty.palettes.size(), 1);
    }
    void pinNamesAfterNearestEntry() {
        for (int i = 0; i < 3; ++i)
            QCOMPARE(nearestTailwind(nearSky700(i).srgb).name, u"sky-700"_s);

        Library library = Library::defaultLibrary();
        const QUuid id = library.palettes[0].id;
        QVERIFY(library.pin(nearSky700(0), id));
        QVERIFY(library.pin(nearSky700(1), id));
        QVERIFY(library.pin(nearSky700(2), id));
        const Palette &palette = library.palettes[0];
        QCOMPARE(colorNames(palette), (QStringList{u"sky-700"_s, u"sky-700-2"_s, u"sky-700-3"_s}));
        QVERIFY(palette.colors[0].id != palette.colors[1].id);
    }
    void pinRefusesDuplicateInSamePalette() {
        Library library = Library::defaultLibrary();
        const QUuid favorites = library.palettes[0].id;
        const QUuid other = library.addPalette(u"Other"_s).id;
        QVERIFY(library.pin(nearSky700(0), favorites));
        const Library before = library;
        QVERIFY(!library.pin(nearSky700(0), favorites));
        QVERIFY(!library.pin(nearSky700(1), QUuid::createUuid()));
        QCOMPARE(library, before);

        // The same color goes into another palette, under the base name since names are per
        // palette.
        QVERIFY(library.pin(nearSky700(0), other));
        QCOMPARE(library.palettes[1].colors[0].name, u"sky-700"_s);
    }
    void pinAfterRenames() {
        Library library = Library::defaultLibrary();
        const QUuid id = library.palettes[0].id;
        for (int i = 0; i < 3; ++i)
            QVERIFY(library.pin(nearSky700(i), id));
        // The user names the first like the second: a rename does not look at other names.
        library.renameColor(library.palettes[0].colors[0].id, id, u"sky-700-2"_s);
        QCOMPARE(colorNames(library.palettes[0]),
                 (QStringList{u"sky-700-2"_s, u"sky-700-2"_s, u"sky-700-3"_s}));
        // The base name is free again, so the next pin takes it.
        QVERIFY(library.pin(nearSky700(3), id));
        QCOMPARE(library.palettes[0].colors[3].name, u"sky-700"_s);
        // Then the first free suffix, counted on the base name rather than on a previous candidate.
        QVERIFY(library.pin(nearSky700(4), id));
        QCOMPARE(library.palettes[0].colors[4].name, u"sky-700-4"_s);

        // Renamed before the third pin: only the names present count.
        Library other = Library::defaultLibrary();
        const QUuid otherId = other.palettes[0].id;
        QVERIFY(other.pin(nearSky700(0), otherId));
        QVERIFY(other.pin(nearSky700(1), otherId));
        other.renameColor(other.palettes[0].colors[0].id, otherId, u"sky-700-2"_s);
        QVERIFY(other.pin(nearSky700(2), otherId));
        QCOMPARE(colorNames(other.palettes[0]),
                 (QStringList{u"sky-700-2"_s, u"sky-700-2"_s, u"sky-700"_s}));
    }
    void renameAndRemoveColor() {
        Library library = Library::defaultLibrary();
        const QUuid id = library.palettes[0].id;
        const QUuid other = library.addPalette(u"Other"_s).id;
        QVERIFY(library.pin(nearSky700(0), id));
        QVERIFY(library.pin(nearSky700(1), id));
        const QUuid firstColor = library.palettes[0].colors[0].id;
        const QUuid secondColor = library.palettes[0].colors[1].id;
        // Unknown ids, or a color looked for in another palette, change nothing.
        const Library before = library;
        library.renameColor(QUuid::createUuid(), id, u"x"_s);
        library.renameColor(firstColor, other, u"x"_s);
        library.removeColor(QUuid::createUuid(), id);
        library.removeColor(firstColor, other);
        QCOMPARE(library, before);
        QVERIFY(library.palette(QUuid::createUuid()) == nullptr);

        library.renameColor(secondColor, id, u"Brand/Primary"_s);
        QCOMPARE(library.palettes[0].colors[1].name, u"Brand/Primary"_s);
        library.removeColor(firstColor, id);
        QCOMPARE(library.palettes[0].colors.size(), 1);
        QCOMPARE(library.palettes[0].colors[0].id, secondColor);
    }
    void jsonRejects_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");

        const QByteArray color = R"({"srgb":{"r":0,"g":0,"b":0},"p3":{"r":0,"g":0,"b":0}})";
        const QByteArray id = R"("6f0f7d1c-1e2a-4c3b-9d4e-5f6a7b8c9d0e")";
        QTest::newRow("empty object") << QByteArray("{}") << u"history: missing"_s;
        QTest::newRow("array") << QByteArray("[]") << u": not an object"_s;
        QTest::newRow("history not array")
            << QByteArray(R"({"history":{},"palettes":[]})") << u"history: not an array"_s;
        QTest::newRow("bad history color")
            << QByteArray(R"({"history":[)" + color +
                          R"(,{"srgb":{"r":0,"g":0,"b":0}}],"palettes":[]})")
            << "history[1]: not a color (needs \"srgb\" and \"p3\", each with numeric \"r\", "
               "\"g\", "
               "\"b\")";
        QTest::newRow("numeric name") << QByteArray(R"({"history":[],"palettes":[{"id":)" + id +
                                                    R"(,"name":1,"colors":[]}]})")
                                      << u"palettes[0].name: not a string"_s;
        QTest::newRow("braced id")
            << QByteArray(
                   R"({"history":[],"palettes":[{"id":"{6f0f7d1c-1e2a-4c3b-9d4e-5f6a7b8c9d0e}",)"
                   R"("name":"A","colors":[]}]})")
            << u"palettes[0].id: not a UUID"_s;
        QTest::newRow("color without id")
            << QByteArray(R"({"history":[],"palettes":[{"id":)" + id + R"(,"name":"A","colors":[)" +
                          R"({"id":)" + id + R"(,"name":"a","color":)" + color +
                          R"(},{"name":"b","color":)" + color + "}]}]}")
            << u"palettes[0].colors[1].id: missing"_s;
        QTest::newRow("color not object") << QByteArray(R"({"history":[],"palettes":[{"id":)" + id +
                                                        R"(,"name":"A","colors":[3]}]})")
                                          << u"palettes[0].colors[0]: not an object"_s;
    }
    void jsonRejects() {
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
    void jsonIgnoresExtraKeysAndTakesUpperCaseIds() {
        const QByteArray json =
            R"({"version":2,"history":[],"palettes":[{"id":"6F0F7D1C-1E2A-4C3B-9D4E-5F6A7B8C9D0E",
            "name":"A","colors":[],"extra":[1,2]}]})";
        const auto library = Library::fromJson(QJsonDocument::fromJson(json).object());
        QVERIFY(library);
        QCOMPARE(library->palettes[0].id,
                 QUuid::fromString(u"6f0f7d1c-1e2a-4c3b-9d4e-5f6a7b8c9d0e"_s));
    }
};

QTEST_GUILESS_MAIN(tst_Library)
#include "tst_Library.moc"
