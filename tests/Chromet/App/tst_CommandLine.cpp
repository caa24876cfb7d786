#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Channels as stored: srgb (0.2, 0.4, 0.6), (0.1, 0.7, 0.9), (1, 1, 1); two palettes share a
// name, and one is named with another's id.
const char libraryJson[] = R"({
  "extra": "ignored",
  "history": [
    {"srgb": {"r": 0.2, "g": 0.4, "b": 0.6}, "p3": {"r": 0.25, "g": 0.4, "b": 0.58}},
    {"srgb": {"r": 0.1, "g": 0.7, "b": 0.9}, "p3": {"r": 0.2, "g": 0.69, "b": 0.88}},
    {"srgb": {"r": 1, "g": 1, "b": 1}, "p3": {"r": 1, "g": 1, "b": 1}}
  ],
  "palettes": [
    {"id": "11111111-1111-4111-8111-111111111111", "name": "Brand Kit", "colors": [
      {"id": "a1111111-1111-4111-8111-111111111111", "name": "Sky Blue",
       "color": {"srgb": {"r": 0.2, "g": 0.4, "b": 0.6}, "p3": {"r": 0.25, "g": 0.4, "b": 0.58}}},
      {"id": "a2222222-1111-4111-8111-111111111111", "name": "Sky Blue",
       "color": {"srgb": {"r": 0.1, "g": 0.7, "b": 0.9}, "p3": {"r": 0.2, "g": 0.69, "b": 0.88}}},
      {"id": "a3333333-1111-4111-8111-111111111111", "name": "default",
       "color": {"srgb": {"r": 1, "g": 1, "b": 1}, "p3": {"r": 1, "g": 1, "b": 1}}}
    ]},
    {"id": "22222222-2222-4222-8222-222222222222", "name": "Brand Kit", "colors": [
      {"id": "b1111111-1111-4111-8111-111111111111", "name": "Other",
       "color": {"srgb": {"r": 0, "g": 0, "b": 0}, "p3": {"r": 0, "g": 0, "b": 0}}}
    ]},
    {"id": "33333333-3333-4333-8333-333333333333", "name": "22222222-2222-4222-8222-222222222222",
     "colors": [
      {"id": "c1111111-1111-4111-8111-111111111111", "name": "Decoy",
       "color": {"srgb": {"r": 1, "g": 0, "b": 0}, "p3": {"r": 0.9, "g": 0.2, "b": 0.1}}}
    ]},
    {"id": "44444444-4444-4444-8444-444444444444", "name": "!!!", "colors": []}
  ]
})";

const char brandKitCss[] = ":root {\n"
                           "  --sky-blue: #336699;\n"
                           "  --sky-blue-2: #1AB3E6;\n"
                           "  --default: #FFFFFF;\n"
                           "}\n";

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every file and folder below `root`, with a hash of each file's bytes.
QStringList snapshot(const QString &root) {
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QString entry = QDir(root).relativeFilePath(path);
        if (it.fileInfo().isFile()) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                entry += QLatin1Char(' ') +
                         QString::fromLatin1(
                             QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                 .toHex());
        }
        entries.append(entry);
    }
    entries.sort();
    return entries;
}

} // namespace

class tst_CommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void format_data();
    void format();
    void formatEveryLabel();
    void nearest_data();
    void nearest();
    void contrast_data();
    void contrast();
    void exportPalette_data();
    void exportPalette();
    void history_data();
    void history();
    void defaultLibraryLocation();
    void helpAndVersion_data();
    void helpAndVersion();
    void badInput_data();
    void badInput();
    void corruptLibraryIsLeftAlone_data();
    void corruptLibraryIsLeftAlone();
    void missingLibraryCreatesNothing();
    void decimalCommaLocale();

private:
    Run run(const QStringList &arguments, const QProcessEnvironment &extra = {});
    // Replaces {library}, {missing}, {folder} and {corrupt} by paths in the test's folder.
    QStringList expand(const QStringList &arguments) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_dataHome;
    QString m_library;
};

