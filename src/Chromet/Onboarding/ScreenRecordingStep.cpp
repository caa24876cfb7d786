#include "Chromet/Onboarding/ScreenRecordingStep.h"

#include "Chromet/Onboarding/StepWidgets.h"
#include "Chromet/Picking/PermissionChecker.h"
#include "OrinTheme/GlassSurface.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

using namespace StepWidgets;

namespace {

constexpr int symbolSize = 48;

} // namespace

ScreenRecordingStep::ScreenRecordingStep(PermissionChecker *permission, QWidget *parent)
    : QWidget(parent)
    , m_permission(permission) {
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addStretch(1);

    m_symbol = new QLabel(this);
    m_symbol->setObjectName(QStringLiteral("permissionSymbol"));
    m_symbol->setAlignment(Qt::AlignCenter);
    addCentered(column, m_symbol);
    addCentered(column,
                text(QStringLiteral("Let Chromet see your screen"), TextStyle::title, this));
    addCentered(
        column,
        text(QStringLiteral("To read colors, Chromet needs to capture your screen. Most "
                            "desktops allow this already; if yours asks, allow Chromet in its "
                            "privacy settings. Screens are read on this computer only; nothing "
                            "is stored or uploaded."),
             TextStyle::body, this, true, 420));

    // Granted: a green check with its label.
    m_grantedRow = new QWidget(this);
    m_grantedRow->setObjectName(QStringLiteral("accessGranted"));
    auto *grantedLayout = new QHBoxLayout(m_grantedRow);
    grantedLayout->setContentsMargins(0, 0, 0, 0);
    grantedLayout->setSpacing(6);
    grantedLayout->addWidget(symbol(QStringLiteral("checkmark"), 14, grantedColor(), m_grantedRow));
    QLabel *grantedText = text(QStringLiteral("Access granted"), TextStyle::body, m_grantedRow);
    QPalette green = grantedText->palette();
    green.setColor(QPalette::WindowText, grantedColor());
    grantedText->setPalette(green);
    grantedLayout->addWidget(grantedText);
    addCentered(column, m_grantedRow);

    // Not granted: the way to the settings, and what to do there.
    auto *request = new QWidget(this);
    auto *requestLayout = new QVBoxLayout(request);
    requestLayout->setContentsMargins(0, 0, 0, 0);
    requestLayout->setSpacing(6);
    m_openButton = new QPushButton(QStringLiteral("Open Settings"), request);
    m_openButton->setObjectName(QStringLiteral("openSettings"));
    GlassSurface::glassButtonStyle(m_openButton);
    // A large control: taller than a dialog's button and, where the desktop's own button hugs
    // its title, with room on either side of it (the glass capsule has its own).
    m_openButton->setMinimumHeight(32);
    if (m_openButton->property("orinButtonStyle").toString() == QLatin1StringView("bordered"))
        m_openButton->setMinimumWidth(m_openButton->sizeHint().width() + 2 * 12);
    addCentered(requestLayout, m_openButton);
    m_hint = text(QStringLiteral("Allow Chromet there, then come back here."), TextStyle::caption,
                  request, true);
    addCentered(requestLayout, m_hint);
    addCentered(column, request);
    column->addStretch(1);

    connect(m_openButton, &QPushButton::clicked, this, &ScreenRecordingStep::openSettings);
    m_timer.setInterval(tickInterval);
    connect(&m_timer, &QTimer::timeout, this, &ScreenRecordingStep::refresh);
    showState();
}

void ScreenRecordingStep::refresh() {
    if (!m_permission) {
        m_granted = false;
        showState();
        return;
    }
    if (m_checking)
        return;
    m_checking = true;
    const QPointer<ScreenRecordingStep> self(this);
    m_permission->check([self](bool granted) {
        if (!self)
            return;
        self->m_checking = false;
        self->m_granted = granted;
        self->showState();
    });
}

void ScreenRecordingStep::openSettings() {
    if (!m_permission)
        return;
    if (!m_requested) {
        m_permission->request();
        m_requested = true;
    }
    m_permission->openSettings();
}

void ScreenRecordingStep::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    refresh();
    m_timer.start();
}

void ScreenRecordingStep::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    m_timer.stop();
}

void ScreenRecordingStep::showState() {
    if (m_granted)
        setSymbol(m_symbol, QStringLiteral("checkmark.circle.fill"), symbolSize, grantedColor());
    else
        setSymbol(m_symbol, QStringLiteral("rectangle.dashed.badge.record"), symbolSize,
                  accentColor(this));
    m_grantedRow->setVisible(m_granted);
    m_openButton->parentWidget()->setVisible(!m_granted);
    // Without a setting to open there is no button; the hint says why the screen is not read.
    const bool canOpen = m_permission && m_permission->hasSettings();
    m_openButton->setVisible(canOpen);
    m_hint->setText(canOpen ? QStringLiteral("Allow Chromet there, then come back here.")
                            : (m_permission ? m_permission->deniedReason() : QString()));
}
