#include "OrinSettings/LaunchAtLogin.h"
#include "OrinSettings/XdgAutostartLoginItem.h"
#include "Support/FakeLoginItemService.h"
#include "Support/TestFiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray systemEntry = "[Desktop Entry]\nType=Application\nName=Picker\nExec=/usr/bin/"
                               "picker\n";

} // namespace

// Start at login: the switch's model over a login-item service, and the service that writes a
// desktop autostart entry, in private configuration folders.
class tst_LoginItem : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_home;
    QString m_system;
    XdgAutostartLoginItem item() const {
        return XdgAutostartLoginItem(u"picker"_s, u"Picker"_s, u"/opt/picker/bin/picker"_s);
    }
    QString systemEntryPath() const { return m_system + u"/autostart/picker.desktop"_s; }

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

    // The switch follows the system's login-item state. A refused change springs back to what
    // the system reports, is logged once and leaves the reason in lastError().
    void switchFollowsTheSystem() {
        auto service = std::make_shared<FakeLoginItemService>();
        service->registered = true;
        QStringList log;
        LaunchAtLogin model(service, [&](const QString &line) { log.append(line); });
        QVERIFY(model.isEnabled());
        QSignalSpy changed(&model, &LaunchAtLogin::isEnabledChanged);
        service->registered = false; // removed outside the application
        model.refresh();
        model.refresh();
        QVERIFY(!model.isEnabled());
        QCOMPARE(changed.count(), 1);
        model.setEnabled(true);
        model.setEnabled(false);
        QCOMPARE(service->requests, (QList<bool>{true, false}));
        QVERIFY(!service->registered);
        QVERIFY(log.isEmpty());

        service->refuse = true;
        service->requests.clear();
        changed.clear();
        // A view bound to the switch writes back every value it is shown, the reverted one too.
        connect(&model, &LaunchAtLogin::isEnabledChanged, &model,
                [&model](bool enabled) { model.setEnabled(enabled); });
        model.setEnabled(true);
        QVERIFY(!model.isEnabled());
        QCOMPARE(changed.count(), 2); // on, then back off
        QCOMPARE(service->requests, QList<bool>{true});
        QCOMPARE(model.lastError(), u"Operation not permitted."_s);
        QCOMPARE(log.size(), 1);

        service->refuse = false;
        QSignalSpy errorChanged(&model, &LaunchAtLogin::lastErrorChanged);
        model.setEnabled(true);
        QVERIFY(model.isEnabled());
        QVERIFY(!model.lastError());
        QCOMPARE(errorChanged.count(), 1);
        // Refused, but registered elsewhere meanwhile: the system's state wins.
        service->refuse = true;
        model.setEnabled(false);
        QVERIFY(model.isEnabled());
        QVERIFY(model.lastError());
        QCOMPARE(log.size(), 2);
    }

    void entryPaths() {
        QCOMPARE(item().userEntryPath(), m_home + u"/autostart/picker.desktop"_s);
        QCOMPARE(item().systemEntryPaths(),
                 (QStringList{m_dir->filePath(u"none"_s) + u"/autostart/picker.desktop"_s,
                              systemEntryPath()}));
        // A relative value is ignored, as the base directory rules say.
        qputenv("XDG_CONFIG_HOME", "relative/config");
        qputenv("XDG_CONFIG_DIRS", "");
        QCOMPARE(item().userEntryPath(), QDir::homePath() + u"/.config/autostart/picker.desktop"_s);
        QCOMPARE(item().systemEntryPaths(), QStringList{u"/etc/xdg/autostart/picker.desktop"_s});
    }
    void enableAndDisable() {
        XdgAutostartLoginItem login = item();
        QVERIFY(!login.isEnabled());
        QVERIFY(!login.setEnabled(true));
        QVERIFY(!login.setEnabled(true)); // again: still one valid entry
        QVERIFY(login.isEnabled());
        const auto entry = XdgAutostartLoginItem::readEntry(login.userEntryPath());
        QVERIFY(entry);
        QCOMPARE(entry->value(u"Type"_s), u"Application"_s);
        QCOMPARE(entry->value(u"Name"_s), u"Picker"_s);
        QCOMPARE(entry->value(u"Exec"_s), u"/opt/picker/bin/picker"_s);
        QVERIFY(!entry->contains(u"Hidden"_s));
        QVERIFY(!login.setEnabled(false));
        QVERIFY(!QFileInfo::exists(login.userEntryPath()));
        QVERIFY(!login.isEnabled());
        QVERIFY(!login.setEnabled(false)); // nothing to remove is no failure

        // A system-wide entry is masked by one of the user's, and left alone.
        QVERIFY(writeAll(systemEntryPath(), systemEntry));
        QVERIFY(login.isEnabled());
        QVERIFY(!XdgAutostartLoginItem(u"other"_s, u"Other"_s, u"/usr/bin/other"_s).isEnabled());
        QVERIFY(!login.setEnabled(false));
        QVERIFY(!login.isEnabled());
        QCOMPARE(XdgAutostartLoginItem::readEntry(login.userEntryPath())->value(u"Hidden"_s),
                 u"true"_s);
        QCOMPARE(readAll(systemEntryPath()), systemEntry);
        // On again: the user's entry replaces the mask.
        QVERIFY(!login.setEnabled(true));
        QVERIFY(login.isEnabled());
        QVERIFY(!XdgAutostartLoginItem::readEntry(login.userEntryPath())->contains(u"Hidden"_s));
    }
    void switchedOffEntries() {
        for (const auto &[contents, enabled] :
             {std::pair{QByteArray("[Desktop Entry]\nExec=/x\n"), true},
              {QByteArray("[Desktop Entry]\nExec=/x\nHidden=true\n"), false},
              {QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n"), false},
              {QByteArray("[Desktop Entry]\nExec=/x\n[Desktop Action x]\nHidden=true\n"), true},
              {QByteArray("[Desktop Entry]\nHidden = true\n"), false}}) {
            QVERIFY(writeAll(item().userEntryPath(), contents));
            QVERIFY2(item().isEnabled() == enabled, contents.constData());
        }
    }
    void execValueQuotesReservedCharacters() {
        for (const auto &[program, value] :
             {std::pair{u"/usr/bin/picker"_s, u"/usr/bin/picker"_s},
              {u"/opt/My Apps/picker"_s, u"\"/opt/My Apps/picker\""_s},
              {u"/opt/a$b\"c/p"_s, u"\"/opt/a\\\\$b\\\\\"c/p\""_s},
              {u"/opt/100%/p"_s, u"/opt/100%%/p"_s},
              {u"/opt/a\\b/p"_s, u"\"/opt/a\\\\\\\\b/p\""_s}})
            QCOMPARE(XdgAutostartLoginItem::execValue(program), value);
    }
    // A regular file where the autostart folder belongs stops everyone, root included; so does a
    // folder where the entry belongs.
    void refusedWhenSomethingStandsInTheWay() {
        QVERIFY(writeAll(m_home + u"/autostart"_s, "not a folder"));
        XdgAutostartLoginItem login = item();
        const auto error = login.setEnabled(true);
        QVERIFY(error);
        QVERIFY(!error->localizedDescription.isEmpty());
        QVERIFY2(error->description.contains(m_home + u"/autostart"_s),
                 qPrintable(error->description));
        QVERIFY(!login.isEnabled());

        QVERIFY(QFile::remove(m_home + u"/autostart"_s));
        QVERIFY(QDir().mkpath(login.userEntryPath() + u"/inside"_s));
        QVERIFY(login.setEnabled(true));
        QVERIFY(!login.isEnabled());
    }
    void adoptsTheEntryOfTheOldId() {
        const QString old = m_home + u"/autostart/old.picker.desktop"_s;
        const auto exec = [this] {
            return XdgAutostartLoginItem::readEntry(item().userEntryPath())->value(u"Exec"_s);
        };
        QVERIFY(writeAll(old, systemEntry));
        QVERIFY(item().adoptUserEntry(u"old.picker"_s));
        QVERIFY(!QFileInfo::exists(old));
        QCOMPARE(exec(), u"/usr/bin/picker"_s);
        QVERIFY(!item().adoptUserEntry(u"old.picker"_s));
        // Both there: the new entry wins, the old one goes.
        QVERIFY(writeAll(item().userEntryPath(), "[Desktop Entry]\nExec=/new\n"));
        QVERIFY(writeAll(old, systemEntry));
        QVERIFY(item().adoptUserEntry(u"old.picker"_s));
        QVERIFY(!QFileInfo::exists(old));
        QCOMPARE(exec(), u"/new"_s);
    }
    void plantedLinkIsReplacedNotWrittenThrough_data() {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<bool>("fifo"); // else a link to a file
        QTest::newRow("enable over a link to a file") << true << false;
        QTest::newRow("mask over a link to a file") << false << false;
        QTest::newRow("enable over a FIFO") << true << true;
    }
    void plantedLinkIsReplacedNotWrittenThrough() {
        QFETCH(bool, enable);
        QFETCH(bool, fifo);
        XdgAutostartLoginItem login = item();
        QVERIFY(QDir().mkpath(m_home + u"/autostart"_s));
        const QString victim = m_dir->filePath(u"victim"_s);
        QVERIFY(writeAll(victim, "precious"));
        if (fifo) {
            QCOMPARE(::mkfifo(QFile::encodeName(login.userEntryPath()).constData(), 0600), 0);
            QVERIFY(!login.isEnabled()); // neither hangs nor takes it for an entry
        } else {
            QVERIFY(QFile::link(victim, login.userEntryPath()));
        }
        if (!enable)
            QVERIFY(writeAll(systemEntryPath(), systemEntry));
        QVERIFY(!login.setEnabled(enable));
        QCOMPARE(login.isEnabled(), enable);
        QVERIFY(!QFileInfo(login.userEntryPath()).isSymLink());
        QVERIFY(XdgAutostartLoginItem::readEntry(login.userEntryPath()));
        QCOMPARE(readAll(victim), QByteArray("precious"));
        QCOMPARE(QDir(m_home + u"/autostart"_s).entryList(QDir::Files | QDir::System),
                 QStringList{u"picker.desktop"_s});
    }
};

QTEST_GUILESS_MAIN(tst_LoginItem)
#include "tst_LoginItem.moc"
