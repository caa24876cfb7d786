#include "OrinHotkey/HotKey.h"
#include "OrinHotkey/KeyCodes.h"
#include "OrinHotkey/KeyboardLayout.h"
#include "OrinHotkey/Portal/PortalHotKeyBackend.h"
#include "OrinHotkey/XkbKeyboardMap.h"
#include "Support/PortalBus.h"

#include <QTest>

namespace {

constexpr quint32 ctrlAlt = HotKeyCombo::controlKey | HotKeyCombo::optionKey;

std::shared_ptr<const KeyboardMap> layout(const QString &names) {
    return XkbKeyboardMap::fromNames({{}, {}, names, {}, {}});
}

} // namespace

class tst_PortalHotKey : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        KeyboardLayout::setProvider([] { return layout(QStringLiteral("us")); });
    }

    void trigger_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint32>("modifiers");
        QTest::addColumn<QString>("expected");
        QTest::newRow("letter") << "us" << KeyCodes::c << ctrlAlt << "CTRL+ALT+c";
        QTest::newRow("Latin group of a Cyrillic layout")
            << "ru,us" << KeyCodes::c << ctrlAlt << "CTRL+ALT+c";
        QTest::newRow("all modifiers in order")
            << "us" << quint32(96) << (ctrlAlt | HotKeyCombo::shiftKey | HotKeyCombo::cmdKey)
            << "CTRL+ALT+SHIFT+LOGO+F5";
        QTest::newRow("punctuation") << "us" << quint32(43) << HotKeyCombo::cmdKey << "LOGO+comma";
        QTest::newRow("control character")
            << "us" << KeyCodes::returnKey << HotKeyCombo::controlKey << "CTRL+Return";
        QTest::newRow("extended key")
            << "us" << KeyCodes::extendedBase + 99 << quint32(0) << "Print";
        QTest::newRow("no such key") << "us" << KeyCodes::extendedBase + 300 << ctrlAlt << "";
    }
    void trigger() {
        QFETCH(QString, layout);
        QFETCH(quint32, keyCode);
        QFETCH(quint32, modifiers);
        QFETCH(QString, expected);
        QCOMPARE(PortalHotKeyBackend::trigger({keyCode, modifiers}, *::layout(layout)), expected);
    }

    void missingPortalGivesNoBackend() {
        PortalBus bus;
        QVERIFY2(bus.start(false), qPrintable(bus.errorString()));
        QVERIFY(!PortalHotKeyBackend::create(bus.connection()));
    }

    void bindsTheShortcutAndRunsTheHandlerOnActivation() {
        PortalBus bus;
        QVERIFY2(bus.start(true), qPrintable(bus.errorString()));
        const auto backend = PortalHotKeyBackend::create(bus.connection());
        QVERIFY(backend);
        QList<HotKeyIdentifier> presses;
        backend->installHandler([&](HotKeyIdentifier identifier) { presses.append(identifier); });
        std::optional<std::optional<HotKeyBackend::Ref>> answer;
        backend->registerHotKey({KeyCodes::c, ctrlAlt}, {HotKey::signature, 7},
                                [&](std::optional<HotKeyBackend::Ref> ref) { answer = ref; });
        QTRY_VERIFY(answer);
        QVERIFY(answer->has_value());
        QVERIFY(backend->canGrabShortcuts());
        QVERIFY(bus.waitForLine(QStringLiteral("bind pick-color CTRL+ALT+c")));
        QCOMPARE(backend->triggerDescription(), QStringLiteral("CTRL+ALT+c"));

        bus.command(QStringLiteral("activate pick-color"));
        QTRY_COMPARE(presses, (QList<HotKeyIdentifier>{{HotKey::signature, 7}}));
    }

    void refusalTurnsGrabbingOff() {
        PortalBus bus;
        QVERIFY2(bus.start(true, {QStringLiteral("--refuse")}), qPrintable(bus.errorString()));
        const auto backend = PortalHotKeyBackend::create(bus.connection());
        QVERIFY(backend);
        std::optional<std::optional<HotKeyBackend::Ref>> answer;
        backend->registerHotKey({KeyCodes::c, ctrlAlt}, {HotKey::signature, 1},
                                [&](std::optional<HotKeyBackend::Ref> ref) { answer = ref; });
        QTRY_VERIFY(answer);
        QVERIFY(!answer->has_value());
        QVERIFY(!backend->canGrabShortcuts());
    }
};

QTEST_GUILESS_MAIN(tst_PortalHotKey)
#include "tst_PortalHotKey.moc"
