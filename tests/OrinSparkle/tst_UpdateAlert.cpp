#include "OrinSparkle/UpdateAlert.h"
#include "OrinUpdates/BundleInfo.h"
#include "OrinUpdates/LinkUpdater.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// Stands in for the desktop's default handler of https addresses.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

// What the user meets of an update check: the feed updater's alert, or the release notes that
// the plain updater opens, and the version text both show.
class tst_UpdateAlert : public QObject {
    Q_OBJECT

    static QMessageBox *shownBox() {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
                return box;
        }
        return nullptr;
    }

    static QAbstractButton *button(QMessageBox *box, const QString &text) {
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == text)
                return button;
        }
        return nullptr;
    }

    UrlCatcher m_catcher;

private Q_SLOTS:
    void init() { QDesktopServices::setUrlHandler(u"https"_s, &m_catcher, "open"); }
    void cleanup() {
        QDesktopServices::unsetUrlHandler(u"https"_s);
        m_catcher.opened.clear();
        for (QWidget *widget : QApplication::topLevelWidgets())
            widget->close();
        QTest::qWait(0);
    }

    void newVersionOffersItsReleaseNotes() {
        showUpdateAlert({UpdateDialog::Kind::updateAvailable, u"A new version"_s, u"1.1 is out."_s,
                         QUrl(u"https://example.org/notes"_s), u"Show Release Notes"_s});
        QMessageBox *box = shownBox();
        QVERIFY(box);
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->text(), u"A new version"_s);
        QCOMPARE(box->informativeText(), u"1.1 is out."_s);
        QAbstractButton *notes = button(box, u"Show Release Notes"_s);
        QVERIFY(button(box, u"Later"_s));
        QCOMPARE(box->defaultButton(), notes);
        QPointer<QMessageBox> guard(box);
        notes->click();
        QCOMPARE(m_catcher.opened, QList<QUrl>{QUrl(u"https://example.org/notes"_s)});
        QTRY_VERIFY(!guard); // closed and gone
    }
    void failureIsAWarningWithOnlyOk() {
        showUpdateAlert(
            {UpdateDialog::Kind::failed, u"Could not check"_s, u"No versions."_s, {}, {}});
        QMessageBox *box = shownBox();
        QVERIFY(box);
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->standardButton(box->buttons().first()), QMessageBox::Ok);
    }
    void linkUpdaterOpensTheReleaseNotesEveryTime() {
        LinkUpdater updater(QUrl(u"https://example.org/changelog"_s));
        QVERIFY(!updater.isAvailable()); // no update command is offered
        updater.checkForUpdates();
        updater.checkForUpdates();
        QCOMPARE(m_catcher.opened, QList<QUrl>(2, QUrl(u"https://example.org/changelog"_s)));
    }
    void versionText() {
        QCOMPARE(BundleInfo::formatVersion(QString(), QString()), u"dev (0)"_s);
        QCOMPARE(BundleInfo::formatVersion(u""_s, u"27"_s), u"dev (27)"_s);
    }
};

QTEST_MAIN(tst_UpdateAlert)
#include "tst_UpdateAlert.moc"
