#include "OrinSettings/PageAssembly.h"

#include <QTest>

namespace {

SettingsPage page(const QString &id, const QString &title, const QStringList &keywords = {}) {
    return SettingsPage{id, title, QStringLiteral("gearshape.fill"), Qt::gray, keywords, {}};
}

// The application's general page as the product hands it in, and the About page.
SettingsPage general() {
    return page(QStringLiteral("general"), QStringLiteral("General"),
                {"shortcut", "hotkey", "login", "dock", "format", "hex", "lowercase", "copy"});
}

SettingsPage about() {
    return page(QStringLiteral("about"), QStringLiteral("About"),
                {"about", "version", "update", "updates", "website", "support"});
}

QStringList ids(const QList<SettingsPage> &pages) {
    QStringList list;
    for (const SettingsPage &p : pages)
        list.append(p.id);
    return list;
}

} // namespace

class tst_PageAssembly : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sharedKeywordsCompleteTheGeneralPage();
    void sharedKeywordsComparedIgnoringCase();
    void otherPagesUnchanged();
    void assembleAppendsAbout();
    void filter_data();
    void filter();
    void filterDoesNotSearchIds();
    void filterKeepsOrder();
    void resolve_data();
    void resolve();
};

void tst_PageAssembly::sharedKeywordsCompleteTheGeneralPage() {
    const QList<SettingsPage> pages = PageAssembly::withSharedGeneralKeywords({general()});
    QCOMPARE(pages.size(), 1);
    QCOMPARE(
        pages.first().keywords,
        (QStringList{"shortcut", "hotkey", "login", "dock", "format", "hex", "lowercase", "copy",
                     "launch", "startup", "menu bar", "permission", "permissions", "sound"}));
    QCOMPARE(pages.first().title, QStringLiteral("General"));
}

void tst_PageAssembly::sharedKeywordsComparedIgnoringCase() {
    SettingsPage own =
        page(QStringLiteral("general"), QStringLiteral("General"), {"Dock", "SOUND", "Menu Bar"});
    const QStringList keywords = PageAssembly::withSharedGeneralKeywords({own}).first().keywords;
    QCOMPARE(keywords, (QStringList{"Dock", "SOUND", "Menu Bar", "shortcut", "hotkey", "launch",
                                    "login", "startup", "permission", "permissions"}));
    QCOMPARE(keywords.count(QStringLiteral("dock")), 0);
}

void tst_PageAssembly::otherPagesUnchanged() {
    const SettingsPage extra = page(QStringLiteral("extra"), QStringLiteral("Extra"), {"one"});
    const QList<SettingsPage> pages =
        PageAssembly::withSharedGeneralKeywords({extra, general(), about()});
    QCOMPARE(ids(pages), (QStringList{"extra", "general", "about"}));
    QCOMPARE(pages.at(0).keywords, QStringList{"one"});
    QCOMPARE(pages.at(2).keywords, about().keywords);
}

void tst_PageAssembly::assembleAppendsAbout() {
    const SettingsPage extra = page(QStringLiteral("extra"), QStringLiteral("Extra"));
    QCOMPARE(ids(PageAssembly::assemble({general(), extra}, about())),
             (QStringList{"general", "extra", "about"}));
    QCOMPARE(ids(PageAssembly::assemble({}, about())), QStringList{"about"});
}

void tst_PageAssembly::filter_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("dock") << "dock" << QStringList{"general"};
    QTest::newRow("upper-case UPD") << "UPD" << QStringList{"about"};
    QTest::newRow("padded menu") << "  menu " << QStringList{"general"};
    QTest::newRow("xyz") << "xyz" << QStringList{};
    QTest::newRow("sound") << "sound" << QStringList{"general"};
    QTest::newRow("version") << "version" << QStringList{"about"};
    QTest::newRow("empty") << "" << QStringList{"general", "about"};
    QTest::newRow("white space only") << " \t \n" << QStringList{"general", "about"};
    QTest::newRow("title") << "genER" << QStringList{"general"};
    QTest::newRow("in both") << "o" << QStringList{"general", "about"};
    QTest::newRow("line breaks trimmed") << "\nwebsite\r\n" << QStringList{"about"};
}

void tst_PageAssembly::filter() {
    QFETCH(QString, query);
    QFETCH(QStringList, expected);
    const QList<SettingsPage> pages =
        PageAssembly::assemble(PageAssembly::withSharedGeneralKeywords({general()}), about());
    QCOMPARE(ids(PageAssembly::filter(pages, query)), expected);
}

void tst_PageAssembly::filterDoesNotSearchIds() {
    const SettingsPage hidden = page(QStringLiteral("secret"), QStringLiteral("Other"), {"misc"});
    QVERIFY(PageAssembly::filter({hidden}, QStringLiteral("secret")).isEmpty());
    QCOMPARE(PageAssembly::filter({hidden}, QStringLiteral("MISC")).size(), 1);
}

void tst_PageAssembly::filterKeepsOrder() {
    const QList<SettingsPage> pages{page("b", "Beta", {"shared"}), page("c", "Gamma"),
                                    page("a", "Alpha", {"shared"})};
    QCOMPARE(ids(PageAssembly::filter(pages, QStringLiteral("shared"))), (QStringList{"b", "a"}));
}

void tst_PageAssembly::resolve_data() {
    QTest::addColumn<QStringList>("pageIds");
    QTest::addColumn<QString>("requested");
    QTest::addColumn<bool>("given");
    QTest::addColumn<QString>("expected");
    QTest::newRow("existing") << QStringList{"general", "about"} << "about" << true << "about";
    QTest::newRow("unknown") << QStringList{"general", "about"} << "nope" << true << "general";
    QTest::newRow("none given") << QStringList{"general", "about"} << "" << false << "general";
    QTest::newRow("empty list") << QStringList{} << "about" << true << "general";
    QTest::newRow("no general") << QStringList{"extra", "about"} << "nope" << true << "extra";
    QTest::newRow("no general, none given")
        << QStringList{"about", "extra"} << "" << false << "about";
}

void tst_PageAssembly::resolve() {
    QFETCH(QStringList, pageIds);
    QFETCH(QString, requested);
    QFETCH(bool, given);
    QFETCH(QString, expected);
    QList<SettingsPage> pages;
    for (const QString &id : pageIds)
        pages.append(page(id, id.toUpper()));
    const std::optional<QString> id = given ? std::optional<QString>(requested) : std::nullopt;
    QCOMPARE(PageAssembly::resolve(id, pages), expected);
}

QTEST_GUILESS_MAIN(tst_PageAssembly)
#include "tst_PageAssembly.moc"
