#include "OrinHotkey/HotKey.h"
#include "OrinHotkey/HotKeyRecorder.h"
#include "Support/RegisteredHotKey.h"
#include "Support/RunProgram.h"
#include "Support/XServerSession.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr HotKeyCombo controlOptionC(8, HotKeyCombo::controlKey | HotKeyCombo::optionKey);

} // namespace

class tst_X11HotKeyRecorder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // On a real X server keys pressed while recording come from the keyboard by their
    // positions, and the application's own global shortcut is recorded instead of firing.
    void recordsKeysFromTheKeyboard() {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *recorder = new HotKeyRecorder(controlOptionC, controlOptionC);
        layout->addWidget(recorder);
        layout->addWidget(new QLineEdit);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy edited(recorder, &HotKeyRecorder::comboEdited);
        QTest::mouseClick(recorder->field(), Qt::LeftButton);
        QVERIFY(xdotool({u"key"_s, u"ctrl+shift+k"_s}));
        QTRY_COMPARE(edited.count(), 1);
        QCOMPARE(recorder->combo(),
                 HotKeyCombo(40, HotKeyCombo::controlKey | HotKeyCombo::shiftKey));
        QVERIFY(!recorder->isRecording());

        // A key beyond the key table, as the keymap names it.
        QTest::mouseClick(recorder->field(), Qt::LeftButton);
        QVERIFY(xdotool({u"key"_s, u"ctrl+Print"_s}));
        QTRY_COMPARE(edited.count(), 2);
        QCOMPARE(recorder->combo(), HotKeyCombo(355, HotKeyCombo::controlKey));

        int fired = 0;
        auto hotKey = registeredHotKey(controlOptionC, [&] { ++fired; });
        QVERIFY(hotKey);
        QVERIFY(xdotool({u"key"_s, u"ctrl+alt+c"_s}));
        QTRY_COMPARE(fired, 1);
        recorder->startRecording();
        QVERIFY(xdotool({u"key"_s, u"ctrl+alt+c"_s}));
        QTRY_COMPARE(edited.count(), 3);
        QCOMPARE(edited.last().first().value<HotKeyCombo>(), controlOptionC);
        QVERIFY(!recorder->isRecording());
        // A press that had reached the shortcut would have queued its action by now.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QCOMPARE(fired, 1);

        // Once recording ends the shortcut works again, also while the window has the focus.
        QVERIFY(xdotool({u"key"_s, u"ctrl+alt+c"_s}));
        QTRY_COMPARE(fired, 2);
        QCOMPARE(edited.count(), 3);
    }
};

CHROMET_X11_TEST_MAIN(tst_X11HotKeyRecorder)
#include "tst_X11HotKeyRecorder.moc"
