#include "OrinMenuBar/ClosureMenuItem.h"
#include "OrinMenuBar/MainMenu.h"
#include "OrinMenuBar/StatusItemController.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

// The standing commands with their shortcuts, closure menu items, and the tray icon's menu.
class tst_MenuBar : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandsAndShortcuts() {
        int settingsOpened = 0;
        auto menu = MainMenu::make(u"Picker"_s, [&] { ++settingsOpened; });
        QCOMPARE(
            describe(*menu),
            (QStringList{"[]", "Settings\u2026 Ctrl+,", "---", "Quit Picker Ctrl+Q", "[Edit]",
                         "Undo Ctrl+Z", "Redo Ctrl+Shift+Z", "---", "Cut Ctrl+X", "Copy Ctrl+C",
                         "Paste Ctrl+V", "Select All Ctrl+A", "[Window]", "Close Ctrl+W"}));
        for (QAction *action : menu->commands())
            QCOMPARE(action->shortcutContext(), Qt::WindowShortcut);
        menu->command(u"Settings\u2026"_s)->trigger();
        QCOMPARE(settingsOpened, 1);
        const auto without = MainMenu::make(u"Picker"_s);
        QCOMPARE(describe(*without).mid(0, 3), (QStringList{"[]", "Quit Picker Ctrl+Q", "[Edit]"}));
    }
    // Installed on a window, the shortcuts work there alone and edit commands reach its focus.
    void installedWindow() {
        int settingsOpened = 0;
        auto menu = MainMenu::make(u"Picker"_s, [&] { ++settingsOpened; });
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *line = new QLineEdit;
        auto *text = new QPlainTextEdit;
        layout->addWidget(line);
        layout->addWidget(text);
        menu->install(&window);
        window.show();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTest::keyClick(&other, Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(settingsOpened, 0);
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(settingsOpened, 1);

        line->setFocus();
        QTest::keyClicks(line, u"abc"_s);
        menu->command(u"Select All"_s)->trigger();
        QCOMPARE(line->selectedText(), u"abc"_s);
        menu->command(u"Cut"_s)->trigger();
        QCOMPARE(line->text(), QString());
        text->setFocus();
        QTRY_VERIFY(text->hasFocus());
        menu->command(u"Paste"_s)->trigger();
        QCOMPARE(text->toPlainText(), u"abc"_s);

        QTest::keyClick(&window, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!window.isVisible());
    }
    void addItemAppendsClosureItem() {
        QMenu menu;
        menu.addAction(u"First"_s);
        int fired = 0;
        ClosureMenuItem *item = addItem(&menu, u"Settings\u2026"_s,
                                        QKeySequence(Qt::CTRL | Qt::Key_Comma), [&] { ++fired; });
        QCOMPARE(menu.actions().last(), item);
        item->trigger();
        item->fire();
        QCOMPARE(fired, 2);

        addItem(&menu, u"Plain"_s, {}, {})
            ->trigger(); // an empty handler does nothing (no std::bad_function_call)
    }

    // The tray icon with its one menu, rebuilt on each opening.
    void statusItemRefillsTheSameMenuOnEveryOpening() {
        int builds = 0;
        QList<int> sizesAtBuild;
        StatusItemController controller(squareIcon(Qt::black), u"Picker"_s, [&](QMenu *menu) {
            sizesAtBuild.append(int(menu->actions().size()));
            addItem(menu, u"Build %1"_s.arg(++builds), {}, {});
            addItem(menu->addMenu(u"More"_s), u"Inner"_s, {}, {});
            menu->addSeparator();
        });
        QSystemTrayIcon *item = controller.item();
        QVERIFY(item->isVisible());
        QMenu *menu = controller.menu();
        QCOMPARE(item->contextMenu(), menu);
        QCOMPARE(builds, 0); // nothing is built before the menu opens
        const QIcon normal = controller.icon();
        controller.setDisplayedIcon(squareIcon(Qt::red));
        QVERIFY(!controller.isShowingNormalIcon());
        controller.restoreIcon();
        QCOMPARE(item->icon().cacheKey(), normal.cacheKey());

        Q_EMIT menu->aboutToShow();
        QPointer<QAction> oldItem = menu->actions().first();
        QPointer<QMenu> oldSubmenu = menu->actions().at(1)->menu();
        QVERIFY(oldSubmenu);
        for (int i = 2; i <= 20; ++i)
            Q_EMIT menu->aboutToShow();
        QCOMPARE(menu->actions().size(), 3);
        QCOMPARE(menu->actions().first()->text(), u"Build 20"_s);
        QCOMPARE(controller.menu(), menu);
        QCOMPARE(sizesAtBuild, QList<int>(20, 0)); // emptied before each build
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
    static QStringList describe(const MainMenu &menu) {
        QStringList lines;
        for (const MainMenu::Section &section : menu.sections()) {
            lines.append("[" + section.title + "]");
            for (const QAction *action : section.actions) {
                lines.append(action->isSeparator()
                                 ? u"---"_s
                                 : action->text() + " " +
                                       action->shortcut().toString(QKeySequence::PortableText));
            }
        }
        return lines;
    }
    static QIcon squareIcon(Qt::GlobalColor color) {
        QPixmap pixmap(22, 22);
        pixmap.fill(color);
        return QIcon(pixmap);
    }
    static void disposeDeferred() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(tst_MenuBar)
#include "tst_MenuBar.moc"
