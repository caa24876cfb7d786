#include "Chromet/Library/PaletteExport.h"

#include <QTest>

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
    Palette kit = palette(QStringLiteral("Brand Kit"));
    kit.colors = {namedColor(QStringLiteral("Sky Blue"), RGB{0.2, 0.4, 0.6}),
                  namedColor(QStringLiteral("Sky Blue"), RGB{0.1, 0.7, 0.9}),
                  namedColor(QStringLiteral("default"), RGB{1, 1, 1})};
    return kit;
}

// The identifier part of every generated line, in palette order.
QStringList generatedNames(const Palette &palette, ExportFormat format) {
    QStringList names;
    const QStringList lines = PaletteExport::exportText(palette, format).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (format == ExportFormat::swift && line.startsWith(QLatin1String("    static let ")))
            names.append(line.mid(15).section(QLatin1Char(' '), 0, 0));
        else if (format == ExportFormat::css && line.startsWith(QLatin1String("  --")))
            names.append(line.mid(4).section(QLatin1Char(':'), 0, 0));
    }
    return names;
}

} // namespace

class tst_PaletteExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formats();
    void brandKit_data();
    void brandKit();
    void emptyPalette_data();
    void emptyPalette();
    void words_data();
    void words();
    void identifiers_data();
    void identifiers();
    void uniqueness_data();
    void uniqueness();
    void tailwindPrefix_data();
    void tailwindPrefix();
    void fileNames_data();
    void fileNames();
    void reservedWords();
    void channelsOutsideTheRange();
};

void tst_PaletteExport::formats() {
    const auto &cases = PaletteExport::allCases();
    QCOMPARE(cases.size(), 3u);
    QCOMPARE(cases[0], ExportFormat::swift);
    QCOMPARE(cases[1], ExportFormat::css);
    QCOMPARE(cases[2], ExportFormat::tailwind);

    QCOMPARE(PaletteExport::menuLabel(ExportFormat::swift), QStringLiteral("Swift"));
    QCOMPARE(PaletteExport::menuLabel(ExportFormat::css), QStringLiteral("CSS Variables"));
    QCOMPARE(PaletteExport::menuLabel(ExportFormat::tailwind), QStringLiteral("Tailwind"));
    QCOMPARE(PaletteExport::fileEnding(ExportFormat::swift), QStringLiteral(".swift"));
    QCOMPARE(PaletteExport::fileEnding(ExportFormat::css), QStringLiteral(".css"));
    QCOMPARE(PaletteExport::fileEnding(ExportFormat::tailwind), QStringLiteral(".tailwind.css"));

    for (ExportFormat format : cases)
        QCOMPARE(PaletteExport::fromRawValue(PaletteExport::rawValue(format)), format);
    QCOMPARE(PaletteExport::fromRawValue(u"Swift"), std::nullopt);
    QCOMPARE(PaletteExport::fromRawValue(u""), std::nullopt);
}

void tst_PaletteExport::brandKit_data() {
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

void tst_PaletteExport::brandKit() {
    QFETCH(ExportFormat, format);
    QFETCH(QString, text);
    const Palette kit = brandKitPalette();
    QCOMPARE(PaletteExport::exportText(kit, format), text);
    // Nothing is remembered between exports.
    QCOMPARE(PaletteExport::exportText(kit, format), text);
}

void tst_PaletteExport::emptyPalette_data() {
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<QString>("text");

    QTest::newRow("swift") << ExportFormat::swift << "import SwiftUI\n\nextension Color {\n}\n";
    QTest::newRow("css") << ExportFormat::css << ":root {\n}\n";
    QTest::newRow("tailwind") << ExportFormat::tailwind << "@theme {\n}\n";
}

void tst_PaletteExport::emptyPalette() {
    QFETCH(ExportFormat, format);
    QFETCH(QString, text);
    QCOMPARE(PaletteExport::exportText(palette(QStringLiteral("Empty")), format), text);
}

void tst_PaletteExport::words_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("words");

    QTest::newRow("spaces") << "Brand Blue" << QStringList{"Brand", "Blue"};
    QTest::newRow("hyphen") << "sky-500" << QStringList{"sky", "500"};
    QTest::newRow("precomposed accent") << "Café noir" << QStringList{"Caf", "noir"};
    QTest::newRow("combining accent") << "Cafe\u0301 noir" << QStringList{"Caf", "noir"};
    QTest::newRow("combining mark mid-word") << "na\u0308ive" << QStringList{"n", "ive"};
    QTest::newRow("joiner after a letter") << "a\u200Db" << QStringList{"b"};
    QTest::newRow("keycap digit") << "1\uFE0F\u20E3 Blue" << QStringList{"Blue"};
    QTest::newRow("emoji sequence") << "dev👩‍💻ops" << QStringList{"dev", "ops"};
    QTest::newRow("full-width digits") << "１２ab" << QStringList{"ab"};
    QTest::newRow("underscore and punctuation") << "__a_b.c!d" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("line breaks") << "one\r\ntwo\nthree" << QStringList{"one", "two", "three"};
    QTest::newRow("only punctuation") << "!!!" << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("only non-ASCII") << "日本語" << QStringList{};
}

