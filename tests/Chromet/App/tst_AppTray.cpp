// The running application in a real tray (trayer, an XEmbed system tray) on Xvfb, used as a
// person would: the tray menu opened with a click and walked with the keyboard, the clipboard
// read through xclip, the tray icon and the windows read from the screen.

#include "ChrometProcess.h"

#include "Chromet/Color/ColorConversion.h"
#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Library/LibraryStore.h"
#include "Support/ImageProbe.h"
#include "Support/XServerSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Away from where the contrast checker opens (centred, at 60 % of the height from the bottom).
const QRect fixtureGeometry(20, 480, 400, 300);

PickedColor srgbColor(QRgb rgb) {
    return pickedColor({qRed(rgb) / 255.0, qGreen(rgb) / 255.0, qBlue(rgb) / 255.0},
                       QColorSpace(QColorSpace::SRgb));
}

// The pixels of `image` within 4 of `color` in every channel.
int countNear(const QImage &image, QRgb color) {
    return probe(image,
                 [&](const QColor &p) {
                     return std::abs(p.red() - qRed(color)) <= 4 &&
                            std::abs(p.green() - qGreen(color)) <= 4 &&
                            std::abs(p.blue() - qBlue(color)) <= 4;
                 })
        .count;
}

bool key(const QStringList &keys) {
    return Desktop::xdotool(QStringList{u"key"_s} + keys);
}

} // namespace

