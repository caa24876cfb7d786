#include "OrinPaste/Accessibility.h"
#include "OrinPaste/PasteService.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QProcess>
#include <QRasterWindow>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A window that keeps the key presses it receives.
class KeyRecorder final : public QRasterWindow {
public:
    KeyRecorder() { resize(200, 120); }

    struct Press {
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 scanCode;
    };
    QList<Press> presses;

protected:
    void keyPressEvent(QKeyEvent *event) override {
        if (event->key() == Qt::Key_Control)
            return; // the modifier going down on its own
        presses.append({event->key(), event->modifiers(), event->nativeScanCode()});
    }
};

// Runs xclip while the event loop keeps going: the clipboard's owner is this very process.
QByteArray xclip(const QStringList &arguments, const QByteArray &input = {},
                 int *exitCode = nullptr) {
    QProcess process;
    process.start(u"xclip"_s, arguments);
    if (!input.isNull()) {
        process.write(input);
        process.closeWriteChannel();
    }
    const bool finished =
        QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000);
    if (exitCode)
        *exitCode =
            finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    return process.readAllStandardOutput();
}

bool showActive(QWindow &window) {
    window.show();
    window.requestActivate();
    return QTest::qWaitForWindowActive(&window);
}

} // namespace

class tst_X11PasteService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { PasteService::setKeyboard(nullptr); }

    // Copies are read by other clients, empty text as empty text rather than the previous
    // contents; their writes are counted.
    void clipboardIsSharedWithOtherClients() {
        qint64 before = 0;
        for (const QString &copied : {u"#1E90FF"_s, QString()}) {
            before = PasteService::copy(copied);
            int exitCode = -1;
            const QByteArray text =
                xclip({u"-o"_s, u"-selection"_s, u"clipboard"_s}, {}, &exitCode);
            QCOMPARE(exitCode, 0);
            QCOMPARE(text, copied.toUtf8());
        }
        // xclip keeps serving the selection in the background until someone else takes it.
        xclip({u"-i"_s, u"-selection"_s, u"clipboard"_s}, QByteArray("theirs"));
        QTRY_COMPARE(PasteService::changeCount(), before + 1);
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), u"theirs"_s);
        // Taking it back ends that xclip.
        QCOMPARE(PasteService::copy(u"mine again"_s), before + 2);
    }

    void pasteSendsControlVToTheTarget() {
        QVERIFY(Accessibility::isTrusted()); // XTEST is there
        KeyRecorder target;
        KeyRecorder other;
        QVERIFY(showActive(target));
        QVERIFY(showActive(other));
        QVERIFY(PasteService::paste(target.winId()));
        QTRY_VERIFY(target.isActive());
        QTRY_COMPARE(target.presses.size(), 1);
        QCOMPARE(target.presses[0].key, int(Qt::Key_V));
        QCOMPARE(target.presses[0].modifiers, Qt::ControlModifier);
        QCOMPARE(target.presses[0].scanCode, 55u); // the V key
        QVERIFY(other.presses.isEmpty());
    }
};

CHROMET_X11_TEST_MAIN(tst_X11PasteService)
#include "tst_X11PasteService.moc"
