#pragma once

#include <QTimer>
#include <QWidget>

#include <chrono>

class PermissionChecker;
class QLabel;
class QPushButton;

// The second page: the permission to read the screen. While it is missing the page offers to
// open the desktop's settings where it has one (else it says why the screen cannot be read); it
// looks again when shown and once a second while showing, and turns to "Access granted" as soon as
// the checker says yes.
class ScreenRecordingStep : public QWidget {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds tickInterval{1000};

    // The checker must outlive the page.
    explicit ScreenRecordingStep(PermissionChecker *permission, QWidget *parent = nullptr);

    bool isGranted() const { return m_granted; }
    bool hasRequested() const { return m_requested; }

    // Asks the checker again and shows its answer when it comes; one question at a time.
    void refresh();
    // "Open Settings": requests the permission the first time only, then opens the settings.
    void openSettings();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showState();

    PermissionChecker *m_permission = nullptr;
    bool m_granted = false;
    bool m_requested = false;
    bool m_checking = false;
    QTimer m_timer;

    QLabel *m_symbol = nullptr;
    QWidget *m_grantedRow = nullptr;
    QPushButton *m_openButton = nullptr;
    QLabel *m_hint = nullptr;
};
