#include "Chromet/App/NotificationCenter.h"
#include "Chromet/App/Preferences.h"
#include "Support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <utility>

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

    void pathsHonourXdgConfigHome() {
        QCOMPARE(m_path, m_dir->path() + u"/Chromet/Chromet.conf"_s);
        // The shared instance takes the location of its first use.
        Preferences &shared = Preferences::shared();
        QCOMPARE(&Preferences::shared(), &shared);
        QCOMPARE(shared.path(), m_path);
    }
    void freshStoreHasDefaultsAndWritesNothing() {
        Preferences prefs(m_path);
        QCOMPARE(prefs.hotKey(), controlOptionC);
        QCOMPARE(prefs.showDockIcon(), false);
        QCOMPARE(prefs.hasCompletedOnboarding(), false);
        QCOMPARE(prefs.defaultFormat(), ColorFormat::hex);
        QCOMPARE(prefs.lowercaseHex(), false);
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
        row("defaultFormat wrong case", "defaultFormat=HEX")
            << controlOptionC << false << ColorFormat::hex;
        row("defaultFormat swiftUIP3", "defaultFormat=swiftUIP3")
            << controlOptionC << false << ColorFormat::swiftUIP3;
        row("hotKey as text", "hotKey=\"{\\\"keyCode\\\":7,\\\"modifiers\\\":768}\"")
            << commandShiftX << false << ColorFormat::hex;
        row("hotKey as bytes", "hotKey=\"@ByteArray({\\\"keyCode\\\":7,\\\"modifiers\\\":768})\"")
            << commandShiftX << false << ColorFormat::hex;
        row("hotKey not JSON", "hotKey=garbage") << controlOptionC << false << ColorFormat::hex;
        // Unquoted, the comma splits the value into a list.
        row("hotKey unquoted", "hotKey={\"keyCode\":7,\"modifiers\":768}")
            << controlOptionC << false << ColorFormat::hex;
        const auto flags = [](const QByteArray &value) -> QByteArray {
            return "showDockIcon=" + value + "\nhasCompletedOnboarding=" + value +
                   "\nlowercaseHex=" + value;
        };
        row("flags true", flags("true")) << controlOptionC << true << ColorFormat::hex;
        row("flags 1", flags("1")) << controlOptionC << true << ColorFormat::hex;
        row("flags yes", flags("yes")) << controlOptionC << false << ColorFormat::hex;
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
    void corruptHotKeyStaysUntilAssigned() {
        QVERIFY(writeAll(m_path, "[General]\nhotKey=garbage\n"));
        Preferences prefs(m_path);
        QCOMPARE(prefs.hotKey(), controlOptionC);

        prefs.setShowDockIcon(true);
        QCOMPARE(storedValue(m_path, u"hotKey"_s), QVariant(u"garbage"_s));

        prefs.setHotKey(controlOptionC);
        QCOMPARE(storedValue(m_path, u"hotKey"_s).toByteArray(), controlOptionC.toJsonBytes());
    }
    void equalHotKeyStoresAndPostsWithoutSignal() {
        Preferences prefs(m_path);
        QSignalSpy changed(&prefs, &Preferences::hotKeyChanged);
        QSignalSpy posted(&NotificationCenter::instance(), &NotificationCenter::posted);

        prefs.setHotKey(controlOptionC);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(posted.count(), 1);
        QCOMPARE(posted.at(0).at(0).toString(), u"ChrometHotKeyChanged"_s);
        // Exactly the encoder's bytes, readable in the file.
        QCOMPARE(storedValue(m_path, u"hotKey"_s),
                 QVariant(u"{\"keyCode\":8,\"modifiers\":6144}"_s));
        QVERIFY(readAll(m_path).contains("hotKey=\"{\\\"keyCode\\\":8,\\\"modifiers\\\":6144}\""));

        prefs.setHotKey(commandShiftX);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<HotKeyCombo>(), commandShiftX);
        QCOMPARE(posted.count(), 2);
    }
    void writesThroughAndSignalsChanges() {
        Preferences prefs(m_path);
        QSignalSpy posted(&NotificationCenter::instance(), &NotificationCenter::posted);
        // Assigns the default, then the changed value twice; `stored` is what the file then holds.
        const auto check = [&](const QString &key, auto assign, auto signal, QVariant stored) {
            QSignalSpy spy(&prefs, signal);
            assign(false);
            QCOMPARE(spy.count(), 0);
            QVERIFY(storedValue(m_path, key).isValid());
            assign(true);
            assign(true);
            QCOMPARE(spy.count(), 1);
            QCOMPARE(storedValue(m_path, key), stored);
        };
        check(
            u"showDockIcon"_s, [&](bool on) { prefs.setShowDockIcon(on); },
            &Preferences::showDockIconChanged, true);
        check(
            u"hasCompletedOnboarding"_s, [&](bool on) { prefs.setHasCompletedOnboarding(on); },
            &Preferences::hasCompletedOnboardingChanged, true);
        check(
            u"lowercaseHex"_s, [&](bool on) { prefs.setLowercaseHex(on); },
            &Preferences::lowercaseHexChanged, true);
        check(
            u"defaultFormat"_s,
            [&](bool on) { prefs.setDefaultFormat(on ? ColorFormat::oklch : ColorFormat::hex); },
            &Preferences::defaultFormatChanged, u"oklch"_s);
        QCOMPARE(posted.count(), 0);
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
        QSignalSpy posted(&NotificationCenter::instance(), &NotificationCenter::posted);

        prefs.setHotKey(commandShiftX);
        QCOMPARE(posted.count(), 2);
        QCOMPARE(prefs.hotKey(), controlOptionC);
        QCOMPARE(Preferences(m_path).hotKey(), controlOptionC);
    }
    // A directory where the file belongs stops root as well.
    void unwritableFileKeepsValuesForTheRun() {
        QVERIFY(QDir().mkpath(m_path));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Chromet: failed to read settings"));
        Preferences prefs(m_path);
        QCOMPARE(prefs.hotKey(), controlOptionC);

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
