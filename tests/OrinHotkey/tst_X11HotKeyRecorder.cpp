#include "OrinHotkey/HotKey.h"
#include "OrinHotkey/HotKeyRecorder.h"
#include "Support/RegisteredHotKey.h"
#include "Support/XServerSession.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr HotKeyCombo controlOptionC(8, HotKeyCombo::controlKey | HotKeyCombo::optionKey);

bool xdotool(const QStringList &arguments) {
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

} // namespace

// On a real X server: keys pressed while recording come from the keyboard by their positions,
// modifier keys alone keep the recorder waiting, and the application's own global shortcut is
// recorded instead of firing.
class tst_X11HotKeyRecorder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void recordsKeysFromTheKeyboard();
    void modifierKeysAloneKeepWaiting();
    void ownShortcutIsRecordedNotFired();

private:
    std::unique_ptr<QWidget> m_window;
    HotKeyRecorder *m_recorder = nullptr;
    int m_beeps = 0;
};

void tst_X11HotKeyRecorder::init() {
    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    m_recorder = new HotKeyRecorder(controlOptionC, controlOptionC);
    layout->addWidget(m_recorder);
    layout->addWidget(new QLineEdit);
    m_beeps = 0;
    m_recorder->setBeep([this] { ++m_beeps; });
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void tst_X11HotKeyRecorder::cleanup() {
    m_window.reset();
}

void tst_X11HotKeyRecorder::recordsKeysFromTheKeyboard() {
    QSignalSpy edited(m_recorder, &HotKeyRecorder::comboEdited);
    QTest::mouseClick(m_recorder->field(), Qt::LeftButton);
    QVERIFY(m_recorder->isRecording());
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("k")}));
    QTRY_COMPARE(m_beeps, 1);
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+c")}));
    QTRY_COMPARE(m_beeps, 2);
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+k")}));
    QTRY_COMPARE(edited.count(), 1);
    QCOMPARE(m_recorder->combo(), HotKeyCombo(40, HotKeyCombo::controlKey | HotKeyCombo::shiftKey));
    QVERIFY(!m_recorder->isRecording());

    QTest::mouseClick(m_recorder->field(), Qt::LeftButton);
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    QTRY_VERIFY(!m_recorder->isRecording());
    QCOMPARE(edited.count(), 1);

    // A key beyond the key table, as the keymap names it.
    QTest::mouseClick(m_recorder->field(), Qt::LeftButton);
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+Print")}));
    QTRY_COMPARE(edited.count(), 2);
    QCOMPARE(m_recorder->combo(), HotKeyCombo(355, HotKeyCombo::controlKey));
    QCOMPARE(m_recorder->combo().displayString(), QStringLiteral("Ctrl+Print"));
}

void tst_X11HotKeyRecorder::modifierKeysAloneKeepWaiting() {
    QSignalSpy edited(m_recorder, &HotKeyRecorder::comboEdited);
    m_recorder->startRecording();
    for (const char *key : {"Control_L", "Alt_L", "Shift_L", "Super_L", "Control_R"})
        QVERIFY(xdotool({QStringLiteral("key"), QString::fromLatin1(key)}));
    // Then a key that is recorded, so every press above has been delivered.
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("super+alt+j")}));
    QTRY_COMPARE(edited.count(), 1);
    QCOMPARE(m_beeps, 0);
    QCOMPARE(m_recorder->combo(), HotKeyCombo(38, HotKeyCombo::cmdKey | HotKeyCombo::optionKey));
}

void tst_X11HotKeyRecorder::ownShortcutIsRecordedNotFired() {
    int fired = 0;
    auto hotKey = registeredHotKey(controlOptionC, [&] { ++fired; });
    QVERIFY(hotKey);
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+c")}));
    QTRY_COMPARE(fired, 1);

    QSignalSpy edited(m_recorder, &HotKeyRecorder::comboEdited);
    m_recorder->setCombo(HotKeyCombo(40, HotKeyCombo::cmdKey));
    m_recorder->startRecording();
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+c")}));
    QTRY_COMPARE(edited.count(), 1);
    QCOMPARE(edited.first().first().value<HotKeyCombo>(), controlOptionC);
    QVERIFY(!m_recorder->isRecording());
    // A press that had reached the shortcut would have queued its action by now.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(fired, 1);

    // Once recording ends the shortcut works again, also while the window has the focus.
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+c")}));
    QTRY_COMPARE(fired, 2);
    QCOMPARE(edited.count(), 1);
}

CHROMET_X11_TEST_MAIN(tst_X11HotKeyRecorder)
#include "tst_X11HotKeyRecorder.moc"
