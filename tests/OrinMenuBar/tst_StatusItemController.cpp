#include "OrinMenuBar/ClosureMenuItem.h"
#include "OrinMenuBar/StatusItemController.h"

#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTest>

#include <memory>

// The tray icon's one menu, rebuilt on each opening, and the icon it shows.
class tst_StatusItemController : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void showsIconWithNameAndMenu();
    void refillsTheSameMenuOnEveryOpening();
    void oldItemsAndSubmenusAreDisposed();
    void rebuildFromAnItemsOwnHandler();
    void temporaryIconAndRestore();

private:
    static QIcon squareIcon(Qt::GlobalColor color) {
        QPixmap pixmap(22, 22);
        pixmap.fill(color);
        return QIcon(pixmap);
    }
    static void disposeDeferred() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::unique_ptr<StatusItemController> m_controller;
    int m_builds = 0;
    QList<int> m_sizesAtBuild;
    QList<QMenu *> m_menusAtBuild;
};

void tst_StatusItemController::init() {
    m_builds = 0;
    m_sizesAtBuild.clear();
    m_menusAtBuild.clear();
    m_controller = std::make_unique<StatusItemController>(
        squareIcon(Qt::black), QStringLiteral("Picker"), [this](QMenu *menu) {
            m_sizesAtBuild.append(int(menu->actions().size()));
            m_menusAtBuild.append(menu);
            ++m_builds;
            addItem(menu, QStringLiteral("Build %1").arg(m_builds), {}, {});
            QMenu *submenu = menu->addMenu(QStringLiteral("More"));
            addItem(submenu, QStringLiteral("Inner"), {}, {});
            menu->addSeparator();
        });
}

void tst_StatusItemController::showsIconWithNameAndMenu() {
    QSystemTrayIcon *item = m_controller->item();
    QVERIFY(item->isVisible());
    QCOMPARE(item->toolTip(), QStringLiteral("Picker"));
    QCOMPARE(item->contextMenu(), m_controller->menu());
    QCOMPARE(item->icon().cacheKey(), m_controller->icon().cacheKey());
    QVERIFY(m_controller->isShowingNormalIcon());
    QCOMPARE(m_builds, 0); // nothing is built before the menu opens
}

void tst_StatusItemController::refillsTheSameMenuOnEveryOpening() {
    QMenu *menu = m_controller->menu();
    for (int i = 1; i <= 3; ++i) {
        Q_EMIT menu->aboutToShow();
        QCOMPARE(m_builds, i);
        QCOMPARE(menu->actions().size(), 3);
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Build %1").arg(i));
    }
    QCOMPARE(m_controller->menu(), menu);
    QCOMPARE(m_menusAtBuild, (QList<QMenu *>{menu, menu, menu}));
    QCOMPARE(m_sizesAtBuild, (QList<int>{0, 0, 0})); // emptied before each build
}

void tst_StatusItemController::oldItemsAndSubmenusAreDisposed() {
    QMenu *menu = m_controller->menu();
    Q_EMIT menu->aboutToShow();
    QPointer<QAction> oldItem = menu->actions().first();
    QPointer<QMenu> oldSubmenu = menu->actions().at(1)->menu();
    QVERIFY(oldSubmenu);

    for (int i = 0; i < 20; ++i)
        Q_EMIT menu->aboutToShow();
    disposeDeferred();
    QVERIFY(!oldItem);
    QVERIFY(!oldSubmenu);
    // Only the current build's objects remain: one item, one submenu, one separator (and the
    // menu's own action).
    QCOMPARE(menu->findChildren<QMenu *>(Qt::FindDirectChildrenOnly).size(), 1);
    QCOMPARE(menu->findChildren<QAction *>(Qt::FindDirectChildrenOnly).size(), 3);

    // Actions the builder does not own are removed but left alive.
    QAction shared(QStringLiteral("Shared"));
    menu->addAction(&shared);
    StatusItemController::removeAllItems(menu);
    disposeDeferred();
    QVERIFY(menu->actions().isEmpty());
    QCOMPARE(shared.text(), QStringLiteral("Shared"));
}

void tst_StatusItemController::rebuildFromAnItemsOwnHandler() {
    // A handler that opens a dialog runs a nested event loop, during which the menu may open
    // again and be rebuilt; the handler's captures must survive.
    QStringList log;
    auto text = std::make_shared<QString>(QStringLiteral("captured"));
    StatusItemController controller(squareIcon(Qt::black), QStringLiteral("Picker"),
                                    [&](QMenu *menu) {
                                        addItem(menu, QStringLiteral("Go"), {}, [menu, &log, text] {
                                            Q_EMIT menu->aboutToShow();
                                            disposeDeferred();
                                            log.append(*text);
                                        });
                                    });
    Q_EMIT controller.menu()->aboutToShow();
    QPointer<QAction> first = controller.menu()->actions().first();
    text.reset();
    first->trigger();
    QCOMPARE(log, QStringList{QStringLiteral("captured")});
    disposeDeferred();
    QVERIFY(!first);
    QCOMPARE(controller.menu()->actions().size(), 1);
}

void tst_StatusItemController::temporaryIconAndRestore() {
    const QIcon normal = m_controller->icon();
    const QIcon temporary = squareIcon(Qt::red);
    m_controller->setDisplayedIcon(temporary);
    QVERIFY(!m_controller->isShowingNormalIcon());
    QCOMPARE(m_controller->displayedIcon().cacheKey(), temporary.cacheKey());
    QCOMPARE(m_controller->icon().cacheKey(), normal.cacheKey());

    m_controller->restoreIcon();
    QVERIFY(m_controller->isShowingNormalIcon());
    QCOMPARE(m_controller->displayedIcon().cacheKey(), normal.cacheKey());

    // The tray gives no geometry offscreen: the fallback size applies.
    QCOMPARE(m_controller->iconSize(), QSize(22, 22));
    m_controller->setFallbackIconSize(QSize(32, 32));
    QCOMPARE(m_controller->iconSize(), QSize(32, 32));
    QVERIFY(m_controller->devicePixelRatio() >= 1);
}

QTEST_MAIN(tst_StatusItemController)
#include "tst_StatusItemController.moc"
