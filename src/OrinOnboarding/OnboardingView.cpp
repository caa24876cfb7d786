#include "OrinOnboarding/OnboardingView.h"

#include "OrinOnboarding/PageDots.h"
#include "OrinTheme/GlassSurface.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

// A damped spring released at rest from 0 towards 1: response 0.5 s (the period it would swing
// at undamped), damping fraction 0.85; `progress` runs over settlingMs.
constexpr double springResponse = 0.5;
constexpr double springDamping = 0.85;
const int settlingMs = [] {
    // Until the swing stays within 0.1 % of the target.
    const double omega = 2 * std::numbers::pi / springResponse;
    return int(std::ceil(std::log(1000.0) / (springDamping * omega) * 1000));
}();

qreal pageSpring(qreal progress) {
    const double omega = 2 * std::numbers::pi / springResponse;
    const double decay = springDamping * omega;
    const double damped = omega * std::sqrt(1 - springDamping * springDamping);
    const double t = progress * settlingMs / 1000.0;
    if (progress >= 1)
        return 1;
    return 1 -
           std::exp(-decay * t) * (std::cos(damped * t) + decay / damped * std::sin(damped * t));
}

} // namespace

OnboardingView::OnboardingView(QList<OnboardingStep> steps, int startIndex, QString finishTitle,
                               std::function<void()> finish, QWidget *parent)
    : QWidget(parent)
    , m_steps(std::move(steps))
    , m_finishTitle(std::move(finishTitle))
    , m_finish(std::move(finish))
    , m_index(std::clamp(startIndex, 0, std::max(0, int(m_steps.size()) - 1))) {
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(28, 36, 28, 24);
    column->setSpacing(0);

    auto *pageArea = new QWidget(this);
    m_pageLayout = new QVBoxLayout(pageArea);
    m_pageLayout->setContentsMargins(0, 0, 0, 0);
    column->addWidget(pageArea, 1);

    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(8);
    m_dots = new PageDots(this);
    m_dots->setCount(count());
    bottom->addWidget(m_dots, 0, Qt::AlignVCenter);
    bottom->addStretch(1);
    m_skipButton = new QPushButton(QStringLiteral("Skip for now"), this);
    m_skipButton->setObjectName(QStringLiteral("skipButton"));
    m_skipButton->setFlat(true);
    m_skipButton->setCursor(Qt::PointingHandCursor);
    // A link in the accent colour, the same colour as the main button beside it.
    const QColor accent = palette().color(QPalette::Active, QPalette::Highlight);
    m_skipButton->setStyleSheet(
        QStringLiteral("QPushButton { border: none; background: transparent; color: %1; "
                       "padding: 4px 6px; } QPushButton:pressed { color: %2; }")
            .arg(accent.name(), accent.darker(130).name()));
    bottom->addWidget(m_skipButton, 0, Qt::AlignVCenter);
    m_mainButton = new QPushButton(this);
    m_mainButton->setObjectName(QStringLiteral("mainButton"));
    m_mainButton->setDefault(true);
    // A large control.
    m_mainButton->setMinimumHeight(32);
    GlassSurface::glassProminentButtonStyle(m_mainButton);
    bottom->addWidget(m_mainButton, 0, Qt::AlignVCenter);
    column->addLayout(bottom);

    connect(m_skipButton, &QPushButton::clicked, this, &OnboardingView::advance);
    connect(m_mainButton, &QPushButton::clicked, this, &OnboardingView::advance);
    // Return (and the keypad's Enter) is the main button's key wherever the focus is.
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, m_mainButton, &QPushButton::click);
    }

    m_timer.setInterval(tickInterval);
    connect(&m_timer, &QTimer::timeout, this, &OnboardingView::tick);
    m_timer.start();

    showPage(false);
}

OnboardingView::~OnboardingView() = default;

const OnboardingStep *OnboardingView::currentStep() const {
    return m_steps.isEmpty() ? nullptr : &m_steps[m_index];
}

bool OnboardingView::isBlocked() const {
    const OnboardingStep *step = currentStep();
    return step && step->isBlocked();
}

void OnboardingView::advance() {
    if (m_index < count() - 1) {
        ++m_index;
        showPage(true);
        return;
    }
    // Last thing: finishing may close the window and delete this view.
    const std::function<void()> finish = m_finish;
    if (finish)
        finish();
}

void OnboardingView::tick() {
    ++m_ticks;
    refresh();
}

void OnboardingView::showPage(bool animated) {
    delete m_page;
    const OnboardingStep *step = currentStep();
    if (step && step->content) {
        m_page = step->content();
        if (m_page) {
            m_page->setObjectName(step->id);
            m_pageLayout->addWidget(m_page);
            // Made without a parent, the page would otherwise wait for a later turn to show.
            m_page->show();
            if (animated)
                springIn(m_page);
        }
    }
    m_dots->setCurrent(m_index);
    m_mainButton->setText(m_index >= count() - 1 ? m_finishTitle : QStringLiteral("Continue"));
    m_mainButton->setFocus();
    refresh();
}

void OnboardingView::springIn(QWidget *page) {
    // The page comes in from the trailing side and fades up, on a spring.
    m_pageLayout->activate();
    const QPoint rest = page->pos();
    auto *fade = new QGraphicsOpacityEffect(page);
    fade->setOpacity(0);
    page->setGraphicsEffect(fade);
    page->move(rest + QPoint(pageSlide, 0));
    auto *animation = new QVariantAnimation(page);
    animation->setDuration(settlingMs);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    QEasingCurve spring(QEasingCurve::Custom);
    spring.setCustomType(&pageSpring);
    animation->setEasingCurve(spring);
    const QPointer<QGraphicsOpacityEffect> effect = fade;
    connect(animation, &QVariantAnimation::valueChanged, page,
            [page, effect, rest](const QVariant &value) {
                const qreal progress = value.toReal();
                page->move(rest + QPoint(qRound(pageSlide * (1 - progress)), 0));
                if (effect)
                    effect->setOpacity(qBound(0.0, progress, 1.0));
            });
    connect(animation, &QVariantAnimation::finished, page, [page, rest] {
        page->setGraphicsEffect(nullptr);
        page->move(rest);
    });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void OnboardingView::refresh() {
    m_skipButton->setVisible(isBlocked());
}
