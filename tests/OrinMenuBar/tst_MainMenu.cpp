#include "OrinMenuBar/ClosureMenuItem.h"
#include "OrinMenuBar/MainMenu.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

// The standing commands with their shortcuts, installed on windows, and closure menu items.
class tst_MainMenu : public QObject {
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
    void shortcutsWorkInAnInstalledWindow() {
        int settingsOpened = 0;
        auto menu = MainMenu::make(u"Picker"_s, [&] { ++settingsOpened; });
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
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!window.isVisible());
    }
    void editCommandsReachTheFocusedWidget() {
        auto menu = MainMenu::make(u"Picker"_s);
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
        QTest::keyClicks(line, u"abc"_s);
        menu->command(u"Select All"_s)->trigger();
        QCOMPARE(line->selectedText(), u"abc"_s);
        menu->command(u"Cut"_s)->trigger();
        QCOMPARE(line->text(), QString());

        text->setFocus();
        QTRY_VERIFY(text->hasFocus());
        menu->command(u"Paste"_s)->trigger();
        QCOMPARE(text->toPlainText(), u"abc"_s);
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
};

QTEST_MAIN(tst_MainMenu)
#include "tst_MainMenu.moc"
