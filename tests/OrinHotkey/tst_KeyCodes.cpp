#include "OrinHotkey/KeyCodes.h"

#include <QKeyEvent>
#include <QTest>

class tst_KeyCodes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void toX11_data() {
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint32>("x11");
        // X11 keycodes of the evdev keymap: the key's evdev code plus 8. The rows are where the
        // key numbers stop following the evdev order.
        QTest::newRow("A") << 0u << 38u;
        QTest::newRow("ISO key left of Z") << 10u << 94u;
        QTest::newRow("6") << 22u << 15u;
        QTest::newRow("5 comes after 6 in the key codes") << 23u << 14u;
        QTest::newRow("0") << 29u << 19u;
        QTest::newRow("Escape") << 53u << 9u;
        QTest::newRow("left Super") << 55u << 133u;
        QTest::newRow("keypad Enter") << 76u << 104u;
        QTest::newRow("keypad 7") << 89u << 79u;
        QTest::newRow("keypad 8") << 91u << 80u;
        QTest::newRow("F1") << 122u << 67u;
        QTest::newRow("F10") << 109u << 76u;
        QTest::newRow("F11") << 103u << 95u;
        QTest::newRow("forward Delete") << 117u << 119u;
        QTest::newRow("Left") << 123u << 113u;
        QTest::newRow("Up") << 126u << 111u;
        // Keys without a number in the table: 256 + their evdev code.
        QTest::newRow("Print") << 355u << 107u;
        QTest::newRow("F24") << 450u << 202u;
        QTest::newRow("highest X keycode") << 503u << 255u;
    }
    void toX11() {
        QFETCH(quint32, keyCode);
        QFETCH(quint32, x11);
        QCOMPARE(KeyCodes::toX11(keyCode), std::optional<quint32>(x11));
        QCOMPARE(KeyCodes::fromX11(x11), std::optional<quint32>(keyCode));
    }

    void outsideTheTable() {
        QCOMPARE(KeyCodes::toX11(52), std::nullopt);
        QCOMPARE(KeyCodes::toX11(128), std::nullopt);
        QCOMPARE(KeyCodes::toX11(0xffffffffu), std::nullopt);
        // Extended numbers exist only for keys the table lacks, and only for one-byte keycodes.
        QCOMPARE(KeyCodes::toX11(256 + 46), std::nullopt); // C has its own number
        QCOMPARE(KeyCodes::toX11(504), std::nullopt);
        QCOMPARE(KeyCodes::fromX11(7), std::nullopt);
        QCOMPARE(KeyCodes::fromX11(8), std::nullopt); // evdev 0 is no key
        QCOMPARE(KeyCodes::fromX11(300), std::nullopt);
    }

    void fromKeyEvent_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<int>("expected"); // -1: none

        const int none = Qt::NoModifier;
        const int keypad = Qt::KeypadModifier;
        const int shift = Qt::ShiftModifier;
        QTest::newRow("C") << int(Qt::Key_C) << none << 0u << 8;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << keypad << 0u << 76;
        QTest::newRow("Backtab") << int(Qt::Key_Backtab) << shift << 0u << 48;
        QTest::newRow("digit 5") << int(Qt::Key_5) << none << 0u << 23;
        QTest::newRow("keypad 5") << int(Qt::Key_5) << keypad << 0u << 87;
        QTest::newRow("exclamation") << int(Qt::Key_Exclam) << shift << 0u << 18;
        QTest::newRow("F1") << int(Qt::Key_F1) << none << 0u << 122;
        QTest::newRow("Print") << int(Qt::Key_Print) << none << 0u << 355;
        QTest::newRow("unknown key") << int(Qt::Key_Launch0) << none << 0u << -1;
        QTest::newRow("scan code beyond the table") << int(Qt::Key_Launch0) << none << 156u << 404;
        // The scan code names the position; it wins over the layout's key (AZERTY's A is at Q).
        QTest::newRow("scan code wins") << int(Qt::Key_A) << none << 24u << 12;
        QTest::newRow("no key's scan code") << int(Qt::Key_Space) << none << 7u << 49;
        // Xorg without evdev: Left is keycode 100, evdev's 92; the Qt key tells.
        QTest::newRow("non-evdev keycode") << int(Qt::Key_Left) << none << 100u << 123;
        QTest::newRow("non-evdev keycode, evdev's keypad Enter")
            << int(Qt::Key_Down) << none << 104u << 125;
        QTest::newRow("right Shift by its scan code") << int(Qt::Key_Shift) << none << 62u << 60;
    }
    void fromKeyEvent() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(quint32, scanCode);
        QFETCH(int, expected);
        const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), scanCode, 0,
                              0);
        const auto code = KeyCodes::fromKeyEvent(event);
        QCOMPARE(code, expected < 0 ? std::nullopt : std::optional<quint32>(quint32(expected)));
    }
};

QTEST_GUILESS_MAIN(tst_KeyCodes)
#include "tst_KeyCodes.moc"
