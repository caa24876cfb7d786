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

using namespace Qt::StringLiterals;

namespace {

constexpr HotKeyCombo controlOptionC(8, HotKeyCombo::controlKey | HotKeyCombo::optionKey);

bool xdotool(const QStringList &arguments) {
    return QProcess::execute(u"xdotool"_s, arguments) == 0;
}

} // namespace

// On a real X server: keys pressed while recording come from the keyboard by their positions,
// and the application's own global shortcut is recorded instead of firing.
class tst_X11HotKeyRecorder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        m_recorder = new HotKeyRecorder(controlOptionC, controlOptionC);
        layout->addWidget(m_recorder);
        layout->addWidget(new QLineEdit);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup() { m_window.reset(); }
    void recordsKeysFromTheKeyboard() {
        QSignalSpy edited(m_recorder, &HotKeyRecorder::comboEdited);
        QTest::mouseClick(m_recorder->field(), Qt::LeftButton);
        QVERIFY(xdotool({u"key"_s, u"ctrl+shift+k"_s}));
        QTRY_COMPARE(edited.count(), 1);
        QCOMPARE(m_recorder->combo(),
                 HotKeyCombo(40, HotKeyCombo::controlKey | HotKeyCombo::shiftKey));
        QVERIFY(!m_recorder->isRecording());

        // A key beyond the key table, as the keymap names it.
        QTest::mouseClick(m_recorder->field(), Qt::LeftButton);
        QVERIFY(xdotool({u"key"_s, u"ctrl+Print"_s}));
        QTRY_COMPARE(edited.count(), 2);
        QCOMPARE(m_recorder->combo(), HotKeyCombo(355, HotKeyCombo::controlKey));
        QCOMPARE(m_recorder->combo().displayString(), u"Ctrl+Print"_s);
    }
    void ownShortcutIsRecordedNotFired() {
        int fired = 0;
        auto hotKey = registeredHotKey(controlOptionC, [&] { ++fired; });
        QVERIFY(hotKey);
        QVERIFY(xdotool({u"key"_s, u"ctrl+alt+c"_s}));
        QTRY_COMPARE(fired, 1);

        QSignalSpy edited(m_recorder, &HotKeyRecorder::comboEdited);
        m_recorder->setCombo(HotKeyCombo(40, HotKeyCombo::cmdKey));
        m_recorder->startRecording();
        QVERIFY(xdotool({u"key"_s, u"ctrl+alt+c"_s}));
        QTRY_COMPARE(edited.count(), 1);
        QCOMPARE(edited.first().first().value<HotKeyCombo>(), controlOptionC);
        QVERIFY(!m_recorder->isRecording());
        // A press that had reached the shortcut would have queued its action by now.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QCOMPARE(fired, 1);

        // Once recording ends the shortcut works again, also while the window has the focus.
        QVERIFY(xdotool({u"key"_s, u"ctrl+alt+c"_s}));
        QTRY_COMPARE(fired, 2);
        QCOMPARE(edited.count(), 1);
    }

private:
    std::unique_ptr<QWidget> m_window;
    HotKeyRecorder *m_recorder = nullptr;
};

CHROMET_X11_TEST_MAIN(tst_X11HotKeyRecorder)
#include "tst_X11HotKeyRecorder.moc"
