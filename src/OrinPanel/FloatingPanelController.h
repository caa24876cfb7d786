#pragma once

#include "OrinPanel/FloatingPanel.h"
#include "OrinPanel/PanelOptions.h"
#include "OrinPanel/PanelScreens.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>

class QSettings;

// Builds a FloatingPanel around a view, on the glass surface of the theme, and places, shows
// and hides it. The panel opens on the display under the pointer: at its remembered frame when
// frame memory is on and one was saved there, otherwise centred horizontally with its centre at
// 60 % of the visible height from the bottom. Hidden after creation; show() and hide() may
// alternate freely; the panel lives as long as the controller.
class FloatingPanelController : public QObject {
    Q_OBJECT

public:
    using KeyHandler = FloatingPanel::KeyHandler;

    // The transparent margin carrying the drawn shadow, and the rounding of the surface, with
    // and without a compositor (asked when called).
    static int defaultShadowMargin();
    static qreal defaultCornerRadius();

    // `rootView` becomes the panel's content at `size`. `defaults` holds the frame memory; when
    // absent the application's default QSettings are used. The controller does not own
    // `defaults`.
    FloatingPanelController(QWidget *rootView, const QSize &size,
                            std::optional<qreal> cornerRadius = std::nullopt,
                            const PanelOptions &options = {}, QSettings *defaults = nullptr,
                            QObject *parent = nullptr);
    ~FloatingPanelController() override;

    FloatingPanel *panel() const { return m_panel.get(); }
    const PanelOptions &options() const { return m_options; }
    int shadowMargin() const { return m_shadowMargin; }
    qreal cornerRadius() const { return m_cornerRadius; }
    QSettings *defaults() const;

    bool isVisible() const;
    void show();
    void hide();

    void setKeyHandler(KeyHandler handler) { m_keyHandler = std::move(handler); }
    void setOnWillShow(std::function<void()> handler) { m_onWillShow = std::move(handler); }
    void setOnDidHide(std::function<void()> handler) { m_onDidHide = std::move(handler); }
    // Whether the panel hides when another window becomes active. Default true.
    bool hidesOnResignKey() const { return m_hidesOnResignKey; }
    void setHidesOnResignKey(bool hides) { m_hidesOnResignKey = hides; }

    // Where the displays and the pointer come from.
    void setScreens(PanelScreens screens) { m_screens = std::move(screens); }

    // The frame show() gives a panel of `size` on `display` without a remembered frame.
    static QRect defaultFrame(const QSize &size, const PanelDisplay &display);

private:
    void resignKey();
    void saveFrame();
    std::optional<PanelDisplay> displayUnderPointer() const;
    std::optional<PanelDisplay> panelDisplay() const;
    QSize minimumFrameSize() const;

    std::unique_ptr<FloatingPanel> m_panel;
    KeyHandler m_keyHandler;
    std::function<void()> m_onWillShow;
    std::function<void()> m_onDidHide;
    bool m_hidesOnResignKey = true;
    PanelOptions m_options;
    QPointer<QSettings> m_defaults;
    mutable std::unique_ptr<QSettings> m_ownDefaults;
    int m_shadowMargin = 0;
    qreal m_cornerRadius = 0;
    PanelScreens m_screens;
};
