#include "Chromet/App/DialogModalPresenter.h"

#include "Chromet/Logging/Logging.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int iconSide = 64;

// A dialog opened from the tray has no active window to inherit the focus from; ask for it
// once the dialog is on screen.
void activateWhenShown(QWidget *dialog) {
    QTimer::singleShot(0, dialog, [dialog] {
        dialog->raise();
        dialog->activateWindow();
    });
}

} // namespace

DialogModalPresenter::DialogModalPresenter(QIcon icon)
    : m_icon(std::move(icon)) {
}

QString DialogModalPresenter::windowTitle() {
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Chromet") : name;
}

int DialogModalPresenter::runAlert(const AlertSpec &alert) {
    qCInfo(lcChromet, "Chromet: alert: %s", qUtf8Printable(alert.messageText));
    QMessageBox box;
    box.setWindowTitle(windowTitle());
    box.setWindowModality(Qt::ApplicationModal);
    box.setText(alert.messageText);
    box.setInformativeText(alert.informativeText);
    if (!m_icon.isNull()) {
        box.setWindowIcon(m_icon);
        box.setIconPixmap(m_icon.pixmap(iconSide, iconSide));
    }

    QList<QAbstractButton *> buttons;
    if (alert.buttons.isEmpty()) {
        buttons.append(box.addButton(QMessageBox::Ok));
    } else {
        // One role for all keeps them in the given order whatever the desktop's button layout.
        for (const QString &title : alert.buttons)
            buttons.append(box.addButton(title, QMessageBox::ActionRole));
    }
    if (alert.destructiveButton >= 0 && alert.destructiveButton < buttons.size()) {
        QAbstractButton *destructive = buttons.at(alert.destructiveButton);
        QPalette palette = destructive->palette();
        palette.setColor(QPalette::ButtonText, QColor(0xc0, 0x1c, 0x28));
        destructive->setPalette(palette);
    }
    box.setDefaultButton(qobject_cast<QPushButton *>(buttons.first()));
    box.setEscapeButton(buttons.last());

    activateWhenShown(&box);
    box.exec();
    const int chosen = int(buttons.indexOf(box.clickedButton()));
    return chosen >= 0 ? chosen : int(buttons.size() - 1);
}

std::optional<QString> DialogModalPresenter::promptForName(const NamePromptSpec &prompt) {
    QDialog dialog;
    dialog.setWindowTitle(windowTitle());
    dialog.setWindowModality(Qt::ApplicationModal);
    if (!m_icon.isNull())
        dialog.setWindowIcon(m_icon);

    auto *layout = new QVBoxLayout(&dialog);
    auto *title = new QLabel(prompt.title, &dialog);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    if (!prompt.message.isEmpty()) {
        auto *message = new QLabel(prompt.message, &dialog);
        message->setWordWrap(true);
        layout->addWidget(message);
    }
    auto *field = new QLineEdit(prompt.defaultName, &dialog);
    field->setFixedSize(260, 24);
    field->selectAll();
    layout->addWidget(field);

    auto *row = new QHBoxLayout;
    row->addStretch();
    auto *confirm = new QPushButton(prompt.confirmTitle, &dialog);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    confirm->setDefault(true);
    confirm->setAutoDefault(true);
    cancel->setAutoDefault(false);
    row->addWidget(confirm);
    row->addWidget(cancel);
    layout->addLayout(row);
    QObject::connect(confirm, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    field->setFocus();
    activateWhenShown(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return field->text();
}

std::optional<QString> DialogModalPresenter::chooseSaveFile(const SaveFileSpec &save) {
    QFileDialog dialog(nullptr, windowTitle());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!save.directory.isEmpty())
        dialog.setDirectory(save.directory);
    dialog.selectFile(save.suggestedName);
    activateWhenShown(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    return files.first();
}
