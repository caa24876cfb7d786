#include "OrinHotkey/HotKeyCombo.h"
#include "OrinHotkey/KeyboardLayout.h"
#include "OrinHotkey/XkbKeyboardMap.h"
#include "OrinPaste/Accessibility.h"
#include "OrinPaste/PasteService.h"
#include "OrinPaste/SyntheticKeyboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Keystroke {
    quint32 keyCode;
    quint32 modifiers;
};

class FakeKeyboard final : public SyntheticKeyboard {
public:
    bool isTrusted() const override { return trusted; }
    void requestTrust() override { ++trustRequests; }
    std::optional<WId> frontmost() const override { return front; }
    void activate(WId window) override {
        activated.append(window);
        front = window;
    }
    void postKeystroke(quint32 keyCode, quint32 modifiers) override {
        posted.append({keyCode, modifiers});
    }

    bool trusted = true;
    int trustRequests = 0;
    std::optional<WId> front;
    QList<WId> activated;
    QList<Keystroke> posted;
};

std::shared_ptr<const KeyboardMap> layout(const QString &names, const QString &variant = {}) {
    return XkbKeyboardMap::fromNames({{}, {}, names, variant, {}});
}

} // namespace

class tst_PasteService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        auto keyboard = std::make_unique<FakeKeyboard>();
        m_keyboard = keyboard.get();
        PasteService::setKeyboard(std::move(keyboard));
        const auto us = layout(u"us"_s);
        KeyboardLayout::setProvider([us] { return us; });
    }
    void cleanup() {
        PasteService::setKeyboard(nullptr);
        KeyboardLayout::setProvider({});
    }

    void copyCountsEveryChange() {
        const qint64 before = PasteService::changeCount();
        QCOMPARE(PasteService::copy(u"#1E90FF"_s), before + 1);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"#1E90FF"_s);
        QCOMPARE(PasteService::copy(QString()), before + 2);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
        QGuiApplication::clipboard()->setText(u"elsewhere"_s);
        QTRY_COMPARE(PasteService::changeCount(), before + 3);
        // The selection is another clipboard.
        QGuiApplication::clipboard()->setText(u"selected"_s, QClipboard::Selection);
        QCOMPARE(PasteService::copy(u"mine"_s), before + 4);
    }

    void pasteNeedsTrust() {
        m_keyboard->trusted = false;
        m_keyboard->front = 5;
        QVERIFY(!Accessibility::isTrusted());
        QVERIFY(!PasteService::paste(7));
        QVERIFY(m_keyboard->activated.isEmpty());
        Accessibility::requestTrust();
        QCOMPARE(m_keyboard->trustRequests, 1);
        // A trusted paste made afterwards with the same delay arrives first of anything later.
        m_keyboard->trusted = true;
        QVERIFY(Accessibility::isTrusted());
        QVERIFY(PasteService::paste());
        QTRY_COMPARE(m_keyboard->posted.size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(m_keyboard->posted.size(), 1);
        // Without a keyboard (offscreen) nothing is ever trusted.
        PasteService::setKeyboard(nullptr);
        QVERIFY(!Accessibility::isTrusted());
        QVERIFY(!PasteService::paste());
    }

    void pasteUsesTheKeyThatTypesV_data() {
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("variant");
        QTest::addColumn<quint32>("keyCode");
        QTest::newRow("dvorak") << u"us"_s << u"dvorak"_s << 47u;
        QTest::newRow("no key types v") << u"ru"_s << QString() << 9u;
    }
    void pasteUsesTheKeyThatTypesV() {
        QFETCH(QString, names);
        QFETCH(QString, variant);
        QFETCH(quint32, keyCode);
        const auto map = layout(names, variant);
        QVERIFY(map);
        KeyboardLayout::setProvider([map] { return map; });
        QVERIFY(PasteService::paste());
        QVERIFY(m_keyboard->posted.isEmpty()); // answered at once, keystroke after the delay
        QTRY_COMPARE(m_keyboard->posted.size(), 1);
        QCOMPARE(m_keyboard->posted[0].keyCode, keyCode);
        QCOMPARE(m_keyboard->posted[0].modifiers, HotKeyCombo::controlKey);
    }

private:
    FakeKeyboard *m_keyboard = nullptr;
};

QTEST_MAIN(tst_PasteService)
#include "tst_PasteService.moc"
