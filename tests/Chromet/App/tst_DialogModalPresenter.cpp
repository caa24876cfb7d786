#include "Chromet/App/DialogModalPresenter.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Runs `inspect` on the modal dialog once it is on screen, then `answer`s it, even when a check
// in `inspect` failed, so the dialog never stays open.
void whenShown(const std::function<void(QWidget *)> &inspect,
               const std::function<void(QWidget *)> &answer) {
    QTimer::singleShot(0, qApp, [inspect, answer] {
        QWidget *dialog = nullptr;
        const bool shown = QTest::qWaitFor([&dialog] {
            dialog = QApplication::activeModalWidget();
            return dialog && dialog->isVisible();
        });
        if (!shown)
            return; // the test then fails on the dialog's answer
        inspect(dialog);
        answer(dialog);
    });
}

QIcon someIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::darkCyan);
    return QIcon(pixmap);
}

QLabel *labelWithText(QWidget *dialog, const QString &text) {
    for (QLabel *label : dialog->findChildren<QLabel *>()) {
        if (label->isVisible() && label->text() == text)
            return label;
    }
    return nullptr;
}

} // namespace

// The real dialogs, as a user sees them.
class tst_DialogModalPresenter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void alertWrapsItsTextWideAndStressesTheHeadline() {
        DialogModalPresenter presenter(someIcon());
        AlertSpec alert;
        alert.messageText = u"Delete “Brand”?"_s;
        alert.informativeText = u"Its 4 colors are removed too. History isn't affected."_s;
        alert.buttons = {u"Delete"_s, u"Cancel"_s};
        alert.destructiveButton = 0;

        bool inspected = false;
        whenShown(
            [&](QWidget *dialog) {
                auto *box = qobject_cast<QMessageBox *>(dialog);
                QVERIFY(box);
                QLabel *headline = labelWithText(box, alert.messageText);
                QLabel *details = labelWithText(box, alert.informativeText);
                QVERIFY(headline && details);
                QVERIFY(headline->font().bold());
                inspected = true;
            },
            [](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->reject(); });
        // Escape (reject) chooses the last button.
        QCOMPARE(presenter.runAlert(alert), 1);
        QVERIFY(inspected);
    }
    void namePromptHasTheAlertsIconAndAnswersTheField() {
        DialogModalPresenter presenter(someIcon());
        const NamePromptSpec prompt{u"New Palette"_s, u"Name the palette."_s, u"Palette 2"_s,
                                    u"Create"_s};

        whenShown(
            [&](QWidget *dialog) {
                QVERIFY(labelWithText(dialog, prompt.title));
                auto *field = dialog->findChild<QLineEdit *>();
                QVERIFY(field);
                QCOMPARE(field->text(), prompt.defaultName);
            },
            [&](QWidget *dialog) {
                if (auto *field = dialog->findChild<QLineEdit *>())
                    field->setText(u"Brand"_s);
                for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
                    if (button->text() == prompt.confirmTitle)
                        button->click();
                }
            });
        QCOMPARE(presenter.promptForName(prompt), std::optional<QString>(u"Brand"_s));
    }
};

QTEST_MAIN(tst_DialogModalPresenter)
#include "tst_DialogModalPresenter.moc"