void tst_CommandLine::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dataHome = m_dir->filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(m_dataHome));
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("home"))));
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("files/folder.json"))));
    m_library = m_dir->filePath(QStringLiteral("files/library.json"));
    writeFile(m_library, libraryJson);
    writeFile(m_dir->filePath(QStringLiteral("files/corrupt.json")), "{\"history\": [");
    // Files that would hang or exhaust a naive reader.
    const auto at = [this](const char *name) {
        return QFile::encodeName(m_dir->filePath(QStringLiteral("files/%1.json").arg(name)));
    };
    QCOMPARE(::mkfifo(at("fifo").constData(), 0600), 0);
    QCOMPARE(::symlink("/dev/zero", at("zero").constData()), 0);
    writeFile(QFile::decodeName(at("huge")), {});
    QCOMPARE(::truncate(at("huge").constData(), 100 << 20), 0);
}

Run tst_CommandLine::run(const QStringList &arguments, const QProcessEnvironment &extra) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Never the real user's library.
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dataHome);
    environment.insert(QStringLiteral("HOME"), m_dir->filePath(QStringLiteral("home")));
    environment.insert(extra);

    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CHROMET_EXECUTABLE), arguments);
    Run result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        qWarning("chromet did not finish normally: %s", qPrintable(arguments.join(u' ')));
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QStringList tst_CommandLine::expand(const QStringList &arguments) const {
    QStringList expanded;
    for (QString argument : arguments) {
        argument.replace(QLatin1String("{library}"), m_library);
        argument.replace(QLatin1String("{missing}"),
                         m_dir->filePath(QStringLiteral("files/missing.json")));
        argument.replace(QLatin1String("{folder}"),
                         m_dir->filePath(QStringLiteral("files/folder.json")));
        argument.replace(QLatin1String("{corrupt}"),
                         m_dir->filePath(QStringLiteral("files/corrupt.json")));
        for (const char *name : {"fifo", "zero", "huge"})
            argument.replace(QLatin1Char('{') + QLatin1String(name) + QLatin1Char('}'),
                             m_dir->filePath(QStringLiteral("files/%1.json").arg(name)));
        expanded.append(argument);
    }
    return expanded;
}

void tst_CommandLine::format_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("out");

    const QString blue = QStringLiteral("#336699");
    QTest::newRow("hex") << QStringList{"format", blue, "--as", "hex"} << "#336699\n";
    QTest::newRow("short hex") << QStringList{"format", "#fff", "--as", "hex"} << "#FFFFFF\n";
    QTest::newRow("lower-case digits")
        << QStringList{"format", "#1ab3e6", "--as", "hex"} << "#1AB3E6\n";
    QTest::newRow("lowercase-hex")
        << QStringList{"format", "#1AB3E6", "--as", "hex", "--lowercase-hex"} << "#1ab3e6\n";
    QTest::newRow("triple") << QStringList{"format", "0.2,0.4,0.6", "--as", "rgb"}
                            << "rgb(51 102 153)\n";
    QTest::newRow("triple with integers")
        << QStringList{"format", "1,0,0", "--as", "oklch"} << "oklch(62.8% 0.258 29.2)\n";
    QTest::newRow("P3 converted from sRGB")
        << QStringList{"format", "0.2,0.4,0.6", "--as", "swiftUIP3"}
        << "Color(.displayP3, red: 0.250, green: 0.395, blue: 0.584)\n";
    QTest::newRow("P3 given") << QStringList{"format",    blue,   "--as",
                                             "swiftUIP3", "--p3", "0.1,0.2,0.3"}
                              << "Color(.displayP3, red: 0.100, green: 0.200, blue: 0.300)\n";
    QTest::newRow("P3 does not change sRGB formats")
        << QStringList{"format", blue, "--as", "nsColor", "--p3", "0.1,0.2,0.3"}
        << "NSColor(srgbRed: 0.200, green: 0.400, blue: 0.600, alpha: 1)\n";
    QTest::newRow("css variable named")
        << QStringList{"format", blue, "--as", "cssVariable", "--name", "Sky Blue"}
        << "--Sky Blue: #336699;\n";
    QTest::newRow("css variable lower case")
        << QStringList{"format", "#1AB3E6", "--as=cssVariable", "--name=Brand", "--lowercase-hex"}
        << "--Brand: #1ab3e6;\n";
    QTest::newRow("tailwind") << QStringList{"format", blue, "--as", "tailwind"} << "sky-700\n";
    QTest::newRow("exact tailwind label")
        << QStringList{"format", "#fff", "--label", "--as", "tailwind"} << "white\n";
    QTest::newRow("options before the color")
        << QStringList{"format", "--as", "rgb", "#000"} << "rgb(0 0 0)\n";
}

