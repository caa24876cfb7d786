#include "OrinMenuBar/ClosureMenuItem.h"
#include "OrinMenuBar/StatusItemController.h"

#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The tray icon's one menu, rebuilt on each opening, and the icon it shows.
class tst_StatusItemController : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_builds = 0;
        m_sizesAtBuild.clear();
        m_menusAtBuild.clear();
        m_controller = std::make_unique<StatusItemController>(
            squareIcon(Qt::black), u"Picker"_s, [this](QMenu *menu) {
                m_sizesAtBuild.append(int(menu->actions().size()));
                m_menusAtBuild.append(menu);
                ++m_builds;
                addItem(menu, u"Build %1"_s.arg(m_builds), {}, {});
                QMenu *submenu = menu->addMenu(u"More"_s);
                addItem(submenu, u"Inner"_s, {}, {});
                menu->addSeparator();
            });
    }
    void showsIconWithNameAndMenu() {
        QSystemTrayIcon *item = m_controller->item();
        QVERIFY(item->isVisible());
        QCOMPARE(item->contextMenu(), m_controller->menu());
        QCOMPARE(m_builds, 0); // nothing is built before the menu opens
        const QIcon normal = m_controller->icon();
        m_controller->setDisplayedIcon(squareIcon(Qt::red));
        QVERIFY(!m_controller->isShowingNormalIcon());
        m_controller->restoreIcon();
        QCOMPARE(item->icon().cacheKey(), normal.cacheKey());
    }
    void refillsTheSameMenuOnEveryOpening() {
        QMenu *menu = m_controller->menu();
        for (int i = 1; i <= 3; ++i) {
            Q_EMIT menu->aboutToShow();
            QCOMPARE(m_builds, i);
            QCOMPARE(menu->actions().size(), 3);
            QCOMPARE(menu->actions().first()->text(), u"Build %1"_s.arg(i));
        }
        QCOMPARE(m_controller->menu(), menu);
        QCOMPARE(m_menusAtBuild, (QList<QMenu *>{menu, menu, menu}));
        QCOMPARE(m_sizesAtBuild, (QList<int>{0, 0, 0})); // emptied before each build
    }
    void oldItemsAndSubmenusAreDisposed() {
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
        QAction shared(u"Shared"_s);
        menu->addAction(&shared);
        StatusItemController::removeAllItems(menu);
        disposeDeferred();
        QVERIFY(menu->actions().isEmpty());
        QCOMPARE(shared.text(), u"Shared"_s);
    }
    void rebuildFromAnItemsOwnHandler() {
        // A handler that opens a dialog runs a nested event loop, during which the menu may open
        // again and be rebuilt; the handler's captures must survive.
        QStringList log;
        auto text = std::make_shared<QString>(u"captured"_s);
        StatusItemController controller(squareIcon(Qt::black), u"Picker"_s, [&](QMenu *menu) {
            addItem(menu, u"Go"_s, {}, [menu, &log, text] {
                Q_EMIT menu->aboutToShow();
                disposeDeferred();
                log.append(*text);
            });
        });
        Q_EMIT controller.menu()->aboutToShow();
        QPointer<QAction> first = controller.menu()->actions().first();
        text.reset();
        first->trigger();
        QCOMPARE(log, QStringList{u"captured"_s});
        disposeDeferred();
        QVERIFY(!first);
        QCOMPARE(controller.menu()->actions().size(), 1);
    }

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

QTEST_MAIN(tst_StatusItemController)
#include "tst_StatusItemController.moc"
