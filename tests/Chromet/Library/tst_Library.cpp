#include "Chromet/Library/Library.h"
#include "Chromet/Library/PaletteExport.h"

#include <QJsonDocument>
#include <QTest>

#include <utility>

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

Palette palette(const QString &name, const QStringList &colorNames = {}) {
    Palette result{QUuid::createUuid(), name, {}};
    for (const QString &colorName : colorNames)
        result.colors.append(NamedColor{QUuid::createUuid(), colorName, gray(0.2)});
    return result;
}

// The identifier part of every generated line, in palette order.
QStringList generatedNames(const Palette &palette, ExportFormat format) {
    QStringList names;
    const QStringList lines = PaletteExport::exportText(palette, format).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (format == ExportFormat::swift && line.startsWith(u"    static let "_s))
            names.append(line.mid(15).section(QLatin1Char(' '), 0, 0));
        else if (format == ExportFormat::css && line.startsWith(u"  --"_s))
            names.append(line.mid(4).section(QLatin1Char(':'), 0, 0));
    }
    return names;
}

} // namespace

// The library's history and palettes, their JSON form, and the palette export formats.
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
        library.history.clear();
        for (int i = 0; i <= 20; ++i)
            library.record(gray(i / 100.0));
        QCOMPARE(library.history.size(), 20);
        QCOMPARE(library.history.last(), gray(0.01));
        // A file may hold more than the limit, and duplicates; the next pick cleans both up.
        for (int i = 0; i < 5; ++i)
            library.history.append(gray(0.5 + i / 100.0));
        library.history.append(gray(0.1));
        library.record(gray(0.1));
        QCOMPARE(library.history.size(), 20);
        QCOMPARE(library.history.count(gray(0.1)), 1);
        QCOMPARE(library.history.last(), gray(0.01));

        library.history = {gray(0.1), gray(0.2), gray(0.1), gray(0.3)};
        library.removeFromHistory(gray(0.1));
        QCOMPARE(library.history, (QList<PickedColor>{gray(0.2), gray(0.3)}));
    }
    void palettes() {
        QCOMPARE(Library::defaultPaletteName(Library()), u"Palette 1"_s);
        Library library = Library::defaultLibrary();
        QCOMPARE(library.palettes[0].name, u"Favorites"_s);
        // Counted, not compared with existing names; duplicate names are allowed.
        library.addPalette(u"Palette 3"_s);
        QCOMPARE(Library::defaultPaletteName(library), u"Palette 3"_s);
        const QUuid web = library.addPalette(u"Web"_s).id;
        library.renamePalette(web, u"Mine"_s);
        library.deletePalette(library.palettes[0].id);
        QCOMPARE(library.palettes.size(), 2);
        QCOMPARE(library.palettes[1].id, web);
        QCOMPARE(library.palettes[1].name, u"Mine"_s);
        const Library before = library;
        library.renamePalette(QUuid::createUuid(), u"Nope"_s);
        library.deletePalette(QUuid::createUuid());
        QCOMPARE(library, before);

        // Deleting the last palette leaves a fresh, empty Favorites; the history stays.
        library.record(gray(0.4));
        QVERIFY(library.pin(gray(0.4), web));
        library.deletePalette(library.palettes[0].id);
        library.deletePalette(web);
        QCOMPARE(library.palettes.size(), 1);
        QCOMPARE(library.palettes[0].name, u"Favorites"_s);
        QVERIFY(library.palettes[0].colors.isEmpty());
        QVERIFY(library.palettes[0].id != before.palettes[0].id);
        QCOMPARE(library.history, QList<PickedColor>{gray(0.4)});
    }
    void pinRenameAndRemoveColors() {
        Library library = Library::defaultLibrary();
        const QUuid id = library.palettes[0].id;
        const QUuid other = library.addPalette(u"Other"_s).id;
        for (int i = 0; i < 3; ++i)
            QVERIFY(library.pin(nearSky700(i), id));
        QCOMPARE(colorNames(library.palettes[0]),
                 (QStringList{u"sky-700"_s, u"sky-700-2"_s, u"sky-700-3"_s}));
        QVERIFY(library.palettes[0].colors[0].id != library.palettes[0].colors[1].id);
        // Not twice in one palette, nor into a palette that is gone.
        const Library before = library;
        QVERIFY(!library.pin(nearSky700(0), id));
        QVERIFY(!library.pin(nearSky700(5), QUuid::createUuid()));
        QCOMPARE(library, before);
        // Names are per palette.
        QVERIFY(library.pin(nearSky700(0), other));
        QCOMPARE(library.palettes[1].colors[0].name, u"sky-700"_s);

        // The user names the first like the second: a rename does not look at other names.
        library.renameColor(library.palettes[0].colors[0].id, id, u"sky-700-2"_s);
        // The base name is free again, then the first free suffix, counted on the base name.
        QVERIFY(library.pin(nearSky700(3), id));
        QVERIFY(library.pin(nearSky700(4), id));
        QCOMPARE(colorNames(library.palettes[0]),
                 (QStringList{u"sky-700-2"_s, u"sky-700-2"_s, u"sky-700-3"_s, u"sky-700"_s,
                              u"sky-700-4"_s}));

        // Unknown ids, or a color looked for in another palette, change nothing.
        const QUuid firstColor = library.palettes[0].colors[0].id;
        const QUuid secondColor = library.palettes[0].colors[1].id;
        const Library unchanged = library;
        library.renameColor(QUuid::createUuid(), id, u"x"_s);
        library.renameColor(firstColor, other, u"x"_s);
        library.removeColor(QUuid::createUuid(), id);
        library.removeColor(firstColor, other);
        QCOMPARE(library, unchanged);
        library.renameColor(secondColor, id, u"Brand/Primary"_s);
        library.removeColor(firstColor, id);
        QCOMPARE(library.palettes[0].colors.size(), 4);
        QCOMPARE(library.palettes[0].colors[0].id, secondColor);
        QCOMPARE(library.palettes[0].colors[0].name, u"Brand/Primary"_s);
    }
    void jsonRejects_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");

        const QByteArray color = R"({"srgb":{"r":0,"g":0,"b":0},"p3":{"r":0,"g":0,"b":0}})";
        const QByteArray palette =
            "{\"history\":[],\"palettes\":[{\"id\":\"6f0f7d1c-1e2a-4c3b-9d4e-"
            "5f6a7b8c9d0e\",\"name\":\"A\",\"colors\":[";
        QTest::newRow("empty object") << QByteArray("{}") << u"history: missing"_s;
        QTest::newRow("history not array")
            << QByteArray(R"({"history":{},"palettes":[]})") << u"history: not an array"_s;
        QTest::newRow("bad history color")
            << QByteArray(R"({"history":[)" + color +
                          R"(,{"srgb":{"r":0,"g":0,"b":0}}],"palettes":[]})")
            << "history[1]: not a color (needs \"srgb\" and \"p3\", each with numeric \"r\", "
               "\"g\", \"b\")";
        QTest::newRow("braced id")
            << QByteArray(
                   R"({"history":[],"palettes":[{"id":"{6f0f7d1c-1e2a-4c3b-9d4e-5f6a7b8c9d0e}",)"
                   R"("name":"A","colors":[]}]})")
            << u"palettes[0].id: not a UUID"_s;
        QTest::newRow("color without id")
            << QByteArray(palette + R"({"name":"b","color":)" + color + "}]}]}")
            << u"palettes[0].colors[0].id: missing"_s;
    }
    void jsonRejects() {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QString reported;
        QVERIFY(!Library::fromJson(QJsonDocument::fromJson(json).object(), &reported));
        QCOMPARE(reported, error);
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

    void exportBrandKit_data() {
        QTest::addColumn<ExportFormat>("format");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("empty");

        QTest::newRow("swift")
            << ExportFormat::swift
            << "import SwiftUI\n"
               "\n"
               "extension Color {\n"
               "    static let skyBlue = Color(red: 0.200, green: 0.400, blue: 0.600)\n"
               "    static let skyBlue2 = Color(red: 0.100, green: 0.700, blue: 0.900)\n"
               "    static let `default` = Color(red: 1.000, green: 1.000, blue: 1.000)\n"
               "}\n"
            << u"import SwiftUI\n\nextension Color {\n}\n"_s;
        QTest::newRow("css") << ExportFormat::css
                             << ":root {\n"
                                "  --sky-blue: #336699;\n"
                                "  --sky-blue-2: #1AB3E6;\n"
                                "  --default: #FFFFFF;\n"
                                "}\n"
                             << u":root {\n}\n"_s;
        QTest::newRow("tailwind") << ExportFormat::tailwind
                                  << "@theme {\n"
                                     "  --color-brand-kit-sky-blue: #336699;\n"
                                     "  --color-brand-kit-sky-blue-2: #1AB3E6;\n"
                                     "  --color-brand-kit-default: #FFFFFF;\n"
                                     "}\n"
                                  << u"@theme {\n}\n"_s;
    }
    void exportBrandKit() {
        QFETCH(ExportFormat, format);
        QFETCH(QString, text);
        QFETCH(QString, empty);
        Palette kit = palette(u"Brand Kit"_s);
        for (const auto &[name, rgb] : {std::pair{u"Sky Blue"_s, RGB{0.2, 0.4, 0.6}},
                                        {u"Sky Blue"_s, RGB{0.1, 0.7, 0.9}},
                                        {u"default"_s, RGB{1, 1, 1}}})
            kit.colors.append(NamedColor{QUuid::createUuid(), name, PickedColor{rgb, rgb}});
        QCOMPARE(PaletteExport::exportText(kit, format), text);
        // Nothing is remembered between exports.
        QCOMPARE(PaletteExport::exportText(kit, format), text);
        QCOMPARE(PaletteExport::exportText(palette(u"Empty"_s), format), empty);
    }
    void exportWords() {
        for (const auto &[name, words] :
             {std::pair{u"Cafe\u0301 noir"_s, QStringList{"Caf", "noir"}}, // combining accent
              {u"a\u200Db"_s, QStringList{"b"}},                           // joiner after a letter
              {u"dev👩‍💻ops"_s, QStringList{"dev", "ops"}},         // emoji sequence
              {u"１２ab"_s, QStringList{"ab"}},                            // full-width digits
              {u"__a_b.c!d"_s, QStringList{"a", "b", "c", "d"}}})
            QCOMPARE(PaletteExport::words(name), words);
    }
    // The names each color gets in Swift and in CSS, for the colors of one palette ('|' between
    // colors).
    void exportNames_data() {
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("swift");
        QTest::addColumn<QString>("css");
        const auto row = [](const char *name, const char *names, const char *swift,
                            const char *css) {
            QTest::newRow(name) << QString::fromUtf8(names) << QString::fromUtf8(swift)
                                << QString::fromUtf8(css);
        };
        row("later words keep their case", "my RGB code", "myRGBCode", "my-rgb-code");
        row("first word lower-cased whole", "BRAND blue", "brandBlue", "brand-blue");
        row("digits", "sky-500", "sky500", "sky-500");
        row("leading digit", "500 Sky", "c500Sky", "500-sky");
        row("reserved after lower-casing", "SELF", "`self`", "self");
        row("reserved only as a whole", "in Stock", "inStock", "in-stock");
        row("same identifier from different names", "Sky Blue|sky-blue|SKY_Blue",
            "skyBlue|skyBlue2|skyBlue3", "sky-blue|sky-blue-2|sky-blue-3");
        row("reserved word keeps its quotes", "default|Default|class",
            "`default`|`default2`|`class`", "default|default-2|class");
        row("nameless colors", "!!!|日本|?", "color|color2|color3", "color|color-2|color-3");
        row("suffix collides with a later name", "red|red|red 2", "red|red2|red22",
            "red|red-2|red-2-2");
        row("taken suffix is skipped", "red 2|red|red", "red2|red|red3", "red-2|red|red-3");
    }
    void exportNames() {
        QFETCH(QString, names);
        QFETCH(QString, swift);
        QFETCH(QString, css);
        const Palette colors = palette(u"P"_s, names.split(u'|'));
        QCOMPARE(generatedNames(colors, ExportFormat::swift), swift.split(u'|'));
        QCOMPARE(generatedNames(colors, ExportFormat::css), css.split(u'|'));
    }
    void exportTailwindPrefix() {
        for (const auto &[name, prefix] :
             {std::pair{u"!!!"_s, u"palette"_s}, {u"My  RGB/Set"_s, u"my-rgb-set"_s}})
            QCOMPARE(
                PaletteExport::exportText(palette(name, {u"Sky Blue"_s}), ExportFormat::tailwind),
                u"@theme {\n  --color-"_s + prefix + u"-sky-blue: #333333;\n}\n"_s);
    }
    void exportFileNames_data() {
        QTest::addColumn<QString>("paletteName");
        QTest::addColumn<QString>("swift");
        QTest::addColumn<QString>("css");
        QTest::addColumn<QString>("tailwind");

        QTest::newRow("two words") << u"Brand Kit"_s << u"Brand-Kit.swift"_s << u"brand-kit.css"_s
                                   << u"brand-kit.tailwind.css"_s;
        QTest::newRow("only symbols")
            << u"!!!"_s << u"Palette.swift"_s << u"palette.css"_s << u"palette.tailwind.css"_s;
        QTest::newRow("slashes cannot escape the folder")
            << u"../etc/Pass wd"_s << u"etc-Pass-wd.swift"_s << u"etc-pass-wd.css"_s
            << u"etc-pass-wd.tailwind.css"_s;
        // A file name holds at most 255 bytes: whole words while they fit.
        const auto words = [](int count, const QString &word) {
            return QStringList(count, word).join(u'-');
        };
        QTest::newRow("too long for a file name")
            << QStringList(60, u"Brand"_s).join(u' ') << words(41, u"Brand"_s) + u".swift"_s
            << words(42, u"brand"_s) + u".css"_s << words(40, u"brand"_s) + u".tailwind.css"_s;
    }
    void exportFileNames() {
        QFETCH(QString, paletteName);
        QFETCH(QString, swift);
        QFETCH(QString, css);
        QFETCH(QString, tailwind);
        const Palette named = palette(paletteName);
        QCOMPARE(PaletteExport::exportFileName(named, ExportFormat::swift), swift);
        QCOMPARE(PaletteExport::exportFileName(named, ExportFormat::css), css);
        QCOMPARE(PaletteExport::exportFileName(named, ExportFormat::tailwind), tailwind);
    }
};

QTEST_APPLESS_MAIN(tst_Library)
#include "tst_Library.moc"