void tst_CommandLine::format() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, out);
    const Run result = run(arguments);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(QString::fromUtf8(result.out), out);
    QCOMPARE(result.exitCode, 0);
}

void tst_CommandLine::formatEveryLabel() {
    const Run result = run({QStringLiteral("format"), QStringLiteral("#336699")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(
        QString::fromUtf8(result.out),
        QStringLiteral("HEX: #336699\n"
                       "RGB: rgb(51 102 153)\n"
                       "HSL: hsl(210 50% 40%)\n"
                       "OKLCH: oklch(49.93% 0.099 250.4)\n"
                       "SwiftUI Color: Color(red: 0.200, green: 0.400, blue: 0.600)\n"
                       "SwiftUI Color (Display P3): Color(.displayP3, red: 0.250, green: "
                       "0.395, blue: 0.584)\n"
                       "NSColor: NSColor(srgbRed: 0.200, green: 0.400, blue: 0.600, alpha: 1)\n"
                       "UIColor: UIColor(red: 0.200, green: 0.400, blue: 0.600, alpha: 1)\n"
                       "CSS variable: --sky-700: #336699;\n"
                       "Tailwind class: sky-700 ≈\n"));
}

void tst_CommandLine::nearest_data() {
    QTest::addColumn<QString>("color");
    QTest::addColumn<QString>("out");

    QTest::newRow("sky") << "#336699"
                         << "sky-700 0.031744\n";
    QTest::newRow("triple") << "0.2,0.4,0.6"
                            << "sky-700 0.031744\n";
    QTest::newRow("white") << "#ffffff"
                           << "white 0.000000\n";
    QTest::newRow("red") << "#f00"
                         << "red-500 ";
}

void tst_CommandLine::nearest() {
    QFETCH(QString, color);
    QFETCH(QString, out);
    const Run result = run({QStringLiteral("nearest"), color});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(QString::fromUtf8(result.out).startsWith(out), result.out.constData());
    QVERIFY(QString::fromUtf8(result.out)
                .contains(QRegularExpression(QStringLiteral("^\\S+ \\d+\\.\\d{6}\\n$"))));
}

void tst_CommandLine::contrast_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("background");
    QTest::addColumn<QString>("out");

    QTest::newRow("black on white") << "#000"
                                    << "#fff"
                                    << "21.00:1\nLc 106.0\nAA: pass\nAA Large: pass\n"
                                       "AAA: pass\nAAA Large: pass\n";
    QTest::newRow("white on black") << "1,1,1"
                                    << "0,0,0"
                                    << "21.00:1\nLc -107.9\nAA: pass\nAA Large: pass\n"
                                       "AAA: pass\nAAA Large: pass\n";
    QTest::newRow("blue on white") << "0.2,0.4,0.6"
                                   << "#FFFFFF"
                                   << "6.00:1\nLc 79.8\nAA: pass\nAA Large: pass\n"
                                      "AAA: fail\nAAA Large: pass\n";
    QTest::newRow("grey on white") << "0.5,0.5,0.5"
                                   << "#fff"
                                   << "3.98:1\nLc 67.1\nAA: fail\nAA Large: pass\n"
                                      "AAA: fail\nAAA Large: fail\n";
    QTest::newRow("equal") << "#336699"
                           << "0.2,0.4,0.6"
                           << "1.00:1\nLc 0.0\nAA: fail\nAA Large: fail\n"
                              "AAA: fail\nAAA Large: fail\n";
}

void tst_CommandLine::contrast() {
    QFETCH(QString, text);
    QFETCH(QString, background);
    QFETCH(QString, out);
    const Run result = run({QStringLiteral("contrast"), text, background});
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(QString::fromUtf8(result.out), out);
    QCOMPARE(result.exitCode, 0);
}

void tst_CommandLine::exportPalette_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("out");

    QTest::newRow("css by name") << QStringList{"export", "--palette", "Brand Kit", "--as",
                                                "css",    "--library", "{library}"}
                                 << brandKitCss;
    QTest::newRow("tailwind") << QStringList{"export", "--as=tailwind", "--library={library}",
                                             "--palette=Brand Kit"}
                              << "@theme {\n"
                                 "  --color-brand-kit-sky-blue: #336699;\n"
                                 "  --color-brand-kit-sky-blue-2: #1AB3E6;\n"
                                 "  --color-brand-kit-default: #FFFFFF;\n"
                                 "}\n";
    QTest::newRow("by id")
        << QStringList{"export",   "--palette", "11111111-1111-4111-8111-111111111111",
                       "--as",     "css",       "--library",
                       "{library}"}
        << brandKitCss;
    QTest::newRow("an id wins over a name equal to it")
        << QStringList{"export",   "--palette", "22222222-2222-4222-8222-222222222222",
                       "--as",     "css",       "--library",
                       "{library}"}
        << ":root {\n  --other: #000000;\n}\n";
    QTest::newRow("an unknown id is looked up as a name")
        << QStringList{"export",   "--palette", "99999999-2222-4222-8222-222222222222",
                       "--as",     "css",       "--library",
                       "{library}"}
        << "error";
    QTest::newRow("empty palette")
        << QStringList{"export", "--palette", "!!!", "--as", "tailwind", "--library", "{library}"}
        << "@theme {\n}\n";
    QTest::newRow("file name swift")
        << QStringList{"export", "--palette", "Brand Kit", "--as",
                       "swift",  "--library", "{library}", "--file-name"}
        << "Brand-Kit.swift\n";
    QTest::newRow("file name tailwind")
        << QStringList{"export", "--file-name", "--palette", "!!!",
                       "--as",   "tailwind",    "--library", "{library}"}
        << "palette.tailwind.css\n";
}