class tst_AppTray : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        m_trayer.setProcessChannelMode(QProcess::MergedChannels);
        m_trayer.start(u"trayer"_s, {u"--edge"_s, u"top"_s, u"--align"_s, u"right"_s,
                                     u"--widthtype"_s, u"request"_s, u"--height"_s, u"24"_s});
        QVERIFY2(m_trayer.waitForStarted(), "trayer is needed for this test");
        // A trayer that has ended will not show up: say why instead of waiting.
        QVERIFY(Desktop::waitFor([this] {
            m_panel = Desktop::run(u"xdotool"_s,
                                   {u"search"_s, u"--onlyvisible"_s, u"--classname"_s, u"panel"_s})
                          .split('\n')
                          .value(0)
                          .toULongLong();
            return m_panel != 0 || m_trayer.waitForFinished(0) ||
                   m_trayer.state() == QProcess::NotRunning;
        }));
        QVERIFY2(m_panel, m_trayer.readAll().constData());
    }
    void cleanupTestCase() {
        m_trayer.terminate();
        if (!m_trayer.waitForFinished(5000)) {
            m_trayer.kill();
            m_trayer.waitForFinished();
        }
    }

    void copyFromTheTrayMenuPlaysTheFeedback() {
        ChrometProcess app;
        QVERIFY2(startWithNavyRecent(app), qPrintable(app.lines().join(QLatin1Char('\n'))));
        const QImage normal = iconImage();
        ClipboardHolder holder(u"left alone"_s);
        QVERIFY(holder.isHolding());

        // Pick Color, the recent color, its submenu; past "Copy #336699" to HEX, then RGB.
        QVERIFY(openMenu(app));
        const QList<quint64> withMenu = Desktop::windowsOf(app.pid());
        QVERIFY(key({u"Down"_s, u"Down"_s, u"Right"_s}));
        QVERIFY(waitForNewWindow(app, withMenu));
        QElapsedTimer sinceCopy;
        sinceCopy.start();
        QVERIFY(key({u"Down"_s, u"Down"_s, u"Return"_s}));

        // The icon shows a dot in the copied color while the feedback plays...
        QImage feedback;
        QVERIFY(Desktop::waitFor(
            [&] {
                feedback = iconImage();
                return countNear(feedback, navy) >= 20;
            },
            5000));
        QVERIFY(countNear(normal, navy) == 0);
        const QString rgb =
            ColorFormats::format(ColorFormat::rgb, srgbColor(navy), std::nullopt, false);
        QCOMPARE(rgb, u"rgb(51 102 153)"_s);
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(rgb), 5000);

        // ... and is the normal icon again once it is over, 1.4 seconds after the copy and its
        // disappearance.
        QVERIFY(Desktop::waitFor([&] { return iconImage() == normal; }, 10000));
        QVERIFY2(sinceCopy.elapsed() >= 1400, qPrintable(QString::number(sinceCopy.elapsed())));
        // Nothing but the tray icon is left on screen.
        QCOMPARE(Desktop::windowsOf(app.pid()).size(), 1);
    }
    void newPaletteIsNamedInTheDialog() {
        ChrometProcess app;
        QVERIFY2(startWithNavyRecent(app), qPrintable(app.lines().join(QLatin1Char('\n'))));

        // The recent color's submenu: past Copy and the ten formats to "Pin to", then New Palette….
        QVERIFY(openMenu(app));
        QList<quint64> shown = Desktop::windowsOf(app.pid());
        QVERIFY(key({u"Down"_s, u"Down"_s, u"Right"_s}));
        QVERIFY(waitForNewWindow(app, shown));
        shown = Desktop::windowsOf(app.pid());
        QVERIFY(key(QStringList(11, u"Down"_s) << u"Right"_s));
        QVERIFY(waitForNewWindow(app, shown));
        shown = Desktop::windowsOf(app.pid());
        QVERIFY(key({u"Down"_s, u"Return"_s}));

        // The name field has the keyboard, its proposal selected: typing replaces it.
        const quint64 dialog = waitForNewWindow(app, shown);
        QVERIFY(dialog);
        QVERIFY(Desktop::waitFor([&] { return Desktop::focusedWindow() == dialog; }));

        // The shortcut picks over the open dialog: the loupe is on screen with the keyboard, and
        // Esc gives the keyboard back to the dialog.
        const int mark = int(app.lines().size());
        QVERIFY(key({u"ctrl+alt+c"_s}));
        QVERIFY(app.waitForLine(u"first window ordered front"_s, mark) >= 0);
        quint64 loupe = 0;
        QVERIFY(Desktop::waitFor([&] {
            loupe = Desktop::focusedWindow();
            return loupe != dialog && Desktop::windowPid(loupe) == app.pid() &&
                   Desktop::windowsOf(app.pid()).contains(loupe);
        }));
        QVERIFY(key({u"Escape"_s}));
        QVERIFY(Desktop::waitFor([&] { return !Desktop::windowsOf(app.pid()).contains(loupe); }));
        QVERIFY(Desktop::waitFor([&] { return Desktop::focusedWindow() == dialog; }));

        QVERIFY(Desktop::xdotool({u"type"_s, u"Brand"_s}));
        QVERIFY(key({u"Return"_s}));

        QVERIFY(Desktop::waitFor([&] {
            QFile file(app.libraryPath());
            if (!file.open(QIODevice::ReadOnly))
                return false;
            const auto saved = LibraryStore::decode(file.readAll());
            return saved && saved->palettes.size() == 2 &&
                   saved->palettes.last().name == u"Brand"_s &&
                   saved->palettes.last().colors.size() == 1 &&
                   saved->palettes.last().colors.first().color == srgbColor(navy);
        }));
        // The pin is acknowledged on the icon.
        QVERIFY(Desktop::waitFor([&] { return countNear(iconImage(), navy) >= 20; }, 5000));
    }
    void firstLaunchOnboardsOnceThenSettingsFromTheMenu() {
        ChrometProcess first;
        ChrometProcess::Options options;
        options.completedOnboarding = false;
        QVERIFY2(startInTray(first, options), qPrintable(first.lines().join(QLatin1Char('\n'))));

        const QString welcome = u"Welcome to Chromet"_s;
        quint64 onboarding = 0;
        QVERIFY(Desktop::waitFor(
            [&] { return (onboarding = Desktop::findWindow(welcome, first.pid())); }));
        QVERIFY(!QFile::exists(first.settingsPath()));
        // Welcome, Screen Recording (granted: X lets any client read the screen), the shortcut;
        // Return is the main button's key on every page.
        QVERIFY(Desktop::xdotool({u"windowfocus"_s, u"--sync"_s, QString::number(onboarding)}));
        for (int page = 0; page < 3; ++page)
            QVERIFY(key({u"Return"_s}));
        QVERIFY(first.waitForLine(u"Chromet: onboarding finished"_s) >= 0);
        QVERIFY(Desktop::waitFor([&] { return Desktop::findWindow(welcome, first.pid()) == 0; }));
        QFile settings(first.settingsPath());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(settings.readAll().contains("hasCompletedOnboarding=true"));
        settings.close();
        first.stop();

        // The next launch shows none; Settings… opens the settings on the General page.
        ChrometProcess next;
        ChrometProcess::Options again;
        again.sameSessionAs = &first;
        QVERIFY2(startInTray(next, again), qPrintable(next.lines().join(QLatin1Char('\n'))));
        QVERIFY(openMenu(next));
        // From the bottom: Quit Chromet, Settings… (a build without an update feed offers no
        // check).
        QVERIFY(key({u"Up"_s, u"Up"_s, u"Return"_s}));
        QVERIFY(
            Desktop::waitFor([&] { return Desktop::findWindow(u"General"_s, next.pid()) != 0; }));
        QCOMPARE(Desktop::findWindow(welcome, next.pid()), quint64(0));
        QVERIFY(next.lines().filter(u"onboarding"_s).isEmpty());
    }
    void contrastCheckerShowsAPickMadeWhileOpen() {
        ColorFixtureProcess fixture;
        QVERIFY(fixture.start(fixtureGeometry));
        ChrometProcess app;
        const quint64 icon = startInTray(app, {});
        QVERIFY2(icon, qPrintable(app.lines().join(QLatin1Char('\n'))));

        // With no history: Pick Color, (No colors yet), Favorites, Contrast….
        QVERIFY(openMenu(app));
        const QList<quint64> withMenu = Desktop::windowsOf(app.pid());
        QVERIFY(key({u"Down"_s, u"Down"_s, u"Down"_s, u"Return"_s}));
        quint64 panel = 0;
        QVERIFY(Desktop::waitFor([&] {
            for (quint64 window : Desktop::windowsOf(app.pid())) {
                if (!withMenu.contains(window) && Desktop::windowGeometry(window).width() >= 300)
                    panel = window;
            }
            return panel != 0;
        }));
        const QRect panelRect = Desktop::windowGeometry(panel);
        QVERIFY(!panelRect.intersects(fixtureGeometry));

        const QPoint at = fixtureGeometry.topLeft() + QPoint(230, 40);
        const QRgb picked = fixture.rgbAt(at);
        QCOMPARE(countNear(Desktop::grabScreen(panelRect), picked), 0);
        QVERIFY(app.openLoupe(at - QPoint(40, 30)));
        QVERIFY(Desktop::xdotool({u"mousemove"_s, QString::number(at.x()), QString::number(at.y()),
                                  u"click"_s, u"1"_s}));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(fixture.hexAt(at)), 10000);
        // The loupe has gone; the checker stayed up all along.
        QVERIFY(Desktop::waitFor([&] {
            const QList<quint64> shown = Desktop::windowsOf(app.pid());
            return shown.size() == 2 && shown.contains(panel) && shown.contains(icon);
        }));

        // The open checker now compares the new color (its swatch and the sample's text) with
        // white.
        QVERIFY(Desktop::waitFor(
            [&] { return countNear(Desktop::grabScreen(panelRect), picked) >= 100; }, 10000));
        QVERIFY(Desktop::windowsOf(app.pid()).contains(panel));
        QCOMPARE(Desktop::windowGeometry(panel), panelRect);
    }

