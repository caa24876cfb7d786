#include "OrinMenuBar/MainMenu.h"
#include "OrinSettings/SettingsDetail.h"
#include "OrinSettings/SettingsRouter.h"
#include "OrinSettings/SettingsSidebar.h"
#include "OrinSettings/SettingsWindow.h"
#include "OrinSettings/SettingsWindowController.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

SettingsAppInfo appInfo() {
    SettingsAppInfo info;
    info.id = u"picker"_s;
    info.name = u"Picker"_s;
    return info;
}

// The application's one page, as an application hands it in.
QList<SettingsPage> appPages() {
    return {
        SettingsPage{u"general"_s, u"General"_s, u"gearshape.fill"_s, Qt::gray, {"shortcut"}, [] {
                         auto *content = new QLabel(u"general content"_s);
                         content->setObjectName(u"generalContent"_s);
                         return content;
                     }}};
}

} // namespace

// The settings window: its size and parts, page selection by show(page:) and by the sidebar,
// the title following the page, and search narrowing the page list.
class tst_SettingsWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<SettingsWindowController> m_controller;
    SettingsWindow *m_window = nullptr;

    void type(const QString &text) {
        m_window->searchField()->setFocus();
        QTest::keyClicks(m_window->searchField(), text);
    }
    void verifyShown(const QString &page, const QString &title, const QStringList &rows) {
        QCOMPARE(m_controller->router()->page(), page);
        QCOMPARE(m_window->detail()->shownPage(), page);
        QCOMPARE(m_window->windowTitle(), title);
        QCOMPARE(m_window->sidebar()->rowIds(), rows);
    }

private Q_SLOTS:
    void init() {
        m_controller = std::make_unique<SettingsWindowController>(appInfo(), nullptr, appPages());
        QVERIFY(!m_controller->window()); // made on first show only
        m_controller->router()->setPage(u"about"_s);
        QVERIFY(!m_controller->window());
        m_controller->show();
        m_window = m_controller->window();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void cleanup() { m_controller.reset(); }

    void geometryAndParts() {
        QCOMPARE(m_window->size(), QSize(720, 540));
        QCOMPARE(m_window->sidebar()->rowTitles(), (QStringList{"General", "About"}));
        // The page list has the keyboard, not the search: a first key does not filter.
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QCOMPARE(QApplication::focusWidget(), m_window->sidebar()->list());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
        QCOMPARE(m_controller->router()->query(), QString());
    }

    void showAndSelectPages() {
        verifyShown(u"about"_s, u"About"_s, {"general", "about"});
        m_controller->show(u"nope"_s); // unknown: the general page
        verifyShown(u"general"_s, u"General"_s, {"general", "about"});
        QCOMPARE(m_window->detail()->content()->objectName(), u"generalContent"_s);
        // Showing a page clears the search; showing without one keeps it.
        type(u"ver"_s);
        m_controller->show();
        QCOMPARE(m_window->sidebar()->rowIds(), QStringList{"about"});
        m_controller->show(u"about"_s);
        QCOMPARE(m_controller->window(), m_window);
        QCOMPARE(m_window->searchField()->text(), QString());
        QCOMPARE(m_controller->router()->query(), QString());
        verifyShown(u"about"_s, u"About"_s, {"general", "about"});
        QCOMPARE(m_window->sidebar()->selectedId(), u"about"_s);

        QListWidget *list = m_window->sidebar()->list();
        QTest::keyClick(list, Qt::Key_Up);
        verifyShown(u"general"_s, u"General"_s, {"general", "about"});
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1)).center());
        verifyShown(u"about"_s, u"About"_s, {"general", "about"});
        // A page no one has: the general content under a neutral title.
        m_controller->router()->setPage(u"missing"_s);
        QCOMPARE(m_window->windowTitle(), u"Settings"_s);
        QCOMPARE(m_window->detail()->shownPage(), u"general"_s);
        QCOMPARE(m_window->sidebar()->selectedId(), QString());
    }

    void searchNeverChangesThePage() {
        type(u"xyz"_s);
        QCOMPARE(m_controller->router()->query(), u"xyz"_s);
        QCOMPARE(m_window->sidebar()->rowTitles(), QStringList());
        QVERIFY(m_window->sidebar()->noMatchesLabel()->isVisible());
        m_window->sidebar()->list()->setFocus();
        verifyShown(u"about"_s, u"About"_s, {});
        m_window->searchField()->clear();
        QCOMPARE(m_window->sidebar()->selectedId(), u"about"_s);
        QVERIFY(!m_window->sidebar()->noMatchesLabel()->isVisible());
    }
    void closingKeepsTheWindowAndItsState() {
        auto menu = MainMenu::make(u"Picker"_s);
        m_controller->setMainMenu(menu.get());
        type(u"ab"_s);
        QWidget *content = m_window->detail()->content();
        QAction *close = menu->command(u"Close"_s);
        QVERIFY(m_window->actions().contains(close));
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        close->trigger();
        QTRY_VERIFY(!m_window->isVisible());
        m_controller->show();
        QCOMPARE(m_controller->window(), m_window);
        QCOMPARE(m_window->windowTitle(), u"About"_s);
        QCOMPARE(m_window->detail()->content(), content);
        QCOMPARE(m_window->searchField()->text(), u"ab"_s);
        m_controller.reset(); // the window goes before the menu
    }
};

QTEST_MAIN(tst_SettingsWindow)
#include "tst_SettingsWindow.moc"
