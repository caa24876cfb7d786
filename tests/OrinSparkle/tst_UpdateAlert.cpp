#include "OrinSparkle/UpdateAlert.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

class tst_UpdateAlert : public QObject {
    Q_OBJECT

    static QMessageBox *shownBox() {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
                return box;
        }
        return nullptr;
    }

    static QPushButton *button(QMessageBox *box, const QString &text) {
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == text)
                return qobject_cast<QPushButton *>(button);
        }
        return nullptr;
    }

private Q_SLOTS:
    void init() { QDesktopServices::setUrlHandler("https", &m_catcher, "open"); }
    void cleanup() {
        QDesktopServices::unsetUrlHandler("https");
        m_catcher.opened.clear();
        for (QWidget *widget : QApplication::topLevelWidgets())
            widget->close();
        QTest::qWait(0);
    }

    void newVersionOffersItsReleaseNotes() {
        showUpdateAlert({UpdateDialog::Kind::updateAvailable,
                         "A new version of Chromet is available",
                         "Chromet 1.1 (31) is available; you have 1.0 (27).",
                         QUrl("https://example.org/notes"), "Show Release Notes"});
        QMessageBox *box = shownBox();
        QVERIFY(box);
        QCOMPARE(box->text(), "A new version of Chromet is available");
        QCOMPARE(box->informativeText(), "Chromet 1.1 (31) is available; you have 1.0 (27).");
        QPushButton *notes = button(box, "Show Release Notes");
        QVERIFY(notes);
        QVERIFY(button(box, "Later"));
        QCOMPARE(box->defaultButton(), notes);
        QPointer<QMessageBox> guard(box);
        notes->click();
        QCOMPARE(m_catcher.opened, QList<QUrl>{QUrl("https://example.org/notes")});
        // The box closes and goes away.
        QTRY_VERIFY(!guard);
    }

    void failureIsAWarningWithOnlyOk() {
        showUpdateAlert({UpdateDialog::Kind::failed,
                         "Could not check for updates",
                         "The update feed lists no versions.",
                         {},
                         {}});
        QMessageBox *box = shownBox();
        QVERIFY(box);
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->standardButton(box->buttons().first()), QMessageBox::Ok);
    }

private:
    UrlCatcher m_catcher;
};

QTEST_MAIN(tst_UpdateAlert)
#include "tst_UpdateAlert.moc"
