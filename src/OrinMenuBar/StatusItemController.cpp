#include "OrinMenuBar/StatusItemController.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QSystemTrayIcon>

StatusItemController::StatusItemController(const QIcon &icon, const QString &accessibleName,
                                           BuildFunction build, QObject *parent)
    : QObject(parent)
    , m_item(std::make_unique<QSystemTrayIcon>())
    , m_menu(std::make_unique<QMenu>())
    , m_build(std::move(build))
    , m_icon(icon) {
    m_item->setIcon(m_icon);
    m_item->setToolTip(accessibleName);
    m_menu->setTitle(accessibleName);
    connect(m_menu.get(), &QMenu::aboutToShow, this, &StatusItemController::menuNeedsUpdate);
    m_item->setContextMenu(m_menu.get());
    // A click on the icon opens the menu too, as the other button already does.
    connect(m_item.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger && !m_menu->isVisible())
                    m_menu->popup(QCursor::pos());
            });
    m_item->setVisible(true);
}

StatusItemController::~StatusItemController() {
    // The tray icon refers to the menu; let it go first.
    m_item.reset();
    m_menu.reset();
}

bool StatusItemController::isVisible() const {
    return m_item->isVisible();
}

void StatusItemController::setVisible(bool visible) {
    m_item->setVisible(visible);
}

QIcon StatusItemController::displayedIcon() const {
    return m_item->icon();
}

void StatusItemController::setDisplayedIcon(const QIcon &image) {
    m_overridden = true;
    m_item->setIcon(image);
}

void StatusItemController::restoreIcon() {
    if (!m_overridden)
        return;
    m_overridden = false;
    m_item->setIcon(m_icon);
}

QSize StatusItemController::iconSize() const {
    const QRect geometry = m_item->geometry();
    if (geometry.isValid() && !geometry.isEmpty())
        return geometry.size();
    return m_fallbackIconSize;
}

qreal StatusItemController::devicePixelRatio() const {
    const QRect geometry = m_item->geometry();
    QScreen *screen = geometry.isValid() ? QGuiApplication::screenAt(geometry.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : qApp->devicePixelRatio();
}

namespace {

// Holds what a rebuild removed until it can safely go, and deletes it in one go: thousands of
// separately deferred deletions would each search the whole posted-event queue.
class Disposal : public QObject {
public:
    QList<QPointer<QObject>> objects;

    ~Disposal() override {
        for (const QPointer<QObject> &object : std::as_const(objects))
            delete object.data(); // a submenu's own children are gone with it
    }
};

} // namespace

void StatusItemController::removeAllItems(QMenu *menu) {
    const QList<QAction *> actions = menu->actions();
    auto *disposal = new Disposal;
    for (QAction *action : actions) {
        menu->removeAction(action);
        if (QMenu *submenu = action->menu(); submenu && submenu->parent() == menu)
            disposal->objects.append(submenu);
        else if (action->parent() == menu)
            disposal->objects.append(action);
    }
    disposal->deleteLater();
}

void StatusItemController::menuNeedsUpdate() {
    removeAllItems(m_menu.get());
    if (m_build)
        m_build(m_menu.get());
}
