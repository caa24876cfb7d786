#include "OrinHotkey/HotKeyRecorder.h"

#include "OrinHotkey/KeyCaps.h"
#include "OrinHotkey/KeyCodes.h"
#include "OrinHotkey/KeyboardLayout.h"
#include "OrinHotkey/RecorderKeySource.h"
#include "OrinTheme/Symbols.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEasingCurve>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVariantAnimation>

#include <algorithm>
#include <array>

namespace {

constexpr Qt::KeyboardModifiers comboModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// Cut, copy, paste, quit, close, and the window and input-source switchers: taken with Super
// alone (the command key) or with Control alone (where the desktop's editing shortcuts live).
constexpr std::array<quint32, 7> reservedKeys{7, 8, 9, 12, 13, 48, 49};

constexpr int animationMs = 120;

QColor withAlpha(QColor color, qreal alpha) {
    color.setAlphaF(alpha);
    return color;
}

QColor mix(const QColor &from, const QColor &to, qreal t) {
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * t),
                            float(from.greenF() + (to.greenF() - from.greenF()) * t),
                            float(from.blueF() + (to.blueF() - from.blueF()) * t),
                            float(from.alphaF() + (to.alphaF() - from.alphaF()) * t));
}

} // namespace

// The clickable field: key caps, or the prompt while recording, on a rounded plate whose look
// follows the recording state (0 idle, 1 recording, in between while animating).
class HotKeyRecorder::Field final : public QAbstractButton {
public:
    explicit Field(QWidget *parent)
        : QAbstractButton(parent) {
        setMinimumSize(130, 32);
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::PointingHandCursor);
    }

    qreal progress = 0;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor accent = palette().color(QPalette::Highlight);
        const QColor primary = palette().color(QPalette::WindowText);
        const QColor fill = mix(withAlpha(primary, 0.04), withAlpha(accent, 0.12), progress);
        const QColor border = mix(withAlpha(primary, 0.12), accent, progress);
        const qreal borderWidth = 1.0 + 0.5 * progress;
        constexpr qreal radius = 8;

        const QRectF bounds = rect();
        QPainterPath plate;
        plate.addRoundedRect(bounds, radius, radius);
        painter.fillPath(plate, fill);
        const qreal inset = borderWidth / 2;
        painter.setPen(QPen(border, borderWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), radius - inset,
                                radius - inset);
        if (hasFocus()) {
            painter.setPen(QPen(withAlpha(accent, 0.5), 1, Qt::DotLine));
            painter.drawRoundedRect(bounds.adjusted(2.5, 2.5, -2.5, -2.5), radius - 2, radius - 2);
        }
    }
};

HotKeyRecorder::Decision HotKeyRecorder::decide(std::optional<quint32> keyCode,
                                                Qt::KeyboardModifiers modifiers, bool modifierKey) {
    if (keyCode == KeyCodes::escape)
        return Decision::cancel;
    // A modifier pressed on its own is the start of a combination, not a key.
    if (modifierKey)
        return Decision::wait;
    const Qt::KeyboardModifiers held = modifiers & comboModifiers;
    if (held == Qt::NoModifier || held == Qt::ShiftModifier)
        return Decision::reject;
    if ((held == Qt::MetaModifier || held == Qt::ControlModifier) && keyCode &&
        std::find(reservedKeys.begin(), reservedKeys.end(), *keyCode) != reservedKeys.end())
        return Decision::reject;
    // A key without a key code cannot be registered.
    if (!keyCode)
        return Decision::reject;
    return Decision::accept;
}

bool HotKeyRecorder::isModifierKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

HotKeyRecorder::HotKeyRecorder(const HotKeyCombo &combo, const HotKeyCombo &defaultCombo,
                               QWidget *parent)
    : QWidget(parent)
    , m_combo(combo)
    , m_defaultCombo(defaultCombo)
    , m_beep([] { QApplication::beep(); }) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);

    m_field = new Field(this);
    auto *content = new QHBoxLayout(m_field);
    content->setContentsMargins(4, 4, 4, 4);
    content->setSpacing(4);
    content->setAlignment(Qt::AlignCenter);
    m_caps = new KeyCaps(m_combo.keyCaps(), m_field);
    m_prompt = new QLabel(QStringLiteral("Press a shortcut\u2026"), m_field);
    QFont promptFont = m_prompt->font();
    promptFont.setPixelSize(12);
    promptFont.setWeight(QFont::Medium);
    m_prompt->setFont(promptFont);
    m_prompt->setContentsMargins(6, 0, 6, 0);
    m_prompt->setForegroundRole(QPalette::Highlight);
    content->addWidget(m_caps);
    content->addWidget(m_prompt);
    connect(m_field, &QAbstractButton::clicked, this, [this] {
        if (m_recording)
            stopRecording();
        else
            startRecording();
    });
    row->addWidget(m_field, 0, Qt::AlignVCenter);

    m_reset = new QToolButton(this);
    m_reset->setAutoRaise(true);
    m_reset->setIconSize(QSize(12, 12));
    m_reset->setToolTip(QStringLiteral("Reset to ") + m_defaultCombo.displayString());
    m_reset->setAccessibleName(m_reset->toolTip());
    connect(m_reset, &QToolButton::clicked, this, [this] { writeCombo(m_defaultCombo); });
    row->addWidget(m_reset, 0, Qt::AlignVCenter);
    row->addStretch(1);

    m_animation = new QVariantAnimation(this);
    m_animation->setDuration(animationMs);
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_field->progress = value.toReal();
        m_field->update();
    });

    changeEvent(nullptr);
    updateState();
}

