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
// The width the texts of an alert wrap at, at the least: without it a short headline leaves the
// informative text a narrow column of many lines.
constexpr int alertTextWidth = 300;

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
    // The headline stands out from the text below it, as in the name dialog.
    if (auto *headline = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        QFont bold = headline->font();
        bold.setBold(true);
        headline->setFont(bold);
        headline->setMinimumWidth(alertTextWidth);
    }
    if (auto *details = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
        details->setMinimumWidth(alertTextWidth);
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

    // Laid out like the alerts: the icon on the left, the texts, field and buttons beside it.
    auto *columns = new QHBoxLayout(&dialog);
    columns->setSpacing(16);
    if (!m_icon.isNull()) {
        auto *icon = new QLabel(&dialog);
        icon->setPixmap(m_icon.pixmap(iconSide, iconSide));
        icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
        columns->addWidget(icon, 0, Qt::AlignTop);
    }
    auto *layout = new QVBoxLayout;
    columns->addLayout(layout, 1);
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