private:
    static constexpr QRgb navy = qRgb(0x33, 0x66, 0x99);

    // Chromet in the tray with navy as its one recent color.
    bool startWithNavyRecent(ChrometProcess &app) {
        Library library = Library::defaultLibrary();
        library.record(srgbColor(navy));
        ChrometProcess::Options options;
        options.library = LibraryStore::encode(library).value();
        return startInTray(app, options) != 0;
    }

    // Starts Chromet in the tray with the options, and waits until its icon is embedded there and
    // drawn; the icon's window.
    quint64 startInTray(ChrometProcess &app, ChrometProcess::Options options) {
        // The menu is walked with the keyboard: one style, so disabled items are passed over alike.
        options.environment << u"QT_STYLE_OVERRIDE=Fusion"_s;
        if (!app.start(options)) {
            qWarning("chromet did not start");
            return 0;
        }
        if (app.waitForLine(u"Chromet: launched"_s) < 0) {
            qWarning("chromet did not log that it launched (%s)",
                     app.isRunning() ? "still running" : "ended");
            return 0;
        }
        quint64 icon = 0;
        const bool embedded = Desktop::waitFor([&] {
            const QList<quint64> inTray = Desktop::descendants(m_panel);
            const QList<quint64> own = Desktop::windowsOf(app.pid());
            for (quint64 window : own) {
                if (inTray.contains(window)) {
                    icon = window;
                    return true;
                }
            }
            return false;
        });
        if (!embedded) {
            qWarning("the icon was never embedded in the tray");
            return 0;
        }
        // Drawn once it shows more than the tray's background, and settled once two looks agree.
        // The tray may still be placing and sizing the icon it just embedded, so its place is read
        // anew each time.
        QImage previous;
        QRect previousRect;
        const bool drawn = Desktop::waitFor([&] {
            const QRect rect = Desktop::windowGeometry(icon);
            const QImage now = rect.isEmpty() ? QImage() : Desktop::grabScreen(rect);
            const bool settled = !now.isNull() && rect == previousRect && now == previous &&
                                 now.pixel(0, 0) != now.pixel(rect.width() / 2, rect.height() / 2);
            previous = now;
            previousRect = rect;
            return settled;
        });
        m_iconRect = previousRect;
        if (!drawn)
            qWarning() << "the icon was never drawn, at" << m_iconRect;
        return drawn ? icon : 0;
    }
    // The icon as the screen shows it.
    QImage iconImage() const { return Desktop::grabScreen(m_iconRect); }
    // Clicks the tray icon and waits for the menu; false when it does not open.
    bool openMenu(ChrometProcess &app) {
        const QList<quint64> before = Desktop::windowsOf(app.pid());
        const QPoint centre = m_iconRect.center();
        if (!Desktop::xdotool({u"mousemove"_s, QString::number(centre.x()),
                               QString::number(centre.y()), u"click"_s, u"1"_s}))
            return false;
        return waitForNewWindow(app, before) != 0;
    }
    // Waits for a window of the process on screen that was not there before.
    quint64 waitForNewWindow(ChrometProcess &app, const QList<quint64> &before) {
        quint64 found = 0;
        Desktop::waitFor([&] {
            const QList<quint64> now = Desktop::windowsOf(app.pid());
            for (quint64 window : now) {
                if (!before.contains(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        });
        return found;
    }

    QProcess m_trayer;
    quint64 m_panel = 0;
    QRect m_iconRect;
};

CHROMET_E2E_MAIN(tst_AppTray, "1280x800x24")
#include "tst_AppTray.moc"
