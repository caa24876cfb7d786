// The `chromet` command line on files of its own: what each command prints, and that bad input
// gives one error line and nothing else, never touching the library.

#include "Chromet/App/CommandLine.h"
#include "Support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <clocale>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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
    QString out;
    QString err;
};

// Every file and folder below `root`, with each regular file's bytes.
QStringList snapshot(const QString &root) {
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.append(path + u' ' +
                       QString::fromLatin1(it.fileInfo().isFile() ? readAll(path).toHex() : ""));
    }
    entries.sort();
    return entries;
}

} // namespace

class tst_CommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        // Never the real user's library.
        m_dataHome = m_dir->filePath(u"data"_s);
        QVERIFY(QDir().mkpath(m_dataHome));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome));
        m_library = m_dir->filePath(u"files/library.json"_s);
        QVERIFY(writeAll(m_library, libraryJson));
        QVERIFY(writeAll(m_dir->filePath(u"files/corrupt.json"_s), "{\"history\": ["));
        // Would hang a naive reader.
        QCOMPARE(::mkfifo(QFile::encodeName(m_dir->filePath(u"files/fifo.json"_s)), 0600), 0);
    }

    void format_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("out");

        const QString blue = u"#336699"_s;
        QTest::newRow("short hex")
            << QStringList{"format", "#fff", "--as", "hex"} << u"#FFFFFF\n"_s;
        QTest::newRow("lower-case digits")
            << QStringList{"format", "#1ab3e6", "--as", "hex"} << u"#1AB3E6\n"_s;
        QTest::newRow("lowercase-hex")
            << QStringList{"format", "#1AB3E6", "--as", "hex", "--lowercase-hex"} << u"#1ab3e6\n"_s;
        QTest::newRow("triple") << QStringList{"format", "0.2,0.4,0.6", "--as", "rgb"}
                                << u"rgb(51 102 153)\n"_s;
        QTest::newRow("triple with integers")
            << QStringList{"format", "1,0,0", "--as", "oklch"} << u"oklch(62.8% 0.258 29.2)\n"_s;
        QTest::newRow("P3 converted from sRGB")
            << QStringList{"format", "0.2,0.4,0.6", "--as", "swiftUIP3"}
            << u"Color(.displayP3, red: 0.250, green: 0.395, blue: 0.584)\n"_s;
        QTest::newRow("P3 given")
            << QStringList{"format", blue, "--as", "swiftUIP3", "--p3", "0.1,0.2,0.3"}
            << u"Color(.displayP3, red: 0.100, green: 0.200, blue: 0.300)\n"_s;
        QTest::newRow("css variable lower case")
            << QStringList{"format", "#1AB3E6", "--as=cssVariable", "--name=Brand",
                           "--lowercase-hex"}
            << u"--Brand: #1ab3e6;\n"_s;
        QTest::newRow("exact tailwind label")
            << QStringList{"format", "#fff", "--label", "--as", "tailwind"} << u"white\n"_s;
        QTest::newRow("options before the color")
            << QStringList{"format", "--as", "rgb", "#000"} << u"rgb(0 0 0)\n"_s;
    }
    void format() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        const Run result = run(arguments);
        QCOMPARE(result.err, QString());
        QCOMPARE(result.out, out);
        QCOMPARE(result.exitCode, 0);
    }
    void formatEveryLabel() {
        const Run result = run({u"format"_s, u"#336699"_s});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(
            result.out,
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
    void nearest_data() {
        QTest::addColumn<QString>("color");
        QTest::addColumn<QString>("out");

        QTest::newRow("sky") << u"#336699"_s << u"sky-700 0.031744\n"_s;
        QTest::newRow("white") << u"#ffffff"_s << u"white 0.000000\n"_s;
        QTest::newRow("red") << u"#f00"_s << u"red-500 "_s;
    }
    void nearest() {
        QFETCH(QString, color);
        QFETCH(QString, out);
        const Run result = run({u"nearest"_s, color});
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.out.startsWith(out), qPrintable(result.out));
        QVERIFY(result.out.contains(QRegularExpression(u"^\\S+ \\d+\\.\\d{6}\\n$"_s)));
    }
    void contrast_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("background");
        QTest::addColumn<QString>("out");

        QTest::newRow("black on white")
            << u"#000"_s << u"#fff"_s
            << u"21.00:1\nLc 106.0\nAA: pass\nAA Large: pass\nAAA: pass\nAAA Large: pass\n"_s;
        QTest::newRow("blue on white")
            << u"0.2,0.4,0.6"_s << u"#FFFFFF"_s
            << u"6.00:1\nLc 79.8\nAA: pass\nAA Large: pass\nAAA: fail\nAAA Large: pass\n"_s;
    }
    void contrast() {
        QFETCH(QString, text);
        QFETCH(QString, background);
        QFETCH(QString, out);
        const Run result = run({u"contrast"_s, text, background});
        QCOMPARE(result.err, QString());
        QCOMPARE(result.out, out);
        QCOMPARE(result.exitCode, 0);
    }
    void exportPalette_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("out");

        QTest::newRow("css by name") << QStringList{"export", "--palette", "Brand Kit", "--as",
                                                    "css",    "--library", "{library}"}
                                     << brandKitCss;
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
        QTest::newRow("file name swift")
            << QStringList{"export", "--palette", "Brand Kit", "--as",
                           "swift",  "--library", "{library}", "--file-name"}
            << "Brand-Kit.swift\n";
    }
    void exportPalette() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        const Run result = run(expand(arguments));
        if (out == QLatin1String("error")) {
            QCOMPARE(result.exitCode, 2);
            QCOMPARE(result.out, QString());
            QVERIFY2(result.err.contains("not found"), qPrintable(result.err));
            return;
        }
        QCOMPARE(result.err, QString());
        QCOMPARE(result.out, out);
        QCOMPARE(result.exitCode, 0);
    }
    void history_data() {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("out");

        QTest::newRow("three colors") << "{library}"
                                      << "#336699\n#1AB3E6\n#FFFFFF\n";
        QTest::newRow("missing file is empty") << "{missing}"
                                               << "";
    }
    void history() {
        QFETCH(QString, library);
        QFETCH(QString, out);
        const Run result = run(expand({u"history"_s, u"--library"_s, library}));
        QCOMPARE(result.err, QString());
        QCOMPARE(result.out, out);
        QCOMPARE(result.exitCode, 0);
    }
    void defaultLibraryLocation() {
        QVERIFY(writeAll(m_dataHome + u"/Chromet/library.json"_s, libraryJson));

        Run result = run({u"history"_s});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, u"#336699\n#1AB3E6\n#FFFFFF\n"_s);

        result = run({u"export"_s, u"--palette"_s, u"Brand Kit"_s, u"--as"_s, u"css"_s});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QString::fromUtf8(brandKitCss));
    }
    void help_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("start");

        QTest::newRow("--help") << QStringList{"--help"} << "Usage: chromet";
        QTest::newRow("command help") << QStringList{"export", "--help"} << "Usage: chromet";
    }
    void help() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, start);
        const Run result = run(arguments);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, QString());
        QVERIFY2(result.out.startsWith(start), qPrintable(result.out));
    }
    void badInput_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("mentions");

        QTest::newRow("unknown command") << QStringList{"paint", "#fff"} << "paint";
        QTest::newRow("unknown option") << QStringList{"format", "#fff", "--bogus"} << "--bogus";
        QTest::newRow("option of another command")
            << QStringList{"nearest", "#fff", "--as", "hex"} << "--as";
        QTest::newRow("flag with a value")
            << QStringList{"format", "#fff", "--label=yes"} << "--label";
        QTest::newRow("unknown format") << QStringList{"format", "#fff", "--as", "HEX"} << "HEX";
        QTest::newRow("missing option value") << QStringList{"format", "#fff", "--as"} << "--as";
        QTest::newRow("option twice")
            << QStringList{"format", "#fff", "--as", "hex", "--as", "rgb"} << "--as";
        QTest::newRow("missing color") << QStringList{"format"} << "COLOR";
        QTest::newRow("extra argument") << QStringList{"nearest", "#fff", "#000"} << "#000";
        QTest::newRow("five hex digits") << QStringList{"format", "#12345"} << "#12345";
        QTest::newRow("two channels") << QStringList{"nearest", "0.2,0.4"} << "0.2,0.4";
        QTest::newRow("not a number") << QStringList{"nearest", "nan,0,0"} << "nan";
        QTest::newRow("channel above 1") << QStringList{"contrast", "1.5,0,0", "#fff"} << "1.5";
        QTest::newRow("bad P3") << QStringList{"format", "#fff", "--p3", "0.1,0.2"} << "P3";
        QTest::newRow("export without palette")
            << QStringList{"export", "--as", "css", "--library", "{library}"} << "--palette";
        QTest::newRow("unknown export format")
            << QStringList{"export", "--palette", "Brand Kit", "--as",
                           "scss",   "--library", "{library}"}
            << "scss";
        QTest::newRow("palette not found")
            << QStringList{"export", "--palette", "brand kit", "--as",
                           "css",    "--library", "{library}"}
            << "brand kit";
        QTest::newRow("corrupt library")
            << QStringList{"history", "--library", "{corrupt}"} << "corrupt";
        QTest::newRow("FIFO library")
            << QStringList{"history", "--library", "{fifo}"} << "not a regular file";
        QTest::newRow("positional after --")
            << QStringList{"history", "--", "--library"} << "--library";
    }
    void badInput() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, mentions);
        const Run result = run(expand(arguments));
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        const QString err = result.err;
        QVERIFY2(err.startsWith(QLatin1String("chromet: ")), qPrintable(err));
        QVERIFY2(err.endsWith(QLatin1Char('\n')) && err.count(QLatin1Char('\n')) == 1,
                 qPrintable(err));
        QVERIFY2(err.contains(mentions), qPrintable(err));
    }
    void corruptLibraryIsLeftAlone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("defaultLocation");

        QTest::newRow("truncated, --library") << QByteArray("{\"history\": [") << false;
        QTest::newRow("empty object, default location") << QByteArray("{}") << true;
    }
    void corruptLibraryIsLeftAlone() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, defaultLocation);

        const QString folder = m_dir->filePath(u"corrupt"_s);
        const QString path =
            defaultLocation ? m_dataHome + u"/Chromet/library.json"_s : folder + u"/library.json"_s;
        QVERIFY(writeAll(path, bytes));
        const QStringList before = snapshot(m_dir->path());

        QStringList libraryOption;
        if (!defaultLocation)
            libraryOption = {u"--library"_s, path};
        const QList<QStringList> commands{
            QStringList{u"history"_s} + libraryOption,
            QStringList{u"export"_s, u"--palette"_s, u"Favorites"_s, u"--as"_s, u"css"_s} +
                libraryOption,
        };
        for (const QStringList &command : commands) {
            const Run result = run(command);
            QCOMPARE(result.exitCode, 2);
            QCOMPARE(result.out, QString());
            QVERIFY2(result.err.contains("corrupt"), qPrintable(result.err));
        }

        QCOMPARE(readAll(path), bytes);
        QCOMPARE(snapshot(m_dir->path()), before);
    }
    void missingLibraryCreatesNothing() {
        const QStringList before = snapshot(m_dir->path());
        QVERIFY(!QFileInfo::exists(m_dataHome + u"/Chromet"_s));

        Run result = run({u"history"_s});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err, QString());

        result = run({u"export"_s, u"--palette"_s, u"Favorites"_s, u"--as"_s, u"swift"_s});
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());

        QCOMPARE(snapshot(m_dir->path()), before);
    }
    // QCoreApplication adopts the user's locale for the C library; numbers read and written must
    // still use a period.
    void decimalCommaLocale() {
        const QByteArray localeDir = qgetenv("CHROMET_TEST_LOCPATH");
        if (!localeDir.isEmpty())
            qputenv("LOCPATH", localeDir);
        const std::string previous = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
            QSKIP("de_DE.UTF-8 is not available; generate it with localedef and point "
                  "CHROMET_TEST_LOCPATH at its folder");
        const auto restore = qScopeGuard([&] { std::setlocale(LC_ALL, previous.c_str()); });
        Run result = run({u"format"_s, u"0.2,0.4,0.6"_s, u"--as"_s, u"swiftUI"_s});
        QCOMPARE(result.out, u"Color(red: 0.200, green: 0.400, blue: 0.600)\n"_s);
        result = run({u"contrast"_s, u"0.5,0.5,0.5"_s, u"#fff"_s});
        QVERIFY2(result.out.startsWith(u"3.98:1\nLc 67.1\n"_s), qPrintable(result.out));
        result = run({u"history"_s, u"--library"_s, m_library});
        QCOMPARE(result.out, u"#336699\n#1AB3E6\n#FFFFFF\n"_s);
    }
    // The executable hands its arguments to the command line.
    void executableRunsTheCommandLine() {
        QProcess process;
        process.start(QStringLiteral(CHROMET_EXECUTABLE), {u"--version"_s});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput(),
                 QByteArray("chromet " CHROMET_EXPECTED_VERSION " (" CHROMET_EXPECTED_BUILD_NUMBER
                            ")\n"));
    }

private:
    static Run run(const QStringList &arguments) {
        Run result;
        QTextStream out(&result.out);
        QTextStream err(&result.err);
        result.exitCode = runCommandLine(arguments, out, err);
        return result;
    }
    // Replaces {library}, {missing}, {corrupt} and {fifo} by paths in the test's folder.
    QStringList expand(const QStringList &arguments) const {
        QStringList expanded;
        for (QString argument : arguments) {
            argument.replace(QLatin1String("{library}"), m_library);
            for (const char *name : {"missing", "corrupt", "fifo"})
                argument.replace(QLatin1Char('{') + QLatin1String(name) + QLatin1Char('}'),
                                 m_dir->filePath(u"files/%1.json"_s.arg(name)));
            expanded.append(argument);
        }
        return expanded;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_dataHome;
    QString m_library;
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_CommandLine.moc"
