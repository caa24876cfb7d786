#include "OrinSettings/XdgAutostartLoginItem.h"
#include "Support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray systemEntry = "[Desktop Entry]\nType=Application\nName=Picker\nExec=/usr/bin/"
                               "picker\n";

} // namespace

// Start at login through a desktop autostart entry, in private configuration folders.
class tst_XdgAutostartLoginItem : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_home = m_dir->filePath(u"config"_s);
        m_system = m_dir->filePath(u"xdg"_s);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home));
        qputenv("XDG_CONFIG_DIRS",
                QFile::encodeName(m_dir->filePath(u"none"_s) + QLatin1Char(':') + m_system));
    }
    void cleanup() { m_dir.reset(); }
    void paths() {
        QCOMPARE(item().userEntryPath(), m_home + "/autostart/picker.desktop");
        QCOMPARE(item().systemEntryPaths(),
                 (QStringList{m_dir->filePath("none") + "/autostart/picker.desktop",
                              m_system + "/autostart/picker.desktop"}));
        // A relative value is ignored, as the base directory rules say.
        qputenv("XDG_CONFIG_HOME", "relative/config");
        qputenv("XDG_CONFIG_DIRS", "");
        QCOMPARE(item().userEntryPath(), QDir::homePath() + "/.config/autostart/picker.desktop");
        QCOMPARE(item().systemEntryPaths(), QStringList{"/etc/xdg/autostart/picker.desktop"});
    }
    void enableWritesAnEntryRunningTheExecutable() {
        XdgAutostartLoginItem login = item();
        QVERIFY(!login.isEnabled());
        QVERIFY(!login.setEnabled(true));
        QVERIFY(login.isEnabled());
        const auto entry = XdgAutostartLoginItem::readEntry(login.userEntryPath());
        QVERIFY(entry);
        QCOMPARE(entry->value("Type"), u"Application"_s);
        QCOMPARE(entry->value("Name"), u"Picker"_s);
        QCOMPARE(entry->value("Exec"), u"/opt/picker/bin/picker"_s);
        QVERIFY(!entry->contains("Hidden"));
        // Enabling again leaves one valid entry.
        QVERIFY(!login.setEnabled(true));
        QVERIFY(login.isEnabled());
    }
    void disableRemovesTheUsersEntry() {
        XdgAutostartLoginItem login = item();
        QVERIFY(!login.setEnabled(true));
        QVERIFY(!login.setEnabled(false));
        QVERIFY(!QFileInfo::exists(login.userEntryPath()));
        QVERIFY(!login.isEnabled());
        // Nothing to remove is no failure.
        QVERIFY(!login.setEnabled(false));
    }
    void disableMasksASystemWideEntry() {
        XdgAutostartLoginItem login = item();
        QVERIFY(writeAll(m_system + "/autostart/picker.desktop", systemEntry));
        QVERIFY(login.isEnabled());
        // A different application's entry does not count for this one.
        QVERIFY(!XdgAutostartLoginItem(u"other"_s, u"Other"_s, u"/usr/bin/other"_s).isEnabled());
        QVERIFY(!login.setEnabled(false));
        QVERIFY(!login.isEnabled());
        const auto entry = XdgAutostartLoginItem::readEntry(login.userEntryPath());
        QVERIFY(entry);
        QCOMPARE(entry->value("Hidden"), u"true"_s);
        // The system's file is not ours to touch.
        QVERIFY(QFileInfo::exists(m_system + "/autostart/picker.desktop"));
        // On again: the user's entry replaces the mask.
        QVERIFY(!login.setEnabled(true));
        QVERIFY(login.isEnabled());
        QVERIFY(!XdgAutostartLoginItem::readEntry(login.userEntryPath())->contains("Hidden"));
    }
    void switchedOffEntries_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("plain") << QByteArray("[Desktop Entry]\nExec=/x\n") << true;
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nExec=/x\nHidden=true\n") << false;
        QTest::newRow("gnome off")
            << QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n") << false;
        QTest::newRow("hidden in another group")
            << QByteArray("[Desktop Entry]\nExec=/x\n[Desktop Action x]\nHidden=true\n") << true;
        QTest::newRow("spaces around =") << QByteArray("[Desktop Entry]\nHidden = true\n") << false;
    }
    void switchedOffEntries() {
        QFETCH(QByteArray, contents);
        QFETCH(bool, enabled);
        QVERIFY(writeAll(item().userEntryPath(), contents));
        QCOMPARE(item().isEnabled(), enabled);
    }
    void execValueQuotesReservedCharacters_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("value");
        const auto row = [](const char *name, const QString &program, const QString &value) {
            QTest::newRow(name) << program << value;
        };
        row("plain", u"/usr/bin/picker"_s, u"/usr/bin/picker"_s);
        row("space", u"/opt/My Apps/picker"_s, u"\"/opt/My Apps/picker\""_s);
        row("dollar and quote", u"/opt/a$b\"c/p"_s, u"\"/opt/a\\\\$b\\\\\"c/p\""_s);
        row("percent", u"/opt/100%/p"_s, u"/opt/100%%/p"_s);
        row("backslash", u"/opt/a\\b/p"_s, u"\"/opt/a\\\\\\\\b/p\""_s);
    }
    void execValueQuotesReservedCharacters() {
        QFETCH(QString, program);
        QFETCH(QString, value);
        QCOMPARE(XdgAutostartLoginItem::execValue(program), value);
    }
    void refusedWhenAFileStandsForTheFolder() {
        // A regular file where the autostart folder belongs: no one, root included, can write
        // there.
        QVERIFY(writeAll(m_home + "/autostart", "not a folder"));
        XdgAutostartLoginItem login = item();
        const auto error = login.setEnabled(true);
        QVERIFY(error);
        QVERIFY(!error->localizedDescription.isEmpty());
        QVERIFY2(error->description.contains(m_home + "/autostart"),
                 qPrintable(error->description));
        QVERIFY(!login.isEnabled());
    }
    void refusedWhenAFolderStandsForTheEntry() {
        XdgAutostartLoginItem login = item();
        QVERIFY(QDir().mkpath(login.userEntryPath() + "/inside"));
        QVERIFY(login.setEnabled(true));
        QVERIFY(!login.isEnabled());
    }
    void adoptsTheEntryOfTheOldId_data() {
        QTest::addColumn<bool>("newExists");
        QTest::newRow("renamed") << false;
        QTest::newRow("the new entry wins") << true;
    }
    void adoptsTheEntryOfTheOldId() {
        QFETCH(bool, newExists);
        const QString old = m_home + "/autostart/old.picker.desktop";
        QVERIFY(writeAll(old, systemEntry));
        if (newExists)
            QVERIFY(writeAll(item().userEntryPath(), "[Desktop Entry]\nExec=/new\n"));
        QVERIFY(item().adoptUserEntry(u"old.picker"_s));
        QVERIFY(!QFileInfo::exists(old));
        QCOMPARE(XdgAutostartLoginItem::readEntry(item().userEntryPath())->value("Exec"),
                 newExists ? u"/new"_s : u"/usr/bin/picker"_s);
        QVERIFY(!item().adoptUserEntry(u"old.picker"_s));
    }
    void plantedLinkIsReplacedNotWrittenThrough_data() {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<QString>("target"); // empty: a FIFO stands for the entry
        QTest::newRow("enable over a link to a file") << true << u"victim"_s;
        QTest::newRow("mask over a link to a file") << false << u"victim"_s;
        QTest::newRow("enable over a FIFO") << true << QString();
    }
    void plantedLinkIsReplacedNotWrittenThrough() {
        QFETCH(bool, enable);
        QFETCH(QString, target);
        XdgAutostartLoginItem login = item();
        QVERIFY(QDir().mkpath(m_home + "/autostart"));
        const QString victim = m_dir->filePath(u"victim"_s);
        QVERIFY(writeAll(victim, "precious"));
        if (target.isEmpty())
            QCOMPARE(::mkfifo(QFile::encodeName(login.userEntryPath()).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(target == "victim" ? victim : target, login.userEntryPath()));
        if (!enable)
            QVERIFY(writeAll(m_system + "/autostart/picker.desktop", systemEntry));
        // Reading a FIFO or a device neither hangs nor takes it for an entry.
        if (target != "victim")
            QVERIFY(!login.isEnabled());
        QVERIFY(!login.setEnabled(enable));
        QCOMPARE(login.isEnabled(), enable);
        QVERIFY(!QFileInfo(login.userEntryPath()).isSymLink());
        QVERIFY(XdgAutostartLoginItem::readEntry(login.userEntryPath()));
        QCOMPARE(readAll(victim), QByteArray("precious"));
        QCOMPARE(QDir(m_home + "/autostart").entryList(QDir::Files | QDir::System),
                 QStringList{"picker.desktop"});
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_home;
    QString m_system;
    XdgAutostartLoginItem item() const {
        return XdgAutostartLoginItem(u"picker"_s, u"Picker"_s, u"/opt/picker/bin/picker"_s);
    }
};

QTEST_GUILESS_MAIN(tst_XdgAutostartLoginItem)
#include "tst_XdgAutostartLoginItem.moc"