void tst_PaletteExport::words() {
    QFETCH(QString, name);
    QFETCH(QStringList, words);
    QCOMPARE(PaletteExport::words(name), words);
}

void tst_PaletteExport::identifiers_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("swift");
    QTest::addColumn<QString>("css");

    QTest::newRow("two words") << "Brand Blue"
                               << "brandBlue"
                               << "brand-blue";
    QTest::newRow("later words keep their case") << "my RGB code"
                                                 << "myRGBCode"
                                                 << "my-rgb-code";
    QTest::newRow("first word lower-cased whole") << "BRAND blue"
                                                  << "brandBlue"
                                                  << "brand-blue";
    QTest::newRow("digits") << "sky-500"
                            << "sky500"
                            << "sky-500";
    QTest::newRow("leading digit") << "500 Sky"
                                   << "c500Sky"
                                   << "500-sky";
    QTest::newRow("reserved word") << "Default"
                                   << "`default`"
                                   << "default";
    QTest::newRow("reserved after lower-casing") << "SELF"
                                                 << "`self`"
                                                 << "self";
    QTest::newRow("reserved only as a whole") << "in Stock"
                                              << "inStock"
                                              << "in-stock";
    QTest::newRow("only punctuation") << "!!!"
                                      << "color"
                                      << "color";
    QTest::newRow("only non-ASCII") << "日本"
                                    << "color"
                                    << "color";
    QTest::newRow("empty") << ""
                           << "color"
                           << "color";
    QTest::newRow("accent drops letters") << "Café noir"
                                          << "cafNoir"
                                          << "caf-noir";
}

void tst_PaletteExport::identifiers() {
    QFETCH(QString, name);
    QFETCH(QString, swift);
    QFETCH(QString, css);
    QCOMPARE(PaletteExport::swiftIdentifier(name), swift);
    QCOMPARE(PaletteExport::cssName(name), css);
}

