#include "OrinSettings/DesktopKeyBinding.h"

#include <QTest>

class tst_DesktopKeyBinding : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bindingPerDesktop_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("place");
        QTest::newRow("sway") << "sway"
                              << "Ctrl+Alt+C"
                              << "bindsym Ctrl+Alt+c exec chromet pick"
                              << "~/.config/sway/config";
        QTest::newRow("sway super space") << "sway"
                                          << "Shift+Super+Space"
                                          << "bindsym Shift+Mod4+space exec chromet pick"
                                          << "reload sway";
        QTest::newRow("sway plus key") << "sway"
                                       << "Ctrl++"
                                       << "bindsym Ctrl+plus exec chromet pick"
                                       << "sway";
        QTest::newRow("hyprland") << "Hyprland"
                                  << "Ctrl+Alt+C"
                                  << "bind = CTRL ALT, C, exec, chromet pick"
                                  << "hyprland.conf";
        QTest::newRow("gnome") << "ubuntu:GNOME"
                               << "Ctrl+Alt+C"
                               << "chromet pick"
                               << "Settings → Keyboard";
        QTest::newRow("kde") << "KDE"
                             << "Ctrl+Alt+C"
                             << "chromet pick"
                             << "System Settings → Keyboard";
        QTest::newRow("other") << ""
                               << "Ctrl+Alt+C"
                               << "chromet pick"
                               << "keyboard settings";
    }
    void bindingPerDesktop() {
        QFETCH(QString, desktop);
        QFETCH(QString, shortcut);
        const auto binding =
            DesktopKeyBinding::forDesktop(desktop, "Chromet", "chromet pick", shortcut);
        QFETCH(QString, text);
        QCOMPARE(binding.text, text);
        QVERIFY2(binding.explanation.startsWith("Chromet can't set a global shortcut"),
                 qPrintable(binding.explanation));
        QFETCH(QString, place);
        QVERIFY2(binding.explanation.contains(place), qPrintable(binding.explanation));
    }
};

QTEST_GUILESS_MAIN(tst_DesktopKeyBinding)
#include "tst_DesktopKeyBinding.moc"