void tst_CommandLine::exportPalette() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, out);
    const Run result = run(expand(arguments));
    if (out == QLatin1String("error")) {
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QByteArray());
        QVERIFY2(result.err.contains("not found"), result.err.constData());
        return;
    }
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(QString::fromUtf8(result.out), out);
    QCOMPARE(result.exitCode, 0);
}

void tst_CommandLine::history_data() {
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("out");

    QTest::newRow("three colors") << "{library}"
                                  << "#336699\n#1AB3E6\n#FFFFFF\n";
    QTest::newRow("missing file is empty") << "{missing}"
                                           << "";
}

void tst_CommandLine::history() {
    QFETCH(QString, library);
    QFETCH(QString, out);
    const Run result =
        run(expand({QStringLiteral("history"), QStringLiteral("--library"), library}));
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(QString::fromUtf8(result.out), out);
    QCOMPARE(result.exitCode, 0);
}

void tst_CommandLine::defaultLibraryLocation() {
    writeFile(m_dataHome + QStringLiteral("/Chromet/library.json"), libraryJson);

    Run result = run({QStringLiteral("history")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray("#336699\n#1AB3E6\n#FFFFFF\n"));

    result = run({QStringLiteral("export"), QStringLiteral("--palette"),
                  QStringLiteral("Brand Kit"), QStringLiteral("--as"), QStringLiteral("css")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray(brandKitCss));
}

void tst_CommandLine::helpAndVersion_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("start");

    QTest::newRow("--help") << QStringList{"--help"} << "Usage: chromet";
    QTest::newRow("-h") << QStringList{"-h"} << "Usage: chromet";
    QTest::newRow("command help") << QStringList{"export", "--help"} << "Usage: chromet";
    QTest::newRow("--version") << QStringList{"--version"}
                               << "chromet " CHROMET_EXPECTED_VERSION
                                  " (" CHROMET_EXPECTED_BUILD_NUMBER ")\n";
}

void tst_CommandLine::helpAndVersion() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, start);
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    QVERIFY2(QString::fromUtf8(result.out).startsWith(start), result.out.constData());
    if (arguments == QStringList{QStringLiteral("--version")})
        QCOMPARE(QString::fromUtf8(result.out), start);
}

