#include "OrinMenuBar/MainMenu.h"
#include "OrinSettings/SettingsDetail.h"
#include "OrinSettings/SettingsRouter.h"
#include "OrinSettings/SettingsSidebar.h"
#include "OrinSettings/SettingsToolbar.h"
#include "OrinSettings/SettingsWindow.h"
#include "OrinSettings/SettingsWindowController.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <memory>

namespace {

SettingsAppInfo appInfo() {
    SettingsAppInfo info;
    info.id = QStringLiteral("picker");
    info.name = QStringLiteral("Picker");
    info.tagline = QStringLiteral("Picks things.");
    info.shortVersion = QStringLiteral("2.0");
    info.buildNumber = QStringLiteral("5");
    return info;
}

// The application's one page, as an application hands it in.
QList<SettingsPage> appPages() {
    return {
        SettingsPage{QStringLiteral("general"),
                     QStringLiteral("General"),
                     QStringLiteral("gearshape.fill"),
                     Qt::gray,
                     {"shortcut", "hotkey", "login", "dock", "format", "hex", "lowercase", "copy"},
                     [] {
                         auto *content = new QLabel(QStringLiteral("general content"));
                         content->setObjectName(QStringLiteral("generalContent"));
                         return content;
                     }}};
}

} // namespace

// The settings window: its size and parts, page selection by show(page:) and by the sidebar,
// the title following the page, and search narrowing the page list.
class tst_SettingsWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void pagesAreAssembled();
    void noWindowUntilShown();
    void windowGeometry();
    void toolbarItems();
    void freshShowIsGeneral();
    void showPageClearsTheSearch();
    void search_data();
    void search();
    void noMatchesKeepsTheDetail();
    void searchDoesNotChangeTheSelection();
    void clickingARowSelectsItsPage();
    void titleFollowsEveryPageChange();
    void closingKeepsTheWindowAndItsState();
    void windowCommandsInstalled();

private:
    SettingsWindow *showWindow(const std::optional<QString> &page = std::nullopt) {
        m_controller->show(page);
        return m_controller->window();
    }
    void type(const QString &text) {
        QLineEdit *field = m_controller->window()->searchField();
        field->setFocus();
        QTest::keyClicks(field, text);
    }

    std::unique_ptr<SettingsWindowController> m_controller;
};

void tst_SettingsWindow::init() {
    m_controller = std::make_unique<SettingsWindowController>(appInfo(), nullptr, appPages());
}

void tst_SettingsWindow::cleanup() {
    m_controller.reset();
}

void tst_SettingsWindow::pagesAreAssembled() {
    const QList<SettingsPage> &pages = m_controller->pages();
    QCOMPARE(pages.size(), 2);
    QCOMPARE(pages.at(0).id, QStringLiteral("general"));
    QCOMPARE(pages.at(0).keywords.mid(8),
             (QStringList{"launch", "startup", "menu bar", "permission", "permissions", "sound"}));
    QCOMPARE(pages.at(1).id, QStringLiteral("about"));
    QCOMPARE(pages.at(1).title, QStringLiteral("About"));
    QCOMPARE(pages.at(1).symbol, QStringLiteral("info.circle.fill"));
    QCOMPARE(m_controller->router()->page(), QStringLiteral("general"));
    QCOMPARE(m_controller->router()->query(), QString());
}

void tst_SettingsWindow::noWindowUntilShown() {
    QVERIFY(!m_controller->window());
    m_controller->router()->setPage(QStringLiteral("about"));
    QVERIFY(!m_controller->window());
}

