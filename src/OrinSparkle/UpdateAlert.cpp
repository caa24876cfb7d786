#include "OrinSparkle/UpdateAlert.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

void showUpdateAlert(const UpdateDialog &dialog) {
    auto *box = new QMessageBox(
        dialog.kind == UpdateDialog::Kind::failed ? QMessageBox::Warning : QMessageBox::Information,
        dialog.title, dialog.title);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(dialog.text);
    if (!dialog.link.isEmpty()) {
        QPushButton *open = box->addButton(dialog.linkTitle, QMessageBox::AcceptRole);
        const QUrl link = dialog.link;
        QObject::connect(open, &QPushButton::clicked, box,
                         [link] { QDesktopServices::openUrl(link); });
        box->addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
        box->setDefaultButton(open);
    } else {
        box->addButton(QMessageBox::Ok);
    }
    box->show();
    box->raise();
    box->activateWindow();
}
