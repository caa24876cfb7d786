// The running tray application, picked from end to end on a real X server: keys and pointer
// through XTEST, the clipboard through xclip, the history from the library file.

#include "ChrometProcess.h"

#include "Chromet/Color/ColorConversion.h"
#include "Chromet/Color/ColorFormat.h"
#include "Support/XServerSession.h"

#include <QCoreApplication>
#include <QFile>
#include <QScopeGuard>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QRect fixtureGeometry(200, 150, 512, 400);

QString oklchOf(QRgb rgb) {
    const PickedColor color =
        pickedColor({qRed(rgb) / 255.0, qGreen(rgb) / 255.0, qBlue(rgb) / 255.0},
                    QColorSpace(QColorSpace::SRgb));
    return ColorFormats::format(ColorFormat::oklch, color, std::nullopt, false);
}

} // namespace

class tst_AppPick : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_fixture.start(fixtureGeometry));
        ChrometProcess::Options options;
        // Shows the auto-repeats of a held shortcut that are let pass.
        options.environment << u"QT_LOGGING_RULES=*.debug=false;orin.hotkey.debug=true"_s;
        QVERIFY(m_app.start(options));
        QVERIFY2(m_app.waitUntilReady(), qPrintable(m_app.lines().join(QLatin1Char('\n'))));
    }
    void cleanupTestCase() { m_app.stop(); }
    void init() {
        QVERIFY(m_app.isRunning());
        // The fixture has the keyboard, as the application the user works in would.
        QVERIFY(
            Desktop::xdotool({u"windowfocus"_s, u"--sync"_s, QString::number(m_fixture.window())}));
    }

    void clickCopiesThePixelAndRecordsIt() {
        const QPoint at = fixtureGeometry.topLeft() + QPoint(123, 45);
        QVERIFY(pickAt(at));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(m_fixture.hexAt(at)), 10000);
        QCOMPARE(Desktop::history(m_app.libraryPath()), QList<QRgb>{m_fixture.rgbAt(at)});

        // The loupe closes by itself and the focus returns to the window that had it.
        QVERIFY(m_app.waitUntilNoVisibleWindow());
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::focusedWindow(), m_fixture.window(), 5000);
    }
    void keysNudgeAndPick_data() {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QPoint>("offset");
        QTest::newRow("three right, ten left, Return")
            << QStringList{"Right", "Right", "Right", "shift+Left", "Return"} << QPoint(-7, 0);
    }
    void keysNudgeAndPick() {
        QFETCH(QStringList, keys);
        QFETCH(QPoint, offset);
        const QPoint start = fixtureGeometry.topLeft() + QPoint(300, 200);
        QVERIFY(m_app.openLoupe(start));
        QVERIFY(Desktop::xdotool(QStringList{u"key"_s} + keys));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(),
                                  std::optional(m_fixture.hexAt(start + offset)), 10000);
        QCOMPARE(Desktop::history(m_app.libraryPath()).value(0), m_fixture.rgbAt(start + offset));
        QVERIFY(m_app.waitUntilNoVisibleWindow());
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::focusedWindow(), m_fixture.window(), 5000);
    }
    void cancelLeavesClipboardAndHistory_data() {
        QTest::addColumn<QStringList>("input");
        QTest::newRow("Escape") << QStringList{"key", "Escape"};
        QTest::newRow("right-click") << QStringList{"click", "3"};
        QTest::newRow("the shortcut again") << QStringList{"key", "ctrl+alt+c"};
    }
    void cancelLeavesClipboardAndHistory() {
        QFETCH(QStringList, input);
        QFile library(m_app.libraryPath());
        const QByteArray before =
            library.open(QIODevice::ReadOnly) ? library.readAll() : QByteArray();
        library.close();
        ClipboardHolder holder(u"left alone"_s);
        QVERIFY(holder.isHolding());

        QVERIFY(m_app.openLoupe(fixtureGeometry.center()));
        QVERIFY(m_app.hasVisibleWindow());
        QVERIFY(Desktop::xdotool(input));
        // Once the loupe has gone, any pick would have been copied and saved already.
        QVERIFY(m_app.waitUntilNoVisibleWindow());
        QCOMPARE(Desktop::clipboard(), std::optional(u"left alone"_s));
        QVERIFY(library.open(QIODevice::ReadOnly));
        QCOMPARE(library.readAll(), before);
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::focusedWindow(), m_fixture.window(), 5000);
    }
    void heldShortcutOpensTheLoupeOnce() {
        QVERIFY(Desktop::xdotool({u"mousemove"_s, u"400"_s, u"300"_s}));
        const int mark = int(m_app.lines().size());
        const QStringList keyUp{u"keyup"_s, u"ctrl+alt+c"_s};
        auto letGo = qScopeGuard([&] { Desktop::xdotool(keyUp); });
        QVERIFY(Desktop::xdotool({u"keydown"_s, u"ctrl+alt+c"_s}));
        int seen = m_app.waitForLine(u"first window ordered front"_s, mark);
        QVERIFY(seen >= 0);
        // The server repeats the held keys, now into the loupe's keyboard grab.
        for (int repeat = 0; repeat < 3; ++repeat) {
            seen = m_app.waitForLine(u"auto-repeat of a held shortcut ignored"_s, seen + 1);
            QVERIFY2(seen >= 0, qPrintable(m_app.lines().mid(mark).join(QLatin1Char('\n'))));
        }
        letGo.dismiss();
        QVERIFY(Desktop::xdotool(keyUp));
        QCOMPARE(m_app.lines().mid(mark).filter(u"first window ordered front"_s).size(), 1);
        QVERIFY(m_app.hasVisibleWindow());
        // Let go and pressed again, it closes the loupe.
        QVERIFY(Desktop::xdotool({u"key"_s, u"ctrl+alt+c"_s}));
        QVERIFY(m_app.waitUntilNoVisibleWindow());
    }
    void secondInstanceLeavesTheFirstAlone() {
        ChrometProcess second;
        ChrometProcess::Options options;
        options.sameSessionAs = &m_app;
        QVERIFY(second.start(options));
        QCOMPARE(second.waitForExit(10000), std::optional(1));
        QCOMPARE(second.lines(), QStringList{u"Chromet is already running"_s});

        // The first one still picks.
        QVERIFY(m_app.isRunning());
        const QPoint at = fixtureGeometry.topLeft() + QPoint(77, 88);
        QVERIFY(pickAt(at));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(m_fixture.hexAt(at)), 10000);
        QVERIFY(m_app.waitUntilNoVisibleWindow());
    }
    void defaultFormatFromTheSettingsFile() {
        m_app.stop();
        ChrometProcess app;
        ChrometProcess::Options options;
        options.settings = "[General]\ndefaultFormat=oklch\n";
        QVERIFY(app.start(options));
        QVERIFY(app.waitUntilReady());
        const QPoint at = fixtureGeometry.topLeft() + QPoint(250, 130);
        QVERIFY(app.openLoupe(at));
        QVERIFY(Desktop::xdotool({u"click"_s, u"1"_s}));
        const QString expected = oklchOf(m_fixture.rgbAt(at));
        QVERIFY(expected.startsWith(u"oklch("_s));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(expected), 10000);
        QCOMPARE(Desktop::history(app.libraryPath()), QList<QRgb>{m_fixture.rgbAt(at)});
    }

private:
    bool pickAt(const QPoint &at) {
        if (!m_app.openLoupe(at - QPoint(40, 30)))
            return false;
        return Desktop::xdotool(
            {u"mousemove"_s, QString::number(at.x()), QString::number(at.y()), u"click"_s, u"1"_s});
    }

    ColorFixtureProcess m_fixture;
    ChrometProcess m_app;
};

CHROMET_E2E_MAIN(tst_AppPick, "1280x800x24")
#include "tst_AppPick.moc"
