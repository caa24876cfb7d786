#include "OrinUpdates/LinkUpdater.h"

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QTest>
#include <QUrl>

// Stands in for the desktop's default handler of https addresses.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

class tst_LinkUpdater : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QDesktopServices::setUrlHandler("https", &m_catcher, "open"); }
    void cleanup() {
        QDesktopServices::unsetUrlHandler("https");
        m_catcher.opened.clear();
    }

    void offersNoUpdateCommand() {
        const LinkUpdater updater(QUrl("https://example.org/changelog"));
        const Updater &asInterface = updater;
        QVERIFY(!asInterface.isAvailable());
    }

    void checkOpensTheReleaseNotesEveryTime() {
        LinkUpdater updater(QUrl("https://example.org/changelog"));
        Updater &asInterface = updater;
        asInterface.checkForUpdates();
        asInterface.checkForUpdates();
        QCOMPARE(m_catcher.opened, (QList<QUrl>{QUrl("https://example.org/changelog"),
                                                QUrl("https://example.org/changelog")}));
    }

private:
    UrlCatcher m_catcher;
};

QTEST_MAIN(tst_LinkUpdater)
#include "tst_LinkUpdater.moc"