void tst_CommandLine::badInput_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("unknown command") << QStringList{"paint", "#fff"} << "paint";
    QTest::newRow("unknown top-level option") << QStringList{"--colour"} << "--colour";
    QTest::newRow("unknown option") << QStringList{"format", "#fff", "--bogus"} << "--bogus";
    QTest::newRow("option of another command")
        << QStringList{"nearest", "#fff", "--as", "hex"} << "--as";
    QTest::newRow("flag with a value") << QStringList{"format", "#fff", "--label=yes"} << "--label";
    QTest::newRow("unknown format") << QStringList{"format", "#fff", "--as", "HEX"} << "HEX";
    QTest::newRow("missing option value") << QStringList{"format", "#fff", "--as"} << "--as";
    QTest::newRow("option twice") << QStringList{"format", "#fff", "--as", "hex", "--as", "rgb"}
                                  << "--as";
    QTest::newRow("missing color") << QStringList{"format"} << "COLOR";
    QTest::newRow("missing background") << QStringList{"contrast", "#fff"} << "BACKGROUND";
    QTest::newRow("extra argument") << QStringList{"nearest", "#fff", "#000"} << "#000";
    QTest::newRow("version with argument") << QStringList{"--version", "now"} << "now";
    QTest::newRow("five hex digits") << QStringList{"format", "#12345"} << "#12345";
    QTest::newRow("hex without #") << QStringList{"format", "336699"} << "336699";
    QTest::newRow("empty color") << QStringList{"format", ""} << "invalid color";
    QTest::newRow("two channels") << QStringList{"nearest", "0.2,0.4"} << "0.2,0.4";
    QTest::newRow("empty channel") << QStringList{"nearest", "0.2,,0.6"} << "0.2,,0.6";
    QTest::newRow("word channel") << QStringList{"nearest", "red,0,0"} << "red";
    QTest::newRow("not a number") << QStringList{"nearest", "nan,0,0"} << "nan";
    QTest::newRow("channel above 1") << QStringList{"contrast", "1.5,0,0", "#fff"} << "1.5";
    QTest::newRow("decimal comma") << QStringList{"format", "0,5,0,5,0,5"} << "0,5,0,5,0,5";
    QTest::newRow("bad P3") << QStringList{"format", "#fff", "--p3", "0.1,0.2"} << "P3";
    QTest::newRow("P3 outside range") << QStringList{"format", "#fff", "--p3", "0.1,0.2,2"} << "P3";
    QTest::newRow("export without palette")
        << QStringList{"export", "--as", "css", "--library", "{library}"} << "--palette";
    QTest::newRow("export without format")
        << QStringList{"export", "--palette", "Brand Kit", "--library", "{library}"} << "--as";
    QTest::newRow("unknown export format")
        << QStringList{"export", "--palette", "Brand Kit", "--as", "scss", "--library", "{library}"}
        << "scss";
    QTest::newRow("palette not found")
        << QStringList{"export", "--palette", "brand kit", "--as", "css", "--library", "{library}"}
        << "brand kit";
    QTest::newRow("no library, no palette")
        << QStringList{"export", "--palette", "Favorites", "--as", "css", "--library", "{missing}"}
        << "Favorites";
    QTest::newRow("corrupt library")
        << QStringList{"history", "--library", "{corrupt}"} << "corrupt";
    QTest::newRow("folder instead of a library")
        << QStringList{"history", "--library", "{folder}"} << "folder.json";
    QTest::newRow("FIFO library") << QStringList{"history", "--library", "{fifo}"}
                                  << "not a regular file";
    QTest::newRow("link to /dev/zero")
        << QStringList{"history", "--library", "{zero}"} << "not a regular file";
    QTest::newRow("100 MB library") << QStringList{"history", "--library", "{huge}"} << "too large";
    QTest::newRow("empty library option") << QStringList{"history", "--library="} << "--library";
    QTest::newRow("positional after --")
        << QStringList{"history", "--", "--library"} << "--library";
}

