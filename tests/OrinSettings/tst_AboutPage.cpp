#include "OrinSettings/AboutPage.h"
#include "OrinSettings/SettingsRow.h"
#include "OrinSettings/SettingsSection.h"
#include "OrinUpdates/LinkUpdater.h"

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
    void updateRowOnlyWithAnUpdateCommand() {
        CountingUpdater updater;
        const SettingsPage descriptor = AboutPage::page(appInfo(), &updater);
        std::unique_ptr<QWidget> content(descriptor.content());
        auto *page = qobject_cast<AboutPage *>(content.get());
        QVERIFY(page);
        QCOMPARE(rowTitles(*page),
                 (QStringList{"Version", "Updates", "Website", "What's New", "Contact Support"}));
        QCOMPARE(page->findChild<QLabel *>(u"version"_s)->text(), u"1.0 (27)"_s);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page));
        QTest::mouseClick(page->checkForUpdatesButton(), Qt::LeftButton);
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
    }
};

QTEST_MAIN(tst_AboutPage)
#include "tst_AboutPage.moc"