void tst_PaletteExport::uniqueness_data() {
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

void tst_PaletteExport::uniqueness() {
    QFETCH(QStringList, names);
    QFETCH(QStringList, swift);
    QFETCH(QStringList, css);
    const Palette colors = palette(QStringLiteral("P"), names);
    QCOMPARE(generatedNames(colors, ExportFormat::swift), swift);
    QCOMPARE(generatedNames(colors, ExportFormat::css), css);
}

void tst_PaletteExport::tailwindPrefix_data() {
    QTest::addColumn<QString>("paletteName");
    QTest::addColumn<QString>("line");

    QTest::newRow("words") << "Brand Kit"
                           << "  --color-brand-kit-sky-blue: #336699;";
    QTest::newRow("only symbols") << "!!!"
                                  << "  --color-palette-sky-blue: #336699;";
    QTest::newRow("punctuation inside") << "My  RGB/Set"
                                        << "  --color-my-rgb-set-sky-blue: #336699;";
}

void tst_PaletteExport::tailwindPrefix() {
    QFETCH(QString, paletteName);
    QFETCH(QString, line);
    const Palette colors = palette(paletteName, {QStringLiteral("Sky Blue")});
    QCOMPARE(PaletteExport::exportText(colors, ExportFormat::tailwind),
             QStringLiteral("@theme {\n") + line + QStringLiteral("\n}\n"));
}

void tst_PaletteExport::fileNames_data() {
    QTest::addColumn<QString>("paletteName");
    QTest::addColumn<QString>("swift");
    QTest::addColumn<QString>("css");
    QTest::addColumn<QString>("tailwind");

    QTest::newRow("two words") << "Brand Kit"
                               << "Brand-Kit.swift"
                               << "brand-kit.css"
                               << "brand-kit.tailwind.css";
    QTest::newRow("only symbols") << "!!!"
                                  << "Palette.swift"
                                  << "palette.css"
                                  << "palette.tailwind.css";
    QTest::newRow("empty") << ""
                           << "Palette.swift"
                           << "palette.css"
                           << "palette.tailwind.css";
    QTest::newRow("slashes cannot escape the folder") << "../etc/Pass wd"
                                                      << "etc-Pass-wd.swift"
                                                      << "etc-pass-wd.css"
                                                      << "etc-pass-wd.tailwind.css";
    QTest::newRow("accent") << "Café Colors"
                            << "Caf-Colors.swift"
                            << "caf-colors.css"
                            << "caf-colors.tailwind.css";
    // A file name holds at most 255 bytes: whole words while they fit.
    const auto words = [](int count, const char *word) {
        return QStringList(count, QString::fromLatin1(word)).join(QLatin1Char('-'));
    };
    QTest::newRow("too long for a file name")
        << QString(QStringList(60, QStringLiteral("Brand")).join(QLatin1Char(' ')))
        << QString(words(41, "Brand") + ".swift") << QString(words(42, "brand") + ".css")
        << QString(words(40, "brand") + ".tailwind.css");
}

void tst_PaletteExport::fileNames() {
    QFETCH(QString, paletteName);
    QFETCH(QString, swift);
    QFETCH(QString, css);
    QFETCH(QString, tailwind);
    const Palette named = palette(paletteName);
    QCOMPARE(PaletteExport::exportFileName(named, ExportFormat::swift), swift);
    QCOMPARE(PaletteExport::exportFileName(named, ExportFormat::css), css);
    QCOMPARE(PaletteExport::exportFileName(named, ExportFormat::tailwind), tailwind);
}

void tst_PaletteExport::reservedWords() {
    const QStringList reserved =
        QStringLiteral(
            "associatedtype class deinit enum extension fileprivate func import init inout "
            "internal let open operator private precedencegroup protocol public rethrows "
            "static struct subscript typealias var break case catch continue default defer "
            "do else fallthrough for guard if in repeat return throw switch where while any "
            "as await false is nil self Self super throws true try")
            .split(QLatin1Char(' '));
    QCOMPARE(reserved.size(), 55);
    for (const QString &word : reserved) {
        QVERIFY2(PaletteExport::isReservedWord(word), qPrintable(word));
        const QString lower = word.toLower();
        QCOMPARE(PaletteExport::swiftIdentifier(word), QLatin1Char('`') + lower + QLatin1Char('`'));
    }
    for (const char *word : {"Int", "color", "get", "set", "DEFAULT", "selfie", "string"})
        QVERIFY2(!PaletteExport::isReservedWord(QString::fromLatin1(word)), word);
}

void tst_PaletteExport::channelsOutsideTheRange() {
    // Values read back from a file are kept as stored: Swift prints them, hex clamps them.
    Palette odd = palette(QStringLiteral("Odd"));
    odd.colors = {namedColor(QStringLiteral("Hot"), RGB{1.25, -0.5, 0.5})};
    QCOMPARE(PaletteExport::exportText(odd, ExportFormat::swift),
             QStringLiteral("import SwiftUI\n\nextension Color {\n"
                            "    static let hot = Color(red: 1.250, green: -0.500, blue: 0.500)\n"
                            "}\n"));
    QCOMPARE(PaletteExport::exportText(odd, ExportFormat::css),
             QStringLiteral(":root {\n  --hot: #FF0080;\n}\n"));
}

QTEST_APPLESS_MAIN(tst_PaletteExport)
#include "tst_PaletteExport.moc"
