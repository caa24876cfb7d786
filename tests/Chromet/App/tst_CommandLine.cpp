// The `chromet` command line on files of its own: how each command reads its input and options,
// and that bad input gives one error line and nothing else, never touching the library. What the
// formats, the contrast model and the exporters write is theirs to test.

#include "Chromet/App/CommandLine.h"
#include "Support/DecimalCommaLocale.h"
#include "Support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// Two palettes share a name, and a third is named with the second one's id.
const char libraryJson[] = R"({"history": [
  {"srgb": {"r": 0.2, "g": 0.4, "b": 0.6}, "p3": {"r": 0.2, "g": 0.4, "b": 0.6}},
  {"srgb": {"r": 0.1, "g": 0.7, "b": 0.9}, "p3": {"r": 0.1, "g": 0.7, "b": 0.9}},
  {"srgb": {"r": 1, "g": 1, "b": 1}, "p3": {"r": 1, "g": 1, "b": 1}}],
 "palettes": [
  {"id": "11111111-1111-4111-8111-111111111111", "name": "Brand Kit", "colors": [
    {"id": "a1111111-1111-4111-8111-111111111111", "name": "Sky Blue",
     "color": {"srgb": {"r": 0.2, "g": 0.4, "b": 0.6}, "p3": {"r": 0.2, "g": 0.4, "b": 0.6}}}]},
  {"id": "22222222-2222-4222-8222-222222222222", "name": "Brand Kit", "colors": [
    {"id": "b1111111-1111-4111-8111-111111111111", "name": "Other",
     "color": {"srgb": {"r": 0, "g": 0, "b": 0}, "p3": {"r": 0, "g": 0, "b": 0}}}]},
  {"id": "33333333-3333-4333-8333-333333333333", "name": "22222222-2222-4222-8222-222222222222",
   "colors": []}]})";

