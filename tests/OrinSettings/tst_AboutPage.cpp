#include "OrinSettings/AboutPage.h"
#include "OrinSettings/AppHeader.h"
#include "OrinSettings/SettingsIcon.h"
#include "OrinSettings/SettingsRow.h"
#include "OrinSettings/SettingsSection.h"
#include "OrinUpdates/LinkUpdater.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

#include <memory>

namespace {

class CountingUpdater final : public Updater {
public:
    int checks = 0;
    bool isAvailable() const override { return true; }
    void checkForUpdates() override { ++checks; }
};

SettingsAppInfo appInfo() {
    SettingsAppInfo info;
    info.id = QStringLiteral("picker");
    info.name = QStringLiteral("Picker");
    info.tagline = QStringLiteral("Pick any color on screen and copy it as code.");
    info.website = QUrl(QStringLiteral("https://example.org/"));
    info.changelog = QUrl(QStringLiteral("https://example.org/releases"));
    info.support = QUrl(QStringLiteral("mailto:help@example.org"));
    info.shortVersion = QStringLiteral("1.0");
    info.buildNumber = QStringLiteral("27");
    return info;
}

QStringList rowTitles(const AboutPage &page) {
    QStringList titles;
    for (QWidget *row : page.sections().first()->rows()) {
        if (auto *settingsRow = qobject_cast<SettingsRow *>(row))
            titles.append(settingsRow->title());
        else if (auto *button = row->findChild<QAbstractButton *>())
            titles.append(button->text());
    }
    return titles;
}

} // namespace

// The About page: header, version, the update command only when offered, and the three links.
class tst_AboutPage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void descriptor();
    void headerShowsNameAndTagline();
    void versionText_data();
    void versionText();
    void rowsWithAnUpdater();
    void noUpdateRowWithoutAnUpdateCommand();
    void linksOpenTheirAddresses();
    void linksArePlainWithRoomAfterTheIcon();
    void iconIsDrawn();
};

void tst_AboutPage::cleanup() {
    AboutPage::setUrlOpener({});
}

void tst_AboutPage::descriptor() {
    CountingUpdater updater;
    const SettingsPage page = AboutPage::page(appInfo(), &updater);
    QCOMPARE(page.id, QStringLiteral("about"));
    QCOMPARE(page.title, QStringLiteral("About"));
    QCOMPARE(page.keywords,
             (QStringList{"about", "version", "update", "updates", "website", "support"}));
    QCOMPARE(AboutPage::page(appInfo(), nullptr).keywords,
             (QStringList{"about", "version", "website", "support"}));
    std::unique_ptr<QWidget> content(page.content());
    QVERIFY(qobject_cast<AboutPage *>(content.get()));
}

void tst_AboutPage::headerShowsNameAndTagline() {
    AboutPage page(appInfo(), nullptr);
    QCOMPARE(page.sections().size(), 1);
    auto *header = qobject_cast<AppHeader *>(page.sections().first()->headerWidget());
    QVERIFY(header);
    QCOMPARE(header->appName(), QStringLiteral("Picker"));
    QCOMPARE(header->subtitle(), QStringLiteral("Pick any color on screen and copy it as code."));
    const auto *icon = header->findChild<QLabel *>(QStringLiteral("icon"));
    QCOMPARE(icon->size(), QSize(72, 72));
    const auto *name = header->findChild<QLabel *>(QStringLiteral("name"));
    QCOMPARE(name->font().weight(), QFont::DemiBold);
}

void tst_AboutPage::versionText_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("build");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const QString &version, const QString &build,
                        const QString &expected) {
        QTest::newRow(name) << version << build << expected;
    };
    row("both", QStringLiteral("1.0"), QStringLiteral("27"), QStringLiteral("1.0 (27)"));
    row("no version", QStringLiteral(""), QStringLiteral("27"), QStringLiteral("dev (27)"));
    row("no build", QStringLiteral("1.4"), QStringLiteral(""), QStringLiteral("1.4 (0)"));
    row("neither", QStringLiteral(""), QStringLiteral(""), QStringLiteral("dev (0)"));
}

void tst_AboutPage::versionText() {
    QFETCH(QString, version);
    QFETCH(QString, build);
    QFETCH(QString, expected);
    SettingsAppInfo info = appInfo();
    info.shortVersion = version;
    info.buildNumber = build;
    QCOMPARE(info.versionText(), expected);
    AboutPage page(info, nullptr);
    QCOMPARE(page.findChild<QLabel *>(QStringLiteral("version"))->text(), expected);
}

