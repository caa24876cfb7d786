#include "OrinHotkey/HotKeyRecorder.h"
#include "OrinHotkey/KeyCaps.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr HotKeyCombo controlOptionC(8, HotKeyCombo::controlKey | HotKeyCombo::optionKey);
constexpr auto Ctrl = Qt::ControlModifier;
constexpr auto Alt = Qt::AltModifier;
constexpr auto Shift = Qt::ShiftModifier;
constexpr auto Meta = Qt::MetaModifier;

} // namespace

Q_DECLARE_METATYPE(HotKeyRecorder::Decision)

class tst_HotKeyRecorder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        m_recorder = new HotKeyRecorder(controlOptionC, controlOptionC);
        m_edit = new QLineEdit;
        layout->addWidget(m_recorder);
        layout->addWidget(m_edit);
        m_beeps = 0;
        m_recorder->setBeep([this] { ++m_beeps; });
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup() { m_window.reset(); }
    void decide_data() {
        using D = HotKeyRecorder::Decision;
        using M = Qt::KeyboardModifiers;
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("modifierKey");
        QTest::addColumn<D>("expected");
        QTest::newRow("Esc") << 53u << M() << false << D::cancel;
        QTest::newRow("Ctrl+Alt+Esc") << 53u << (Ctrl | Alt) << false << D::cancel;
        QTest::newRow("A alone") << 0u << M() << false << D::reject;
        QTest::newRow("Shift+A") << 0u << M(Shift) << false << D::reject;
        QTest::newRow("F1 alone") << 122u << M() << false << D::reject;
        for (const auto &[name, code] : {std::pair{"X", 7u},
                                         {"C", 8u},
                                         {"V", 9u},
                                         {"Q", 12u},
                                         {"W", 13u},
                                         {"Tab", 48u},
                                         {"Space", 49u}}) {
            QTest::newRow(qPrintable(u"Super+"_s + name)) << code << M(Meta) << false << D::reject;
            QTest::newRow(qPrintable(u"Ctrl+"_s + name)) << code << M(Ctrl) << false << D::reject;
        }
        QTest::newRow("Shift+Super+V") << 9u << (Shift | Meta) << false << D::accept;
        QTest::newRow("Alt+V") << 9u << M(Alt) << false << D::accept;
        QTest::newRow("Ctrl+B") << 11u << M(Ctrl) << false << D::accept;
        // Keypad and group flags are not modifiers of a combination.
        QTest::newRow("keypad 1 alone") << 83u << M(Qt::KeypadModifier) << false << D::reject;
        QTest::newRow("Ctrl+C with group switch")
            << 8u << (Ctrl | Qt::GroupSwitchModifier) << false << D::reject;
        QTest::newRow("Ctrl+Alt+keypad 1")
            << 83u << (Ctrl | Alt | Qt::KeypadModifier) << false << D::accept;
        QTest::newRow("Control key") << 59u << M(Ctrl) << true << D::wait;
    }
    void decide() {
        QFETCH(quint32, keyCode);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, modifierKey);
        QFETCH(HotKeyRecorder::Decision, expected);
        QCOMPARE(HotKeyRecorder::decide(keyCode, modifiers, modifierKey), expected);
        // A key without a key code can never be stored.
        if (!modifierKey && keyCode != 53)
            QVERIFY(HotKeyRecorder::decide(std::nullopt, modifiers, false) !=
                    HotKeyRecorder::Decision::accept);
    }
    // One recorder through its states: idle, recording, rejecting, cancelling, accepting, reset.
    void recording() {
        const QStringList defaultCaps{"Ctrl", "Alt", "C"};
        QVERIFY(!m_recorder->isRecording());
        QCOMPARE(m_recorder->keyCaps()->keys(), defaultCaps);
        QCOMPARE(m_recorder->field()->toolTip(), u"Click to record a new shortcut"_s);
        QVERIFY(!m_recorder->resetButton()->isVisible());
        QCOMPARE(m_recorder->resetButton()->toolTip(), u"Reset to Ctrl+Alt+C"_s);

        QSignalSpy recording(m_recorder, &HotKeyRecorder::recordingChanged);
        QSignalSpy edited(m_recorder, &HotKeyRecorder::comboEdited);
        QTest::mouseClick(m_recorder->field(), Qt::LeftButton);
        QVERIFY(m_recorder->isRecording());
        QCOMPARE(m_recorder->field()->toolTip(), u"Press Esc to cancel"_s);
        QVERIFY(!m_recorder->keyCaps()->isVisible());
        // Modifiers on their own wait quietly; a rejected key beeps and keeps waiting.
        for (const auto &[key, mods] : {std::pair{Qt::Key_Control, Qt::KeyboardModifiers(Ctrl)},
                                        {Qt::Key_Shift, Ctrl | Alt | Shift},
                                        {Qt::Key_Super_L, Qt::KeyboardModifiers(Meta)},
                                        {Qt::Key_CapsLock, Qt::KeyboardModifiers()}})
            QTest::keyPress(m_recorder->field(), key, mods);
        QCOMPARE(m_beeps, 0);
        QTest::keyClick(m_recorder->field(), Qt::Key_Q, Meta);
        QCOMPARE(m_beeps, 1);
        QVERIFY(m_recorder->isRecording());
        QTest::keyClick(m_recorder->field(), Qt::Key_Escape, Meta);
        QVERIFY(!m_recorder->isRecording());
        QVERIFY(m_recorder->keyCaps()->isVisible());
        QCOMPARE(m_recorder->combo(), controlOptionC);
        QCOMPARE(recording.count(), 2);
        QCOMPARE(edited.count(), 0);
        // Stopping when idle is harmless.
        m_recorder->stopRecording();
        QCOMPARE(recording.count(), 2);

        // Stopped before it is announced: the owner may answer with a modal alert.
        bool recordingWhenAnnounced = true;
        connect(m_recorder, &HotKeyRecorder::comboEdited, this,
                [&] { recordingWhenAnnounced = m_recorder->isRecording(); });
        QTest::mouseClick(m_recorder->field(), Qt::LeftButton);
        QTest::keyClick(m_recorder->field(), Qt::Key_F5, Ctrl | Alt | Shift | Meta);
        const HotKeyCombo expected(96, HotKeyCombo::controlKey | HotKeyCombo::optionKey |
                                           HotKeyCombo::shiftKey | HotKeyCombo::cmdKey);
        QCOMPARE(edited.count(), 1);
        QVERIFY(!recordingWhenAnnounced);
        QCOMPARE(edited.takeFirst().first().value<HotKeyCombo>(), expected);
        QCOMPARE(m_recorder->combo(), expected);
        QCOMPARE(m_recorder->keyCaps()->keys(),
                 (QStringList{"Ctrl", "Alt", "Shift", "Super", "F5"}));
        QCOMPARE(m_beeps, 1);

        QVERIFY(m_recorder->resetButton()->isVisible());
        QTest::mouseClick(m_recorder->resetButton(), Qt::LeftButton);
        QCOMPARE(edited.takeFirst().first().value<HotKeyCombo>(), controlOptionC);
        QVERIFY(!m_recorder->resetButton()->isVisible());
        QCOMPARE(m_recorder->keyCaps()->keys(), defaultCaps);

        m_recorder->setCombo(HotKeyCombo(0, HotKeyCombo::cmdKey));
        QVERIFY(edited.isEmpty());
        QCOMPARE(m_recorder->keyCaps()->keys(), (QStringList{"Super", "A"}));
        QVERIFY(m_recorder->resetButton()->isVisible());
        // The reset button stays hidden while recording.
        m_recorder->startRecording();
        QVERIFY(!m_recorder->resetButton()->isVisible());
    }
    // While recording, keys go to the recorder alone: not to window shortcuts, not to other
    // widgets; leaving the screen or being destroyed stops that.
    void keysAreKeptFromTheRestWhileRecording() {
        auto *action = new QAction(m_window.get());
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K));
        m_window->addAction(action);
        QSignalSpy triggered(action, &QAction::triggered);
        QSignalSpy edited(m_recorder, &HotKeyRecorder::comboEdited);
        m_edit->setFocus();

        m_recorder->startRecording();
        QTest::keyClicks(m_edit, u"ab"_s);
        QCOMPARE(m_beeps, 2);
        QTest::keyClick(m_edit, Qt::Key_K, Ctrl | Alt);
        QCOMPARE(triggered.count(), 0);
        QCOMPARE(edited.count(), 1);
        QCOMPARE(m_edit->text(), QString());
        // Not recording: the same keys reach the shortcut and the field.
        QTest::keyClick(m_edit, Qt::Key_K, Ctrl | Alt);
        QCOMPARE(triggered.count(), 1);
        QTest::keyClicks(m_edit, u"ab"_s);
        QCOMPARE(m_edit->text(), u"ab"_s);

        m_recorder->startRecording();
        m_recorder->hide();
        QVERIFY(!m_recorder->isRecording());
        QTest::keyClicks(m_edit, u"x"_s);
        m_recorder->show();
        m_recorder->startRecording();
        delete m_recorder;
        QTest::keyClicks(m_edit, u"y"_s);
        QCOMPARE(m_edit->text(), u"abxy"_s);
        QCOMPARE(m_beeps, 2);
    }

private:
    std::unique_ptr<QWidget> m_window;
    HotKeyRecorder *m_recorder = nullptr;
    QLineEdit *m_edit = nullptr;
    int m_beeps = 0;
};

QTEST_MAIN(tst_HotKeyRecorder)
#include "tst_HotKeyRecorder.moc"
