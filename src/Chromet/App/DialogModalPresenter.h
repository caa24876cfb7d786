#pragma once

#include "Chromet/App/ModalPresenter.h"

#include <QIcon>

// The real dialogs: QMessageBox for alerts, a small QDialog for names, QFileDialog for saving.
// Each is application-modal, stays above other windows and asks for the keyboard focus. Every
// alert's message text is also written to the log, so a session's alerts can be followed there.
class DialogModalPresenter : public ModalPresenter {
public:
    // `icon` is shown in alerts and as the dialogs' window icon; none when null.
    explicit DialogModalPresenter(QIcon icon = {});

    int runAlert(const AlertSpec &alert) override;
    std::optional<QString> promptForName(const NamePromptSpec &prompt) override;
    std::optional<QString> chooseSaveFile(const SaveFileSpec &save) override;

    // The window title every dialog carries: the application's display name.
    static QString windowTitle();

private:
    QIcon m_icon;
};
