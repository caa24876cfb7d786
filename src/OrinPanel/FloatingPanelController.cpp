#include "OrinPanel/FloatingPanelController.h"

#include "OrinPlatform/PlatformBackend.h"

#include "OrinPanel/PanelFrameStore.h"
#include "OrinTheme/GlassSurface.h"

#include <QLoggingCategory>
#include <QSettings>

#include <cmath>

namespace {

Q_LOGGING_CATEGORY(lcPanel, "orin.panel")

} // namespace

int FloatingPanelController::defaultShadowMargin() {
    return GlassSurface::usesGlass() ? GlassSurface::shadowMargin : 0;
}

qreal FloatingPanelController::defaultCornerRadius() {
    return GlassSurface::usesGlass() ? 22 : 14;
}

FloatingPanelController::FloatingPanelController(QWidget *rootView, const QSize &size,
                                                 std::optional<qreal> cornerRadius,
                                                 const PanelOptions &options, QSettings *defaults,
                                                 QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_defaults(defaults) {
    m_panel = std::make_unique<FloatingPanel>(size, options.resizable);

    m_cornerRadius = cornerRadius.value_or(defaultCornerRadius());
    const GlassSurface::Wrapped wrapped = GlassSurface::wrap(rootView, size, m_cornerRadius);
    m_shadowMargin = wrapped.windowHasShadow ? 0 : GlassSurface::shadowMargin;
    m_panel->setContentView(wrapped.view, wrapped.size, !wrapped.windowHasShadow, m_shadowMargin);
    if (options.minSize)
        m_panel->setMinimumSize(minimumFrameSize());

    QPointer<FloatingPanelController> self(this);
    m_panel->setKeyHandler([self](QKeyEvent *event) {
        return self && self->m_keyHandler ? self->m_keyHandler(event) : false;
    });
    m_panel->setOnResignKey([self] {
        if (self)
            self->resignKey();
    });
    if (options.frameAutosaveKey)
        connect(m_panel.get(), &FloatingPanel::frameChanged, this,
                &FloatingPanelController::saveFrame);
}

FloatingPanelController::~FloatingPanelController() = default;

QSettings *FloatingPanelController::defaults() const {
    if (m_defaults)
        return m_defaults;
    if (!m_ownDefaults)
        m_ownDefaults = std::make_unique<QSettings>();
    return m_ownDefaults.get();
}

bool FloatingPanelController::isVisible() const {
    return m_panel->isVisible();
}

QSize FloatingPanelController::minimumFrameSize() const {
    if (!m_options.minSize)
        return m_panel->size();
    return *m_options.minSize + QSize(2 * m_shadowMargin, 2 * m_shadowMargin);
}

QRect FloatingPanelController::defaultFrame(const QSize &size, const PanelDisplay &display) {
    const QRect visible = display.visibleFrame;
    // Centred across; the centre 60 % of the height up from the bottom edge.
    const double x = visible.x() + (visible.width() - size.width()) / 2.0;
    const double centreY = visible.y() + visible.height() * (1.0 - 0.6);
    const double y = centreY - size.height() / 2.0;
    return QRect(QPoint(int(std::lround(x)), int(std::lround(y))), size);
}

std::optional<PanelDisplay> FloatingPanelController::displayUnderPointer() const {
    const QList<PanelDisplay> displays =
        m_screens.displays ? m_screens.displays() : QList<PanelDisplay>();
    const QPoint pointer = m_screens.pointer ? m_screens.pointer() : QPoint();
    for (const PanelDisplay &display : displays) {
        if (display.frame.contains(pointer))
            return display;
    }
    if (!displays.isEmpty())
        return displays.first();
    return std::nullopt;
}

std::optional<PanelDisplay> FloatingPanelController::panelDisplay() const {
    const QList<PanelDisplay> displays =
        m_screens.displays ? m_screens.displays() : QList<PanelDisplay>();
    const QRect frame = m_panel->geometry();
    std::optional<PanelDisplay> best;
    qint64 bestArea = 0;
    for (const PanelDisplay &display : displays) {
        const QRect overlap = display.frame.intersected(frame);
        const qint64 area = qint64(overlap.width()) * overlap.height();
        if (!overlap.isEmpty() && area > bestArea) {
            best = display;
            bestArea = area;
        }
    }
    if (!best && !displays.isEmpty())
        best = displays.first();
    return best;
}

void FloatingPanelController::show() {
    if (m_onWillShow)
        m_onWillShow();

    if (const std::optional<PanelDisplay> display = displayUnderPointer()) {
        std::optional<QRectF> saved;
        if (m_options.frameAutosaveKey) {
            const QString screenKey =
                PanelFrameStore::screenKey(display->name, QSizeF(display->frame.size()));
            saved = PanelFrameStore::load(*m_options.frameAutosaveKey, screenKey, defaults());
        }
        if (saved) {
            const QRectF clamped = PanelFrameStore::clamp(*saved, QRectF(display->visibleFrame),
                                                          QSizeF(minimumFrameSize()));
            const QRect frame = clamped.toRect();
            if (!m_options.resizable)
                m_panel->setFixedSize(frame.size());
            m_panel->setGeometry(frame);
            static bool told = false;
            if (!told && !PlatformBackend::capabilities().canPlacePanels) {
                told = true;
                qCInfo(lcPanel, "Chromet: this desktop places windows itself: the panel keeps its "
                                "size, and the desktop chooses where it opens");
            }
        } else {
            m_panel->move(defaultFrame(m_panel->size(), *display).topLeft());
        }
    } else {
        qCDebug(lcPanel) << "no display known; the panel opens where it was";
    }

    // A window being mapped comes up on top by itself; one already showing is raised.
    if (m_panel->isVisible())
        m_panel->raise();
    m_panel->show();
    m_panel->activateWindow();
}

void FloatingPanelController::hide() {
    if (!m_panel->isVisible())
        return;
    saveFrame();
    m_panel->hide();
    if (m_onDidHide)
        m_onDidHide();
}

void FloatingPanelController::resignKey() {
    if (m_hidesOnResignKey && m_panel->isVisible())
        hide();
}

void FloatingPanelController::saveFrame() {
    if (!m_options.frameAutosaveKey || !m_panel->isVisible())
        return;
    const std::optional<PanelDisplay> display = panelDisplay();
    if (!display)
        return;
    PanelFrameStore::save(QRectF(m_panel->geometry()), *m_options.frameAutosaveKey,
                          PanelFrameStore::screenKey(display->name, QSizeF(display->frame.size())),
                          defaults());
}
