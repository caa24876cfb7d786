#pragma once

#include <QIcon>
#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;

// The application's tray icon and its one menu, kept for the whole run. Every time the menu is
// about to open it is emptied and `build` fills it again, so it never shows stale data. This
// happens on QMenu::aboutToShow, which Qt emits both for its own popup (XEmbed trays, a click on
// the icon) and when a StatusNotifierItem host asks for the exported menu over D-Bus.
class StatusItemController : public QObject {
    Q_OBJECT

public:
    using BuildFunction = std::function<void(QMenu *)>;

    // The tray's thickness the icon's artwork is drawn for, used while the tray does not say
    // how large it shows the icon.
    static constexpr int defaultIconSide = 22;

    // Shows the icon at once. `icon` should be monochrome so it suits light and dark panels; a
    // null icon leaves the item without an image. `accessibleName` is the item's tooltip, which
    // trays and screen readers present as its name.
    StatusItemController(const QIcon &icon, const QString &accessibleName, BuildFunction build,
                         QObject *parent = nullptr);
    ~StatusItemController() override;

    QSystemTrayIcon *item() const { return m_item.get(); }
    QMenu *menu() const { return m_menu.get(); }

    bool isVisible() const;
    void setVisible(bool visible);

    // The normal icon.
    QIcon icon() const { return m_icon; }
    // What the tray shows now: the normal icon or a temporary image.
    QIcon displayedIcon() const;
    // Shows `image` in place of the normal icon until restoreIcon().
    void setDisplayedIcon(const QIcon &image);
    // Puts the normal icon back; nothing happens when it is already shown.
    void restoreIcon();
    bool isShowingNormalIcon() const { return !m_overridden; }

    // The icon's size in logical pixels as the tray shows it (a square of defaultIconSide or the
    // fallback size while the tray does not tell), and the device pixel ratio of its screen.
    QSize iconSize() const;
    qreal devicePixelRatio() const;
    void setFallbackIconSize(const QSize &size) { m_fallbackIconSize = size; }

    // Removes every item of `menu` and disposes of the items and submenus it owns. Submenus are
    // children of their menu that QMenu::clear() would keep alive; deletion is deferred because
    // the rebuild may run inside a handler of one of the old items (a nested event loop).
    static void removeAllItems(QMenu *menu);

public Q_SLOTS:
    // Empties the menu and calls `build`. Runs each time the menu is about to open.
    void menuNeedsUpdate();

private:
    std::unique_ptr<QSystemTrayIcon> m_item;
    std::unique_ptr<QMenu> m_menu;
    BuildFunction m_build;
    QIcon m_icon;
    bool m_overridden = false;
    QSize m_fallbackIconSize{defaultIconSide, defaultIconSide};
};