HotKeyRecorder::~HotKeyRecorder() {
    if (m_filtering)
        qApp->removeEventFilter(this);
}

QAbstractButton *HotKeyRecorder::field() const {
    return m_field;
}

void HotKeyRecorder::setCombo(const HotKeyCombo &combo) {
    if (combo == m_combo)
        return;
    m_combo = combo;
    updateState();
}

void HotKeyRecorder::setBeep(std::function<void()> beep) {
    m_beep = std::move(beep);
}

void HotKeyRecorder::startRecording() {
    if (m_recording)
        return;
    m_recording = true;
    // Every key press of the application comes here first, as long as recording lasts.
    qApp->installEventFilter(this);
    m_filtering = true;
    m_x11Keys = RecorderKeySource::create(
        [this](std::optional<quint32> keyCode, Qt::KeyboardModifiers modifiers, bool modifierKey) {
            handleKey(keyCode, modifiers, modifierKey);
        });
    m_animation->stop();
    m_animation->setStartValue(m_field->progress);
    m_animation->setEndValue(1.0);
    m_animation->start();
    updateState();
    Q_EMIT recordingChanged(true);
}

void HotKeyRecorder::stopRecording() {
    if (!m_recording)
        return;
    m_recording = false;
    qApp->removeEventFilter(this);
    m_filtering = false;
    m_x11Keys.reset();
    m_animation->stop();
    m_animation->setStartValue(m_field->progress);
    m_animation->setEndValue(0.0);
    m_animation->start();
    updateState();
    Q_EMIT recordingChanged(false);
}

void HotKeyRecorder::handleKey(std::optional<quint32> keyCode, Qt::KeyboardModifiers modifiers,
                               bool modifierKey) {
    if (!m_recording)
        return;
    switch (decide(keyCode, modifiers, modifierKey)) {
    case Decision::cancel:
        stopRecording();
        break;
    case Decision::wait:
        break;
    case Decision::reject:
        if (m_beep)
            m_beep();
        break;
    case Decision::accept:
        // A key beyond the table counts when the keymap names it; a nameless one could only be
        // shown as a number.
        if (*keyCode >= KeyCodes::extendedBase && !KeyboardLayout::hasName(*keyCode)) {
            if (m_beep)
                m_beep();
            break;
        }
        // Stopped first: the owner may answer the new combination with a modal alert, which must
        // get the keyboard back rather than have its keys recorded.
        stopRecording();
        writeCombo(HotKeyCombo(*keyCode, HotKeyCombo::carbonFlags(modifiers & comboModifiers)));
        break;
    }
}

bool HotKeyRecorder::eventFilter(QObject *watched, QEvent *event) {
    if (!m_recording)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Accepted here, so no window shortcut claims the keys being recorded.
        event->accept();
        return true;
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        handleKey(KeyCodes::fromKeyEvent(*key), key->modifiers(), isModifierKey(key->key()));
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void HotKeyRecorder::hideEvent(QHideEvent *event) {
    stopRecording();
    QWidget::hideEvent(event);
}

void HotKeyRecorder::changeEvent(QEvent *event) {
    if (!event || event->type() == QEvent::PaletteChange) {
        QColor secondary = palette().color(QPalette::WindowText);
        secondary.setAlphaF(0.55f);
        m_reset->setIcon(Symbols::icon(QStringLiteral("arrow.counterclockwise"), secondary));
    }
    if (event)
        QWidget::changeEvent(event);
}

void HotKeyRecorder::writeCombo(const HotKeyCombo &combo) {
    m_combo = combo;
    updateState();
    Q_EMIT comboEdited(combo);
}

void HotKeyRecorder::updateState() {
    m_caps->setKeys(m_combo.keyCaps());
    m_caps->setVisible(!m_recording);
    m_prompt->setVisible(m_recording);
    m_field->setToolTip(m_recording ? QStringLiteral("Press Esc to cancel")
                                    : QStringLiteral("Click to record a new shortcut"));
    m_field->setAccessibleName(m_recording ? m_prompt->text() : m_combo.displayString());
    m_reset->setVisible(m_combo != m_defaultCombo && !m_recording);
}
