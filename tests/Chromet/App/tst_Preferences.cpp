#include "Chromet/App/NotificationCenter.h"
#include "Chromet/App/Preferences.h"
#include "Support/TestFiles.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const HotKeyCombo controlOptionC{8, 0x1800};
const HotKeyCombo commandShiftX{7, HotKeyCombo::cmdKey | HotKeyCombo::shiftKey};

// What another reader of the file sees now.
QVariant storedValue(const QString &path, const QString &key) {
    return QSettings(path, QSettings::IniFormat).value(key);
}

} // namespace

class tst_Preferences : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
        m_path = Preferences::defaultPath();
    }

    void sharedInstanceLivesUnderXdgConfigHomeAndWritesNothing() {
        QCOMPARE(m_path, m_dir->path() + u"/Chromet/Chromet.conf"_s);
        QCOMPARE(Preferences::shared().path(), m_path);
        QVERIFY(!QFileInfo::exists(QFileInfo(m_path).path()));
    }
    void readsStoredValues_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<HotKeyCombo>("hotKey");
        QTest::addColumn<bool>("flags"); // showDockIcon, hasCompletedOnboarding and lowercaseHex
        QTest::addColumn<ColorFormat>("format");
        const auto row = [](const char *name, const QByteArray &line) -> QTestData & {
            return QTest::newRow(name) << QByteArray("[General]\n" + line + '\n');
        };
        const HotKeyCombo c = controlOptionC;
        const ColorFormat hex = ColorFormat::hex;
        row("defaultFormat wrong case", "defaultFormat=HEX") << c << false << hex;
        row("defaultFormat swiftUIP3", "defaultFormat=swiftUIP3")
            << c << false << ColorFormat::swiftUIP3;
        row("hotKey as text", "hotKey=\"{\\\"keyCode\\\":7,\\\"modifiers\\\":768}\"")
            << commandShiftX << false << hex;
        row("hotKey as bytes", "hotKey=\"@ByteArray({\\\"keyCode\\\":7,\\\"modifiers\\\":768})\"")
            << commandShiftX << false << hex;
        row("hotKey not JSON", "hotKey=garbage") << c << false << hex;
        // Unquoted, the comma splits the value into a list.
        row("hotKey unquoted", "hotKey={\"keyCode\":7,\"modifiers\":768}") << c << false << hex;
        const auto flags = [](const QByteArray &value) -> QByteArray {
            return "showDockIcon=" + value + "\nhasCompletedOnboarding=" + value +
                   "\nlowercaseHex=" + value;
        };
        row("flags true", flags("true")) << c << true << hex;
        row("flags 1", flags("1")) << c << true << hex;
        row("flags yes", flags("yes")) << c << false << hex;
    }
    void readsStoredValues() {
        QFETCH(QByteArray, file);
        QFETCH(HotKeyCombo, hotKey);
        QFETCH(bool, flags);
        QFETCH(ColorFormat, format);
        QVERIFY(writeAll(m_path, file));
        Preferences prefs(m_path);
        QCOMPARE(prefs.hotKey(), hotKey);
        QCOMPARE(prefs.showDockIcon(), flags);
        QCOMPARE(prefs.hasCompletedOnboarding(), flags);
        QCOMPARE(prefs.lowercaseHex(), flags);
        QCOMPARE(prefs.defaultFormat(), format);
        QCOMPARE(readAll(m_path), file);
    }
    // An unreadable shortcut stays in the file until one is assigned, even the default.
    void corruptHotKeyStaysUntilAssigned() {
        QVERIFY(writeAll(m_path, "[General]\nhotKey=garbage\n"));
        Preferences prefs(m_path);
        prefs.setShowDockIcon(true);
        QCOMPARE(storedValue(m_path, u"hotKey"_s), QVariant(u"garbage"_s));
        prefs.setHotKey(controlOptionC);
        QCOMPARE(storedValue(m_path, u"hotKey"_s).toByteArray(), controlOptionC.toJsonBytes());
    }
    // Every assignment is written at once, read back by the next reader, and only a change
    // signals. The shortcut posts its notification at every assignment, so the registration can
    // put a refused one back.
    void assignmentsWriteThroughAndChangesSignal() {
        Preferences prefs(m_path);
        QSignalSpy posted(&NotificationCenter::instance(), &NotificationCenter::posted);
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const char *signal :
             {SIGNAL(showDockIconChanged(bool)), SIGNAL(lowercaseHexChanged(bool)),
              SIGNAL(hasCompletedOnboardingChanged(bool)),
              SIGNAL(defaultFormatChanged(ColorFormat)), SIGNAL(hotKeyChanged(HotKeyCombo))})
            spies.push_back(std::make_unique<QSignalSpy>(&prefs, signal));
        const auto assign = [&](bool on) {
            prefs.setShowDockIcon(on);
            prefs.setLowercaseHex(on);
            prefs.setHasCompletedOnboarding(on);
            prefs.setDefaultFormat(on ? ColorFormat::oklch : ColorFormat::hex);
            prefs.setHotKey(on ? commandShiftX : controlOptionC);
        };
        assign(false);
        QVERIFY(storedValue(m_path, u"lowercaseHex"_s).isValid());
        assign(true);
        assign(true);
        for (const auto &spy : spies)
            QCOMPARE(spy->count(), 1);
        QCOMPARE(posted.count(), 3);
        QCOMPARE(posted.at(0).at(0).toString(), u"ChrometHotKeyChanged"_s);
        const Preferences reread(m_path);
        QVERIFY(reread.showDockIcon() && reread.lowercaseHex() && reread.hasCompletedOnboarding());
        QCOMPARE(reread.defaultFormat(), ColorFormat::oklch);
        QCOMPARE(reread.hotKey(), commandShiftX);
        // Readable in the file: the format's name and exactly the encoder's bytes.
        QCOMPARE(storedValue(m_path, u"defaultFormat"_s), QVariant(u"oklch"_s));
        QVERIFY(readAll(m_path).contains("hotKey=\"{\\\"keyCode\\\":7,\\\"modifiers\\\":768}\""));
    }
    // The shortcut registration puts a refused combination back from within the notification; a
    // view may do the same from the change signal.
    void observerReassigningLeavesNewestInFile_data() {
        QTest::addColumn<bool>("fromNotification");
        QTest::addRow("from the notification") << true;
        QTest::addRow("from the change signal") << false;
    }
    void observerReassigningLeavesNewestInFile() {
        QFETCH(bool, fromNotification);
        Preferences prefs(m_path);
        bool reassigned = false;
        const auto putBack = [&] {
            if (!std::exchange(reassigned, true))
                prefs.setHotKey(controlOptionC);
        };
        if (fromNotification)
            connect(&NotificationCenter::instance(), &NotificationCenter::posted, &prefs, putBack);
        else
            connect(&prefs, &Preferences::hotKeyChanged, &prefs, putBack);
        prefs.setHotKey(commandShiftX);
        QCOMPARE(prefs.hotKey(), controlOptionC);
        QCOMPARE(Preferences(m_path).hotKey(), controlOptionC);
    }
    // A directory where the file belongs stops root as well.
    void unwritableFileKeepsValuesForTheRun() {
        QVERIFY(QDir().mkpath(m_path));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Chromet: failed to read settings"));
        Preferences prefs(m_path);
        QSignalSpy changed(&prefs, &Preferences::showDockIconChanged);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Chromet: failed to save settings"));
        prefs.setShowDockIcon(true);
        QCOMPARE(prefs.showDockIcon(), true);
        QCOMPARE(changed.count(), 1);
        QVERIFY(QFileInfo(m_path).isDir());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(tst_Preferences)
#include "tst_Preferences.moc"