void tst_SettingsWindow::windowGeometry() {
    SettingsWindow *window = showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->size(), QSize(720, 540));
    QCOMPARE(window->minimumSize(), QSize(720, 540));
    QCOMPARE(window->maximumSize(), QSize(720, 540));
    QVERIFY(window->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(window->sidebarColumn()->width(), 220);
    QCOMPARE(window->sidebarColumn()->height(), 540);
    QCOMPARE(window->sidebar()->rowTitles(), (QStringList{"General", "About"}));
    for (int row = 0; row < window->sidebar()->list()->count(); ++row)
        QVERIFY(!window->sidebar()->list()->item(row)->icon().isNull());
    QCOMPARE(window->sidebar()->list()->iconSize(), QSize(20, 20));
    // The rows stand in from the window's edge, as the search field does.
    const QRect rows(window->sidebar()->list()->mapTo(window->sidebarColumn(), QPoint(0, 0)),
                     window->sidebar()->list()->size());
    QVERIFY(rows.left() >= 8);
    QVERIFY(rows.right() <= 220 - 8);
    QVERIFY(window->detail()->content()->width() >= 480);
    QVERIFY(window->detail()->content()->height() >= 500);
}

void tst_SettingsWindow::toolbarItems() {
    QWidget parent;
    QVERIFY(!m_controller->toolbar()->makeItem(QStringLiteral("something"), &parent));
    QVERIFY(
        !m_controller->toolbar()->makeItem(SettingsToolbar::separatorItemIdentifier(), &parent));

    SettingsWindow *window = showWindow();
    QLineEdit *search = window->searchField();
    QVERIFY(search);
    QCOMPARE(m_controller->toolbar()->searchField(), search);
    QCOMPARE(search->placeholderText(), QStringLiteral("Search"));
    QCOMPARE(search->width(), 180);
    QVERIFY(window->sidebarColumn()->isAncestorOf(search));
}

void tst_SettingsWindow::freshShowIsGeneral() {
    SettingsWindow *window = showWindow();
    QVERIFY(window->isVisible());
    // The page list has the keyboard, not the search: a first key does not filter.
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(QApplication::focusWidget(), window->sidebar()->list());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
    QCOMPARE(m_controller->router()->query(), QString());
    QCOMPARE(window->windowTitle(), QStringLiteral("General"));
    QCOMPARE(window->sidebar()->selectedId(), QStringLiteral("general"));
    QCOMPARE(window->detail()->shownPage(), QStringLiteral("general"));
    QCOMPARE(window->detail()->content()->objectName(), QStringLiteral("generalContent"));
    // An unknown page falls back to the general page.
    m_controller->show(QStringLiteral("nope"));
    QCOMPARE(m_controller->router()->page(), QStringLiteral("general"));
    QCOMPARE(window->windowTitle(), QStringLiteral("General"));
}

void tst_SettingsWindow::showPageClearsTheSearch() {
    SettingsWindow *window = showWindow();
    type(QStringLiteral("sound"));
    QCOMPARE(window->sidebar()->rowIds(), QStringList{"general"});

    m_controller->show(QStringLiteral("about"));
    QCOMPARE(m_controller->window(), window);
    QCOMPARE(window->searchField()->text(), QString());
    QCOMPARE(m_controller->router()->query(), QString());
    QCOMPARE(window->sidebar()->rowIds(), (QStringList{"general", "about"}));
    QCOMPARE(window->sidebar()->selectedId(), QStringLiteral("about"));
    QCOMPARE(window->detail()->shownPage(), QStringLiteral("about"));
    QCOMPARE(window->windowTitle(), QStringLiteral("About"));

    // Without a page the search stays.
    type(QStringLiteral("ver"));
    m_controller->show();
    QCOMPARE(window->searchField()->text(), QStringLiteral("ver"));
    QCOMPARE(window->sidebar()->rowIds(), QStringList{"about"});
}

void tst_SettingsWindow::search_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("VERS") << "VERS" << QStringList{"About"};
    QTest::newRow("xyz") << "xyz" << QStringList{};
    QTest::newRow("white space") << "   " << QStringList{"General", "About"};
}

void tst_SettingsWindow::search() {
    QFETCH(QString, query);
    QFETCH(QStringList, titles);
    SettingsWindow *window = showWindow();
    type(query);
    QCOMPARE(m_controller->router()->query(), query);
    QCOMPARE(window->sidebar()->rowTitles(), titles);
    QCOMPARE(window->sidebar()->showsNoMatches(), titles.isEmpty());
    QCOMPARE(window->sidebar()->noMatchesLabel()->text(), QStringLiteral("No matches"));
    QCOMPARE(window->sidebar()->noMatchesLabel()->isVisible(), titles.isEmpty());
}