void tst_CommandLine::badInput() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);
    const Run result = run(expand(arguments));
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.out, QByteArray());
    const QString err = QString::fromUtf8(result.err);
    QVERIFY2(err.startsWith(QLatin1String("chromet: ")), qPrintable(err));
    QVERIFY2(err.endsWith(QLatin1Char('\n')) && err.count(QLatin1Char('\n')) == 1, qPrintable(err));
    QVERIFY2(err.contains(mentions), qPrintable(err));
}

void tst_CommandLine::corruptLibraryIsLeftAlone_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("defaultLocation");

    QTest::newRow("truncated, --library") << QByteArray("{\"history\": [") << false;
    QTest::newRow("empty object, default location") << QByteArray("{}") << true;
    QTest::newRow("not UTF-8, default location") << QByteArray("\xff\xfe\x00garbage", 10) << true;
}

void tst_CommandLine::corruptLibraryIsLeftAlone() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, defaultLocation);

    const QString folder = m_dir->filePath(QStringLiteral("corrupt"));
    const QString path = defaultLocation ? m_dataHome + QStringLiteral("/Chromet/library.json")
                                         : folder + QStringLiteral("/library.json");
    writeFile(path, bytes);
    const QStringList before = snapshot(m_dir->path());

    QStringList libraryOption;
    if (!defaultLocation)
        libraryOption = {QStringLiteral("--library"), path};
    const QList<QStringList> commands{
        QStringList{QStringLiteral("history")} + libraryOption,
        QStringList{QStringLiteral("export"), QStringLiteral("--palette"),
                    QStringLiteral("Favorites"), QStringLiteral("--as"), QStringLiteral("css")} +
            libraryOption,
    };
    for (const QStringList &command : commands) {
        const Run result = run(command);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QByteArray());
        QVERIFY2(result.err.contains("corrupt"), result.err.constData());
    }

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    QCOMPARE(snapshot(m_dir->path()), before);
}

void tst_CommandLine::missingLibraryCreatesNothing() {
    const QStringList before = snapshot(m_dir->path());
    QVERIFY(!before.contains(QStringLiteral("data/Chromet")));

    Run result = run({QStringLiteral("history")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(result.err, QByteArray());

    result = run({QStringLiteral("export"), QStringLiteral("--palette"),
                  QStringLiteral("Favorites"), QStringLiteral("--as"), QStringLiteral("swift")});
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.out, QByteArray());

    QCOMPARE(snapshot(m_dir->path()), before);
}

// QCoreApplication adopts the user's locale for the C library; numbers read and written must
// still use a period.
void tst_CommandLine::decimalCommaLocale() {
    const QByteArray localeDir = qgetenv("CHROMET_TEST_LOCPATH");
    if (!localeDir.isEmpty())
        qputenv("LOCPATH", localeDir);
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const bool available = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    std::setlocale(LC_ALL, previous.c_str());
    if (!available)
        QSKIP("de_DE.UTF-8 is not available; generate it with localedef and point "
              "CHROMET_TEST_LOCPATH at its folder");

    QProcessEnvironment german;
    german.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    if (!localeDir.isEmpty())
        german.insert(QStringLiteral("LOCPATH"), QString::fromLocal8Bit(localeDir));

    Run result = run({QStringLiteral("format"), QStringLiteral("0.2,0.4,0.6"),
                      QStringLiteral("--as"), QStringLiteral("swiftUI")},
                     german);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray("Color(red: 0.200, green: 0.400, blue: 0.600)\n"));

    result =
        run({QStringLiteral("contrast"), QStringLiteral("0.5,0.5,0.5"), QStringLiteral("#fff")},
            german);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.startsWith("3.98:1\nLc 67.1\n"), result.out.constData());

    result = run({QStringLiteral("nearest"), QStringLiteral("#336699")}, german);
    QCOMPARE(result.out, QByteArray("sky-700 0.031744\n"));

    result = run({QStringLiteral("history"), QStringLiteral("--library"), m_library}, german);
    QCOMPARE(result.out, QByteArray("#336699\n#1AB3E6\n#FFFFFF\n"));
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_CommandLine.moc"