void tst_AboutPage::rowsWithAnUpdater() {
    CountingUpdater updater;
    AboutPage page(appInfo(), &updater);
    QCOMPARE(rowTitles(page),
             (QStringList{"Version", "Updates", "Website", "What's New", "Contact Support"}));
    const QList<SettingsRow *> rows = page.sections().first()->settingsRows();
    QCOMPARE(qobject_cast<QLabel *>(rows.at(0)->control())->text(), QStringLiteral("1.0 (27)"));
    QCOMPARE(qobject_cast<QAbstractButton *>(rows.at(1)->control())->text(),
             QStringLiteral("Check for Updates\u2026"));
    for (QAbstractButton *link : page.linkButtons()) {
        QVERIFY(!link->icon().isNull());
        QCOMPARE(link->iconSize(), QSize(20, 20));
    }
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    // Its title keeps clear of the button's edges.
    QAbstractButton *check = page.checkForUpdatesButton();
    QVERIFY(check->width() >= check->fontMetrics().horizontalAdvance(check->text()) + 24);
    QTest::mouseClick(check, Qt::LeftButton);
    QCOMPARE(updater.checks, 1);
}

void tst_AboutPage::noUpdateRowWithoutAnUpdateCommand() {
    LinkUpdater updater(QUrl(QStringLiteral("https://example.org/releases")));
    AboutPage page(appInfo(), &updater);
    QVERIFY(!page.checkForUpdatesButton());
    QCOMPARE(rowTitles(page), (QStringList{"Version", "Website", "What's New", "Contact Support"}));
    AboutPage withoutUpdater(appInfo(), nullptr);
    QCOMPARE(rowTitles(withoutUpdater), rowTitles(page));
}

void tst_AboutPage::linksOpenTheirAddresses() {
    QList<QUrl> opened;
    AboutPage::setUrlOpener([&](const QUrl &url) { opened.append(url); });
    AboutPage page(appInfo(), nullptr);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    for (QAbstractButton *link : page.linkButtons())
        QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(opened,
             (QList<QUrl>{QUrl("https://example.org/"), QUrl("https://example.org/releases"),
                          QUrl("mailto:help@example.org")}));
}

void tst_AboutPage::linksArePlainWithRoomAfterTheIcon() {
    AboutPage page(appInfo(), nullptr);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QAbstractButton *link = page.linkButtons().first();
    const QImage plain = link->grab().toImage();

    // Under the pointer a plain button draws no frame.
    link->setAttribute(Qt::WA_UnderMouse, true);
    QCOMPARE(link->grab().toImage(), plain);
    link->setAttribute(Qt::WA_UnderMouse, false);

    // The blue plate of the icon, then a gap, then the dark title.
    const auto columnHas = [&plain](int x, auto &&test) {
        for (int y = 0; y < plain.height(); ++y) {
            if (test(plain.pixelColor(x, y)))
                return true;
        }
        return false;
    };
    const auto isIcon = [](const QColor &c) {
        return c.alpha() > 128 && c.blue() > c.red() + 60;
    };
    const auto isText = [](const QColor &c) {
        return c.alpha() > 128 && qGray(c.rgb()) < 110 && qAbs(c.red() - c.blue()) < 30;
    };
    int iconRight = -1;
    int textLeft = -1;
    for (int x = 0; x < plain.width() && textLeft < 0; ++x) {
        if (columnHas(x, isIcon))
            iconRight = x;
        else if (iconRight >= 0 && columnHas(x, isText))
            textLeft = x;
    }
    QVERIFY(iconRight >= 0);
    QVERIFY(textLeft > iconRight);
    QVERIFY2(textLeft - iconRight > 6,
             qPrintable(QStringLiteral("gap %1").arg(textLeft - iconRight)));
}

void tst_AboutPage::iconIsDrawn() {
    // A white symbol on a rounded square of the tint: transparent corners, tint at the edge's
    // middle, white somewhere inside.
    const QImage image =
        SettingsIcon::pixmap(QStringLiteral("globe"), SettingsIcon::blue(), 40, 2.0).toImage();
    QCOMPARE(image.size(), QSize(80, 80));
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    const QColor edge = image.pixelColor(40, 2);
    QVERIFY(edge.alpha() == 255 && edge.blue() > edge.red());
    bool white = false;
    for (int y = 20; y < 60 && !white; ++y) {
        for (int x = 20; x < 60 && !white; ++x) {
            const QColor c = image.pixelColor(x, y);
            white = c.red() > 240 && c.green() > 240 && c.blue() > 240;
        }
    }
    QVERIFY(white);
    // An unknown symbol still draws the plate.
    const QImage plain =
        SettingsIcon::pixmap(QStringLiteral("no.such.symbol"), Qt::red, 20).toImage();
    QCOMPARE(plain.pixelColor(10, 10).alpha(), 255);
}

QTEST_MAIN(tst_AboutPage)
#include "tst_AboutPage.moc"
