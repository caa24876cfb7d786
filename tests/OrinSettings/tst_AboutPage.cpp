#include "OrinSettings/AboutPage.h"
#include "OrinSettings/SettingsIcon.h"
#include "OrinSettings/SettingsRow.h"
#include "OrinSettings/SettingsSection.h"
#include "OrinUpdates/LinkUpdater.h"
#include "Support/ImageProbe.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

class CountingUpdater final : public Updater {
public:
    int checks = 0;
    bool isAvailable() const override { return true; }
    void checkForUpdates() override { ++checks; }
};

SettingsAppInfo appInfo() {
    SettingsAppInfo info;
    info.id = u"picker"_s;
    info.name = u"Picker"_s;
    info.website = QUrl(u"https://example.org/"_s);
    info.changelog = QUrl(u"https://example.org/releases"_s);
    info.support = QUrl(u"mailto:help@example.org"_s);
    info.shortVersion = u"1.0"_s;
    info.buildNumber = u"27"_s;
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

// The About page: version, the update command only when offered, and the three links.
class tst_AboutPage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void versionText_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("build");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both") << u"1.0"_s << u"27"_s << u"1.0 (27)"_s;
        QTest::newRow("no version") << u""_s << u"27"_s << u"dev (27)"_s;
        QTest::newRow("no build") << u"1.4"_s << u""_s << u"1.4 (0)"_s;
        QTest::newRow("neither") << u""_s << u""_s << u"dev (0)"_s;
    }
    void versionText() {
        QFETCH(QString, version);
        QFETCH(QString, build);
        QFETCH(QString, expected);
        SettingsAppInfo info = appInfo();
        info.shortVersion = version;
        info.buildNumber = build;
        AboutPage page(info, nullptr);
        QCOMPARE(page.findChild<QLabel *>(u"version"_s)->text(), expected);
    }

    void updateRowOnlyWithAnUpdateCommand() {
        CountingUpdater updater;
        const SettingsPage descriptor = AboutPage::page(appInfo(), &updater);
        std::unique_ptr<QWidget> content(descriptor.content());
        auto *page = qobject_cast<AboutPage *>(content.get());
        QVERIFY(page);
        QCOMPARE(rowTitles(*page),
                 (QStringList{"Version", "Updates", "Website", "What's New", "Contact Support"}));
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page));
        // Its title keeps clear of the button's edges.
        QAbstractButton *check = page->checkForUpdatesButton();
        QVERIFY(check->width() >= check->fontMetrics().horizontalAdvance(check->text()) + 24);
        QTest::mouseClick(check, Qt::LeftButton);
        QCOMPARE(updater.checks, 1);
        // Without an update command, searching for updates does not find the page.
        QVERIFY(descriptor.keywords.contains(u"update"_s));
        QCOMPARE(AboutPage::page(appInfo(), nullptr).keywords,
                 (QStringList{"about", "version", "website", "support"}));

        LinkUpdater links(QUrl(u"https://example.org/releases"_s));
        for (Updater *none : {static_cast<Updater *>(&links), static_cast<Updater *>(nullptr)}) {
            AboutPage without(appInfo(), none);
            QVERIFY(!without.checkForUpdatesButton());
            QCOMPARE(rowTitles(without),
                     (QStringList{"Version", "Website", "What's New", "Contact Support"}));
        }
    }

    void linksOpenTheirAddresses() {
        QList<QUrl> opened;
        AboutPage::setUrlOpener([&](const QUrl &url) { opened.append(url); });
        const auto restore = qScopeGuard([] { AboutPage::setUrlOpener({}); });
        AboutPage page(appInfo(), nullptr);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        for (QAbstractButton *link : page.linkButtons())
            QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(opened, (QList<QUrl>{QUrl(u"https://example.org/"_s),
                                      QUrl(u"https://example.org/releases"_s),
                                      QUrl(u"mailto:help@example.org"_s)}));

        // Plain buttons: no frame under the pointer; the blue icon plate, a gap, the dark title.
        QAbstractButton *link = page.linkButtons().first();
        const QImage plain = link->grab().toImage();
        link->setAttribute(Qt::WA_UnderMouse, true);
        QCOMPARE(link->grab().toImage(), plain);
        const int iconRight = probe(plain, [](const QColor &c) {
                                  return c.alpha() > 128 && c.blue() > c.red() + 60;
                              }).bounds.right();
        const auto isText = [](const QColor &c) {
            return c.alpha() > 128 && qGray(c.rgb()) < 110 && qAbs(c.red() - c.blue()) < 30;
        };
        const QRect afterIcon(iconRight + 1, 0, plain.width(), plain.height());
        const int textLeft = probe(plain, isText, afterIcon).bounds.left();
        QVERIFY2(iconRight >= 0 && textLeft - iconRight > 6,
                 qPrintable(u"icon ends %1, text starts %2"_s.arg(iconRight).arg(textLeft)));
    }

    void iconIsDrawn() {
        // A white symbol on a rounded square of the tint: transparent corners, tint at the edge's
        // middle, white inside.
        const QImage image =
            SettingsIcon::pixmap(u"globe"_s, SettingsIcon::blue(), 40, 2.0).toImage();
        QCOMPARE(image.size(), QSize(80, 80));
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        const QColor edge = image.pixelColor(40, 2);
        QVERIFY(edge.alpha() == 255 && edge.blue() > edge.red());
        QVERIFY(probe(
            image, [](const QColor &c) { return qMin(qMin(c.red(), c.green()), c.blue()) > 240; },
            QRect(20, 20, 40, 40)));
        // An unknown symbol still draws the plate.
        const QImage plate = SettingsIcon::pixmap(u"no.such.symbol"_s, Qt::red, 20).toImage();
        QCOMPARE(plate.pixelColor(10, 10).alpha(), 255);
    }
};

QTEST_MAIN(tst_AboutPage)
#include "tst_AboutPage.moc"