const QString brandKitCss = u":root {\n  --sky-blue: #336699;\n}\n"_s;
const QString history = u"#336699\n#1AB3E6\n#FFFFFF\n"_s;

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QStringList &arguments) {
    Run result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.exitCode = runCommandLine(arguments, out, err);
    return result;
}

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
        QVERIFY(writeAll(m_dir->filePath(u"files/library.json"_s), libraryJson));
        // Would hang a naive reader.
        QCOMPARE(::mkfifo(QFile::encodeName(m_dir->filePath(u"files/fifo.json"_s)), 0600), 0);
    }

    // Status 0: `text` is the whole output. Status 2: the one error line mentions `text`.
    void commands_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        const auto ok = [](const char *name, const QStringList &arguments, const QString &out) {
            QTest::newRow(name) << arguments << 0 << out;
        };
        const auto bad = [](const char *name, const QStringList &arguments, const char *mention) {
            QTest::newRow(name) << arguments << 2 << QString::fromUtf8(mention);
        };
        ok("#RGB", {"format", "#fff", "--as", "hex"}, u"#FFFFFF\n"_s);
        ok("lower-case digits, --lowercase-hex",
           {"format", "#1ab3e6", "--as", "hex", "--lowercase-hex"}, u"#1ab3e6\n"_s);
        ok("triple", {"format", "0.2,0.4,0.6", "--as", "rgb"}, u"rgb(51 102 153)\n"_s);
        ok("triple of integers", {"format", "1,0,0", "--as", "hex"}, u"#FF0000\n"_s);
        ok("P3 converted from sRGB", {"format", "0.2,0.4,0.6", "--as", "swiftUIP3"},
           u"Color(.displayP3, red: 0.250, green: 0.395, blue: 0.584)\n"_s);
        ok("P3 given", {"format", "#336699", "--as", "swiftUIP3", "--p3", "0.1,0.2,0.3"},
           u"Color(.displayP3, red: 0.100, green: 0.200, blue: 0.300)\n"_s);
        ok("values after =", {"format", "#1AB3E6", "--as=cssVariable", "--name=Brand"},
           u"--Brand: #1AB3E6;\n"_s);
        ok("label", {"format", "#336699", "--label", "--as", "tailwind"}, u"sky-700 ≈\n"_s);
        ok("options before the color", {"format", "--as", "rgb", "#000"}, u"rgb(0 0 0)\n"_s);
        ok("nearest", {"nearest", "#336699"}, u"sky-700 0.031744\n"_s);
        ok("contrast", {"contrast", "0.2,0.4,0.6", "#FFFFFF"},
           u"6.00:1\nLc 79.8\nAA: pass\nAA Large: pass\nAAA: fail\nAAA Large: pass\n"_s);
        ok("export by name",
           {"export", "--palette", "Brand Kit", "--as", "css", "--library", "{library}"},
           brandKitCss);
        ok("export by id",
           {"export", "--palette", "11111111-1111-4111-8111-111111111111", "--as", "css",
            "--library", "{library}"},
           brandKitCss);
        ok("an id wins over a name equal to it",
           {"export", "--palette", "22222222-2222-4222-8222-222222222222", "--as", "css",
            "--library", "{library}"},
           u":root {\n  --other: #000000;\n}\n"_s);
        ok("export file name",
           {"export", "--palette", "Brand Kit", "--as", "swift", "--library", "{library}",
            "--file-name"},
           u"Brand-Kit.swift\n"_s);
        ok("history", {"history", "--library", "{library}"}, history);
        ok("help", {"--help"}, commandLineHelp());
        ok("command help", {"export", "--help"}, commandLineHelp());

        bad("unknown command", {"paint", "#fff"}, "paint");
        bad("unknown option", {"format", "#fff", "--bogus"}, "--bogus");
        bad("option of another command", {"nearest", "#fff", "--as", "hex"}, "--as");
        bad("flag with a value", {"format", "#fff", "--label=yes"}, "--label");
        bad("unknown format", {"format", "#fff", "--as", "HEX"}, "HEX");
        bad("missing option value", {"format", "#fff", "--as"}, "--as");
        bad("option twice", {"format", "#fff", "--as", "hex", "--as", "rgb"}, "--as");
        bad("missing color", {"format"}, "COLOR");
        bad("extra argument", {"nearest", "#fff", "#000"}, "#000");
        bad("five hex digits", {"format", "#12345"}, "#12345");
        bad("two channels", {"nearest", "0.2,0.4"}, "0.2,0.4");
        bad("not a number", {"nearest", "nan,0,0"}, "nan");
        bad("channel above 1", {"contrast", "1.5,0,0", "#fff"}, "1.5");
        bad("bad P3", {"format", "#fff", "--p3", "0.1,0.2"}, "P3");
        bad("positional after --", {"nearest", "--", "--bogus"}, "invalid color");
        bad("export without palette", {"export", "--as", "css", "--library", "{library}"},
            "--palette");
        bad("unknown export format",
            {"export", "--palette", "Brand Kit", "--as", "scss", "--library", "{library}"}, "scss");
        bad("palette names are exact",
            {"export", "--palette", "brand kit", "--as", "css", "--library", "{library}"},
            "brand kit");
        bad("an unknown id is looked up as a name",
            {"export", "--palette", "99999999-2222-4222-8222-222222222222", "--as", "css",
             "--library", "{library}"},
            "not found");
        bad("FIFO library", {"history", "--library", "{fifo}"}, "not a regular file");
    }
    void commands() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, text);
        // "{NAME}" is the file NAME.json of the test's folder.
        for (QString &argument : arguments) {
            if (argument.startsWith(u'{'))
                argument = m_dir->filePath(u"files/%1.json"_s.arg(argument.mid(1).chopped(1)));
        }
        const Run result = run(arguments);
        QCOMPARE(result.exitCode, status);
        if (status == 0) {
            QCOMPARE(result.err, QString());
            QCOMPARE(result.out, text);
            return;
        }
        QCOMPARE(result.out, QString());
        QVERIFY2(result.err.startsWith(u"chromet: "_s) && result.err.count(u'\n') == 1 &&
                     result.err.endsWith(u'\n') && result.err.contains(text),
                 qPrintable(result.err));
    }
    // Without --as, every format with its label.
    void formatEveryLabel() {
        const Run result = run({u"format"_s, u"#336699"_s});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out.count(u'\n'), 10);
        QVERIFY2(result.out.startsWith(u"HEX: #336699\nRGB: rgb(51 102 153)\n"_s) &&
                     result.out.endsWith(u"\nTailwind class: sky-700 ≈\n"_s),
                 qPrintable(result.out));
    }
    // The library in XDG_DATA_HOME is read but never made, changed or moved, corrupt or not.
    void defaultLibraryIsOnlyRead() {
        const QString path = m_dataHome + u"/Chromet/library.json"_s;
        const QStringList exportKit{u"export"_s, u"--palette"_s, u"Brand Kit"_s, u"--as"_s,
                                    u"css"_s};
        QStringList before = snapshot(m_dir->path());
        Run result = run({u"history"_s});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QString());
        QCOMPARE(run(exportKit).exitCode, 2);
        QCOMPARE(snapshot(m_dir->path()), before);

        QVERIFY(writeAll(path, libraryJson));
        QCOMPARE(run({u"history"_s}).out, history);
        QCOMPARE(run(exportKit).out, brandKitCss);

        QVERIFY(writeAll(path, "{}"));
        before = snapshot(m_dir->path());
        for (const QStringList &command : {QStringList{u"history"_s}, exportKit}) {
            result = run(command);
            QCOMPARE(result.exitCode, 2);
            QVERIFY2(result.err.contains(u"corrupt"_s), qPrintable(result.err));
        }
        QCOMPARE(snapshot(m_dir->path()), before);
    }
    // QCoreApplication adopts the user's locale for the C library; numbers read and written must
    // still use a period.
    void decimalCommaLocale() {
        const DecimalCommaLocale locale;
        if (!locale.isActive())
            QSKIP(DecimalCommaLocale::unavailable);
        QCOMPARE(run({u"format"_s, u"0.2,0.4,0.6"_s, u"--as"_s, u"swiftUI"_s}).out,
                 u"Color(red: 0.200, green: 0.400, blue: 0.600)\n"_s);
        QVERIFY(run({u"contrast"_s, u"0.5,0.5,0.5"_s, u"#fff"_s}).out.startsWith(u"3.98:1\n"_s));
    }
    // The executable hands its arguments to the command line; `pick` with no instance to ask and
    // no display to pick on says so.
    void executable_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("output"); // stdout at status 0, else stderr
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << QByteArray("chromet " CHROMET_EXPECTED_VERSION
                                               " (" CHROMET_EXPECTED_BUILD_NUMBER ")\n");
        QTest::newRow("pick") << QStringList{"pick"} << 1
                              << QByteArray("chromet: Chromet is not running and no display is "
                                            "reachable\n");
    }
    void executable() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, output);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"})
            env.remove(QString::fromLatin1(name));
        env.insert(u"XDG_RUNTIME_DIR"_s, m_dir->path());
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(CHROMET_EXECUTABLE), arguments);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), status);
        QCOMPARE(status ? process.readAllStandardError() : process.readAllStandardOutput(), output);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_dataHome;
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_CommandLine.moc"