void tst_SettingsWindow::noMatchesKeepsTheDetail() {
    SettingsWindow *window = showWindow(QStringLiteral("about"));
    type(QStringLiteral("xyz"));
    QVERIFY(window->sidebar()->showsNoMatches());
    QCOMPARE(m_controller->router()->page(), QStringLiteral("about"));
    QCOMPARE(window->detail()->shownPage(), QStringLiteral("about"));
    QCOMPARE(window->windowTitle(), QStringLiteral("About"));
    window->searchField()->clear();
    QCOMPARE(window->sidebar()->rowIds(), (QStringList{"general", "about"}));
    QCOMPARE(window->sidebar()->selectedId(), QStringLiteral("about"));
}

void tst_SettingsWindow::searchDoesNotChangeTheSelection() {
    SettingsWindow *window = showWindow();
    type(QStringLiteral("version"));
    QCOMPARE(window->sidebar()->rowIds(), QStringList{"about"});
    QCOMPARE(window->sidebar()->selectedId(), QString());
    QCOMPARE(m_controller->router()->page(), QStringLiteral("general"));
    QCOMPARE(window->detail()->shownPage(), QStringLiteral("general"));
    // Moving the focus to the narrowed list selects nothing by itself.
    window->sidebar()->list()->setFocus();
    QCOMPARE(m_controller->router()->page(), QStringLiteral("general"));
}

void tst_SettingsWindow::clickingARowSelectsItsPage() {
    SettingsWindow *window = showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QListWidget *list = window->sidebar()->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    QCOMPARE(m_controller->router()->page(), QStringLiteral("about"));
    QCOMPARE(window->windowTitle(), QStringLiteral("About"));
    QCOMPARE(window->detail()->shownPage(), QStringLiteral("about"));
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(m_controller->router()->page(), QStringLiteral("general"));
    QCOMPARE(window->windowTitle(), QStringLiteral("General"));
}

void tst_SettingsWindow::titleFollowsEveryPageChange() {
    SettingsWindow *window = showWindow();
    m_controller->router()->setPage(QStringLiteral("about"));
    QCOMPARE(window->windowTitle(), QStringLiteral("About"));
    m_controller->router()->setPage(QStringLiteral("missing"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Settings"));
    // A page no one has shows the general page's content.
    QCOMPARE(window->detail()->shownPage(), QStringLiteral("general"));
    QCOMPARE(window->sidebar()->selectedId(), QString());
    m_controller->show();
    QCOMPARE(window->windowTitle(), QStringLiteral("Settings"));
}

void tst_SettingsWindow::closingKeepsTheWindowAndItsState() {
    SettingsWindow *window = showWindow(QStringLiteral("about"));
    type(QStringLiteral("ab"));
    QWidget *content = window->detail()->content();
    QVERIFY(window->close());
    QVERIFY(!window->isVisible());
    QCOMPARE(m_controller->window(), window);

    m_controller->show();
    QCOMPARE(m_controller->window(), window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("About"));
    QCOMPARE(window->detail()->content(), content);
    QCOMPARE(window->searchField()->text(), QStringLiteral("ab"));
}

void tst_SettingsWindow::windowCommandsInstalled() {
    auto menu = MainMenu::make(QStringLiteral("Picker"));
    m_controller->setMainMenu(menu.get());
    SettingsWindow *window = showWindow();
    QAction *close = menu->command(QStringLiteral("Close"));
    QVERIFY(close);
    QVERIFY(window->actions().contains(close));
    QVERIFY(QTest::qWaitForWindowActive(window));
    close->trigger();
    QTRY_VERIFY(!window->isVisible());
    QCOMPARE(m_controller->window(), window);
    m_controller.reset(); // the window goes before the menu
}

QTEST_MAIN(tst_SettingsWindow)
#include "tst_SettingsWindow.moc"
