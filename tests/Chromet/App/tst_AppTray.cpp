// The running application in a real tray (trayer, an XEmbed system tray) on Xvfb: a copy from the
// tray menu, opened with a click and walked with the keyboard, reaches the clipboard and plays on
// the icon as the screen shows it.

#include "ChrometProcess.h"

#include "Chromet/Library/LibraryStore.h"
#include "Support/ImageProbe.h"
#include "Support/XServerSession.h"

#include <QCoreApplication>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr QRgb navy = qRgb(0x33, 0x66, 0x99);

// The pixels of `image` within 4 of navy in every channel.
int countNavy(const QImage &image) {
    return probe(image,
                 [&](const QColor &p) {
                     return std::abs(p.red() - qRed(navy)) <= 4 &&
                            std::abs(p.green() - qGreen(navy)) <= 4 &&
                            std::abs(p.blue() - qBlue(navy)) <= 4;
                 })
        .count;
}

bool key(const QStringList &keys) {
    return Desktop::xdotool(QStringList{u"key"_s} + keys);
}

// Waits for a window of the process on screen that was not there before.
quint64 waitForNewWindow(qint64 pid, const QList<quint64> &before) {
    quint64 found = 0;
    Desktop::waitFor([&] {
        for (quint64 window : Desktop::windowsOf(pid)) {
            if (!before.contains(window))
                found = window;
        }
        return found != 0;
    });
    return found;
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
        if (!m_trayer.waitForFinished(5000))
            m_trayer.kill();
        m_trayer.waitForFinished();
    }

    void copyFromTheTrayMenuPlaysTheFeedback() {
        Library library = Library::defaultLibrary();
        library.record({{0.2, 0.4, 0.6}, {0.2, 0.4, 0.6}});
        ChrometProcess app;
        ChrometProcess::Options options;
        options.library = LibraryStore::encode(library).value();
        // The menu is walked with the keyboard: one style, so disabled items are passed over alike.
        options.environment << u"QT_STYLE_OVERRIDE=Fusion"_s;
        QVERIFY(app.start(options));
        QVERIFY2(waitForIcon(app.pid()), qPrintable(app.lines().join(u'\n')));
        const QImage normal = iconImage();
        QCOMPARE(countNavy(normal), 0);
        ClipboardHolder holder(u"left alone"_s);
        QVERIFY(holder.isHolding());

        // A click opens the menu: Pick Color, the recent color, its submenu; past "Copy #336699"
        // to HEX, then RGB.
        QList<quint64> shown = Desktop::windowsOf(app.pid());
        const QPoint centre = m_iconRect.center();
        QVERIFY(Desktop::xdotool({u"mousemove"_s, QString::number(centre.x()),
                                  QString::number(centre.y()), u"click"_s, u"1"_s}));
        QVERIFY(waitForNewWindow(app.pid(), shown));
        shown = Desktop::windowsOf(app.pid());
        QVERIFY(key({u"Down"_s, u"Down"_s, u"Right"_s}));
        QVERIFY(waitForNewWindow(app.pid(), shown));
        QVERIFY(key({u"Down"_s, u"Down"_s, u"Return"_s}));

        // The icon shows a dot in the copied color while the feedback plays, and is the normal
        // icon again once it is over; nothing but the icon is left on screen.
        QVERIFY(Desktop::waitFor([&] { return countNavy(iconImage()) >= 20; }, 5000));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(u"rgb(51 102 153)"_s), 5000);
        QVERIFY(Desktop::waitFor([&] { return iconImage() == normal; }, 10000));
        QCOMPARE(Desktop::windowsOf(app.pid()).size(), 1);
    }

private:
    // Waits until the icon is embedded in the tray (a window of the process within the panel) and
    // drawn, and notes where it is.
    bool waitForIcon(qint64 pid) {
        quint64 icon = 0;
        if (!Desktop::waitFor([&] {
                const QRect panel = Desktop::windowGeometry(m_panel);
                for (quint64 window : Desktop::windowsOf(pid))
                    icon = panel.contains(Desktop::windowGeometry(window)) ? window : icon;
                return icon != 0;
            }))
            return false;
        // Drawn once it shows more than the tray's background, and settled once two looks agree.
        // The tray may still be placing and sizing the icon it just embedded, so its place is read
        // anew each time.
        QImage previous;
        return Desktop::waitFor([&] {
            const QRect rect = Desktop::windowGeometry(icon);
            const QImage now = rect.isEmpty() ? QImage() : Desktop::grabScreen(rect);
            const bool settled = !now.isNull() && rect == m_iconRect && now == previous &&
                                 now.pixel(0, 0) != now.pixel(rect.width() / 2, rect.height() / 2);
            previous = now;
            m_iconRect = rect;
            return settled;
        });
    }
    // The icon as the screen shows it.
    QImage iconImage() const { return Desktop::grabScreen(m_iconRect); }

    QProcess m_trayer;
    quint64 m_panel = 0;
    QRect m_iconRect;
};

CHROMET_E2E_MAIN(tst_AppTray, "1280x800x24")
#include "tst_AppTray.moc"
