#include "OrinMenuBar/ClosureMenuItem.h"
#include "OrinMenuBar/MainMenu.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

// The standing commands with their shortcuts, installed on windows, and closure menu items.
class tst_MainMenu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandsAndShortcuts();
    void withoutSettings();
    void shortcutsWorkInAnInstalledWindow();
    void editCommandsReachTheFocusedWidget();
    void closeClosesTheActiveWindow();
    void addItemAppendsClosureItem();

private:
    static QStringList describe(const MainMenu &menu) {
        QStringList lines;
        for (const MainMenu::Section &section : menu.sections()) {
            lines.append("[" + section.title + "]");
            for (const QAction *action : section.actions) {
                lines.append(action->isSeparator()
                                 ? QStringLiteral("---")
                                 : action->text() + " " +
                                       action->shortcut().toString(QKeySequence::PortableText));
            }
        }
        return lines;
    }
};

void tst_MainMenu::commandsAndShortcuts() {
    int settingsOpened = 0;
    auto menu = MainMenu::make(QStringLiteral("Picker"), [&] { ++settingsOpened; });
    QCOMPARE(describe(*menu),
             (QStringList{"[]", "Settings\u2026 Ctrl+,", "---", "Quit Picker Ctrl+Q", "[Edit]",
                          "Undo Ctrl+Z", "Redo Ctrl+Shift+Z", "---", "Cut Ctrl+X", "Copy Ctrl+C",
                          "Paste Ctrl+V", "Select All Ctrl+A", "[Window]", "Close Ctrl+W"}));
    for (QAction *action : menu->commands())
        QCOMPARE(action->shortcutContext(), Qt::WindowShortcut);
    menu->command(QStringLiteral("Settings\u2026"))->trigger();
    QCOMPARE(settingsOpened, 1);
}

void tst_MainMenu::withoutSettings() {
    auto menu = MainMenu::make(QStringLiteral("Picker"));
    QCOMPARE(menu->sections().first().actions.size(), 1);
    QCOMPARE(menu->commands().first()->text(), QStringLiteral("Quit Picker"));
    QVERIFY(!menu->command(QStringLiteral("Settings\u2026")));
}

void tst_MainMenu::shortcutsWorkInAnInstalledWindow() {
    int settingsOpened = 0;
    auto menu = MainMenu::make(QStringLiteral("Picker"), [&] { ++settingsOpened; });
    QWidget window;
    menu->install(&window);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
    QCOMPARE(settingsOpened, 1);

    // Another window without them does not react.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTest::keyClick(&other, Qt::Key_Comma, Qt::ControlModifier);
    QCOMPARE(settingsOpened, 1);
}

void tst_MainMenu::editCommandsReachTheFocusedWidget() {
    auto menu = MainMenu::make(QStringLiteral("Picker"));
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *line = new QLineEdit;
    auto *text = new QPlainTextEdit;
    layout->addWidget(line);
    layout->addWidget(text);
    menu->install(&window);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    line->setFocus();
    QTest::keyClicks(line, QStringLiteral("abc"));
    menu->command(QStringLiteral("Select All"))->trigger();
    QCOMPARE(line->selectedText(), QStringLiteral("abc"));
    menu->command(QStringLiteral("Cut"))->trigger();
    QCOMPARE(line->text(), QString());
    menu->command(QStringLiteral("Undo"))->trigger();
    QCOMPARE(line->text(), QStringLiteral("abc"));
    menu->command(QStringLiteral("Redo"))->trigger();
    QCOMPARE(line->text(), QString());

    text->setFocus();
    QTRY_VERIFY(text->hasFocus());
    menu->command(QStringLiteral("Paste"))->trigger();
    QCOMPARE(text->toPlainText(), QStringLiteral("abc"));
    QCOMPARE(line->text(), QString());
    menu->command(QStringLiteral("Select All"))->trigger();
    menu->command(QStringLiteral("Copy"))->trigger();
    QCOMPARE(text->textCursor().selectedText(), QStringLiteral("abc"));
}

void tst_MainMenu::closeClosesTheActiveWindow() {
    auto menu = MainMenu::make(QStringLiteral("Picker"));
    QWidget window;
    menu->install(&window);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_W, Qt::ControlModifier);
    QVERIFY(!window.isVisible());
}

void tst_MainMenu::addItemAppendsClosureItem() {
    QMenu menu;
    menu.addAction(QStringLiteral("First"));
    int fired = 0;
    ClosureMenuItem *item = addItem(&menu, QStringLiteral("Settings\u2026"),
                                    QKeySequence(Qt::CTRL | Qt::Key_Comma), [&] { ++fired; });
    QCOMPARE(menu.actions().last(), item);
    QCOMPARE(item->parent(), &menu);
    QVERIFY(item->isShortcutVisibleInContextMenu());
    item->trigger();
    item->fire();
    QCOMPARE(fired, 2);

    ClosureMenuItem *plain = addItem(&menu, QStringLiteral("Plain"), {}, {});
    QVERIFY(plain->shortcut().isEmpty());
    plain->trigger(); // an empty handler does nothing (no std::bad_function_call)
}

QTEST_MAIN(tst_MainMenu)
#include "tst_MainMenu.moc"
