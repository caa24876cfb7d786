#include "Chromet/App/DialogModalPresenter.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
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
        if (!QTest::qWaitFor([&dialog] {
                dialog = QApplication::activeModalWidget();
                return dialog && dialog->isVisible();
            }))
            return; // the test then fails on the dialog's answer
        inspect(dialog);
        answer(dialog);
    });
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
    void init() {
        QPixmap pixmap(64, 64);
        pixmap.fill(Qt::darkCyan);
        m_icon = QIcon(pixmap);
    }
    // The headline stands out; Escape chooses the last button.
    void alert() {
        DialogModalPresenter presenter(m_icon);
        const AlertSpec alert{u"Delete “Brand”?"_s,
                              u"Its 4 colors are removed too."_s,
                              {u"Delete"_s, u"Cancel"_s},
                              0};
        bool inspected = false;
        whenShown(
            [&](QWidget *dialog) {
                QVERIFY(qobject_cast<QMessageBox *>(dialog));
                QLabel *headline = labelWithText(dialog, alert.messageText);
                QVERIFY(headline && labelWithText(dialog, alert.informativeText));
                QVERIFY(headline->font().bold());
                inspected = true;
            },
            [](QWidget *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QCOMPARE(presenter.runAlert(alert), 1);
        QVERIFY(inspected);
    }
    void namePromptProposesTheNameAndAnswersTheField() {
        DialogModalPresenter presenter(m_icon);
        const NamePromptSpec prompt{u"New Palette"_s, u"Name the palette."_s, u"Palette 2"_s,
                                    u"Create"_s};
        whenShown(
            [&](QWidget *dialog) {
                QVERIFY(labelWithText(dialog, prompt.title));
                auto *field = dialog->findChild<QLineEdit *>();
                QVERIFY(field);
                QCOMPARE(field->text(), prompt.defaultName);
                field->setText(u"Brand"_s);
            },
            [&](QWidget *dialog) {
                for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
                    if (button->text() == prompt.confirmTitle)
                        button->click();
                }
            });
        QCOMPARE(presenter.promptForName(prompt), std::optional<QString>(u"Brand"_s));
    }

private:
    QIcon m_icon;
};

QTEST_MAIN(tst_DialogModalPresenter)
#include "tst_DialogModalPresenter.moc"
