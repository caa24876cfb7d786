#include "Chromet/Library/PaletteExport.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

NamedColor namedColor(const QString &name, const RGB &srgb) {
    return NamedColor{QUuid::createUuid(), name, PickedColor{srgb, srgb}};
}

Palette palette(const QString &name, const QStringList &colorNames = {}) {
    Palette result{QUuid::createUuid(), name, {}};
    for (const QString &colorName : colorNames)
        result.colors.append(namedColor(colorName, RGB{0.2, 0.4, 0.6}));
    return result;
}

Palette brandKitPalette() {
    Palette kit = palette(u"Brand Kit"_s);
    kit.colors = {namedColor(u"Sky Blue"_s, RGB{0.2, 0.4, 0.6}),
                  namedColor(u"Sky Blue"_s, RGB{0.1, 0.7, 0.9}),
                  namedColor(u"default"_s, RGB{1, 1, 1})};
    return kit;
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

class tst_PaletteExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void brandKit_data() {
        QTest::addColumn<ExportFormat>("format");
        QTest::addColumn<QString>("text");

        QTest::newRow("swift")
            << ExportFormat::swift
            << "import SwiftUI\n"
               "\n"
               "extension Color {\n"
               "    static let skyBlue = Color(red: 0.200, green: 0.400, blue: 0.600)\n"
               "    static let skyBlue2 = Color(red: 0.100, green: 0.700, blue: 0.900)\n"
               "    static let `default` = Color(red: 1.000, green: 1.000, blue: 1.000)\n"
               "}\n";
        QTest::newRow("css") << ExportFormat::css
                             << ":root {\n"
                                "  --sky-blue: #336699;\n"
                                "  --sky-blue-2: #1AB3E6;\n"
                                "  --default: #FFFFFF;\n"
                                "}\n";
        QTest::newRow("tailwind") << ExportFormat::tailwind
                                  << "@theme {\n"
                                     "  --color-brand-kit-sky-blue: #336699;\n"
                                     "  --color-brand-kit-sky-blue-2: #1AB3E6;\n"
                                     "  --color-brand-kit-default: #FFFFFF;\n"
                                     "}\n";
    }
    void brandKit() {
        QFETCH(ExportFormat, format);
        QFETCH(QString, text);
        const Palette kit = brandKitPalette();
        QCOMPARE(PaletteExport::exportText(kit, format), text);
        // Nothing is remembered between exports.
        QCOMPARE(PaletteExport::exportText(kit, format), text);
    }
    void emptyPalette() {
        const Palette empty = palette(u"Empty"_s);
        QCOMPARE(PaletteExport::exportText(empty, ExportFormat::swift),
                 u"import SwiftUI\n\nextension Color {\n}\n"_s);
        QCOMPARE(PaletteExport::exportText(empty, ExportFormat::css), u":root {\n}\n"_s);
        QCOMPARE(PaletteExport::exportText(empty, ExportFormat::tailwind), u"@theme {\n}\n"_s);
    }
    void words_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("words");

        QTest::newRow("precomposed accent") << u"Café noir"_s << QStringList{"Caf", "noir"};
        QTest::newRow("combining accent") << u"Cafe\u0301 noir"_s << QStringList{"Caf", "noir"};
        QTest::newRow("joiner after a letter") << u"a\u200Db"_s << QStringList{"b"};
        QTest::newRow("emoji sequence") << u"dev👩‍💻ops"_s << QStringList{"dev", "ops"};
        QTest::newRow("full-width digits") << u"１２ab"_s << QStringList{"ab"};
        QTest::newRow("underscore and punctuation")
            << u"__a_b.c!d"_s << QStringList{"a", "b", "c", "d"};
        QTest::newRow("only punctuation") << u"!!!"_s << QStringList{};
    }
    void words() {
        QFETCH(QString, name);
        QFETCH(QStringList, words);
        QCOMPARE(PaletteExport::words(name), words);
    }
    void identifiers_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("swift");
        QTest::addColumn<QString>("css");

        QTest::newRow("later words keep their case")
            << u"my RGB code"_s << u"myRGBCode"_s << u"my-rgb-code"_s;
        QTest::newRow("first word lower-cased whole")
            << u"BRAND blue"_s << u"brandBlue"_s << u"brand-blue"_s;
        QTest::newRow("digits") << u"sky-500"_s << u"sky500"_s << u"sky-500"_s;
        QTest::newRow("leading digit") << u"500 Sky"_s << u"c500Sky"_s << u"500-sky"_s;
        QTest::newRow("reserved word") << u"Default"_s << u"`default`"_s << u"default"_s;
        QTest::newRow("reserved after lower-casing") << u"SELF"_s << u"`self`"_s << u"self"_s;
        QTest::newRow("reserved only as a whole") << u"in Stock"_s << u"inStock"_s << u"in-stock"_s;
        QTest::newRow("not reserved") << u"selfie"_s << u"selfie"_s << u"selfie"_s;
        QTest::newRow("only punctuation") << u"!!!"_s << u"color"_s << u"color"_s;
    }
    void identifiers() {
        QFETCH(QString, name);
        QFETCH(QString, swift);
        QFETCH(QString, css);
        QCOMPARE(PaletteExport::swiftIdentifier(name), swift);
        QCOMPARE(PaletteExport::cssName(name), css);
    }
    void uniqueness_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("swift");
        QTest::addColumn<QStringList>("css");

        QTest::newRow("same name twice")
            << QStringList{"Sky Blue", "Sky Blue"} << QStringList{"skyBlue", "skyBlue2"}
            << QStringList{"sky-blue", "sky-blue-2"};
        QTest::newRow("same identifier from different names")
            << QStringList{"Sky Blue", "sky-blue", "SKY_Blue"}
            << QStringList{"skyBlue", "skyBlue2", "skyBlue3"}
            << QStringList{"sky-blue", "sky-blue-2", "sky-blue-3"};
        QTest::newRow("reserved word keeps its quotes")
            << QStringList{"default", "Default", "class"}
            << QStringList{"`default`", "`default2`", "`class`"}
            << QStringList{"default", "default-2", "class"};
        QTest::newRow("nameless colors")
            << QStringList{"!!!", "日本", "?"} << QStringList{"color", "color2", "color3"}
            << QStringList{"color", "color-2", "color-3"};
        QTest::newRow("suffix collides with a later name")
            << QStringList{"red", "red", "red 2"} << QStringList{"red", "red2", "red22"}
            << QStringList{"red", "red-2", "red-2-2"};
        QTest::newRow("taken suffix is skipped")
            << QStringList{"red 2", "red", "red"} << QStringList{"red2", "red", "red3"}
            << QStringList{"red-2", "red", "red-3"};
    }
    void uniqueness() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, swift);
        QFETCH(QStringList, css);
        const Palette colors = palette(u"P"_s, names);
        QCOMPARE(generatedNames(colors, ExportFormat::swift), swift);
        QCOMPARE(generatedNames(colors, ExportFormat::css), css);
    }
    void tailwindPrefix_data() {
        QTest::addColumn<QString>("paletteName");
        QTest::addColumn<QString>("line");

        QTest::newRow("words") << u"Brand Kit"_s << "  --color-brand-kit-sky-blue: #336699;";
        QTest::newRow("only symbols") << u"!!!"_s << "  --color-palette-sky-blue: #336699;";
        QTest::newRow("punctuation inside")
            << u"My  RGB/Set"_s << "  --color-my-rgb-set-sky-blue: #336699;";
    }
    void tailwindPrefix() {
        QFETCH(QString, paletteName);
        QFETCH(QString, line);
        const Palette colors = palette(paletteName, {u"Sky Blue"_s});
        QCOMPARE(PaletteExport::exportText(colors, ExportFormat::tailwind),
                 u"@theme {\n"_s + line + u"\n}\n"_s);
    }
    void fileNames_data() {
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
    void fileNames() {
        QFETCH(QString, paletteName);
        QFETCH(QString, swift);
        QFETCH(QString, css);
        QFETCH(QString, tailwind);
        const Palette named = palette(paletteName);
        QCOMPARE(PaletteExport::exportFileName(named, ExportFormat::swift), swift);
        QCOMPARE(PaletteExport::exportFileName(named, ExportFormat::css), css);
        QCOMPARE(PaletteExport::exportFileName(named, ExportFormat::tailwind), tailwind);
    }
    void channelsOutsideTheRange() {
        // Values read back from a file are kept as stored: Swift prints them, hex clamps them.
        Palette odd = palette(u"Odd"_s);
        odd.colors = {namedColor(u"Hot"_s, RGB{1.25, -0.5, 0.5})};
        QCOMPARE(
            PaletteExport::exportText(odd, ExportFormat::swift),
            QStringLiteral("import SwiftUI\n\nextension Color {\n"
                           "    static let hot = Color(red: 1.250, green: -0.500, blue: 0.500)\n"
                           "}\n"));
        QCOMPARE(PaletteExport::exportText(odd, ExportFormat::css),
                 u":root {\n  --hot: #FF0080;\n}\n"_s);
    }
};

QTEST_APPLESS_MAIN(tst_PaletteExport)
#include "tst_PaletteExport.moc"
