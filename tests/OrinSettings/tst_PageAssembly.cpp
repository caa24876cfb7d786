#include "OrinSettings/PageAssembly.h"
#include "OrinSettings/SettingsRouter.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

SettingsPage page(const QString &id, const QStringList &keywords = {}) {
    return SettingsPage{id, id.toUpper(), u"gearshape.fill"_s, Qt::gray, keywords, {}};
}

const QStringList generalKeywords{"shortcut", "hotkey", "login",     "dock",
                                  "format",   "hex",    "lowercase", "copy"};
const SettingsPage about = page(u"about"_s, {"version", "update", "website"});

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
    void sharedKeywordsCompleteOnlyTheGeneralPage() {
        const QList<SettingsPage> pages = PageAssembly::withSharedGeneralKeywords(
            {page(u"extra"_s, {"one"}), page(u"general"_s, generalKeywords), about});
        QCOMPARE(pages.at(1).keywords,
                 (generalKeywords + QStringList{"launch", "startup", "menu bar", "permission",
                                                "permissions", "sound"}));
        QCOMPARE(pages.at(0).keywords, QStringList{"one"});
        QCOMPARE(pages.at(2).keywords, about.keywords);
        // Compared ignoring case: nothing is added twice.
        const SettingsPage own = page(u"general"_s, {"Dock", "SOUND", "Menu Bar"});
        QCOMPARE(PageAssembly::withSharedGeneralKeywords({own}).first().keywords,
                 (QStringList{"Dock", "SOUND", "Menu Bar", "shortcut", "hotkey", "launch", "login",
                              "startup", "permission", "permissions"}));
        QCOMPARE(ids(PageAssembly::assemble({own, page(u"x"_s)}, about)),
                 (QStringList{"general", "x", "about"}));
    }

    void filter_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("keyword") << u"dock"_s << QStringList{"general"};
        QTest::newRow("shared keyword") << u"sound"_s << QStringList{"general"};
        QTest::newRow("padded") << u"  menu "_s << QStringList{"general"};
        QTest::newRow("no match") << u"xyz"_s << QStringList{};
        QTest::newRow("empty") << u""_s << QStringList{"general", "secret", "about"};
        QTest::newRow("title") << u"genER"_s << QStringList{"general"};
        QTest::newRow("id is not searched") << u"secret"_s << QStringList{};
        QTest::newRow("order kept") << u"o"_s << QStringList{"general", "secret", "about"};
    }
    void filter() {
        QFETCH(QString, query);
        QFETCH(QStringList, expected);
        SettingsPage general = page(u"general"_s, generalKeywords);
        SettingsPage secret = page(u"secret"_s);
        secret.title = u"Other"_s;
        const QList<SettingsPage> pages = PageAssembly::assemble(
            PageAssembly::withSharedGeneralKeywords({general, secret}), about);
        QCOMPARE(ids(PageAssembly::filter(pages, query)), expected);
    }

    void resolve_data() {
        QTest::addColumn<QStringList>("pageIds");
        QTest::addColumn<std::optional<QString>>("requested");
        QTest::addColumn<QString>("expected");
        const QStringList both{"general", "about"}, noGeneral{"extra", "about"};
        const std::optional<QString> none;
        QTest::newRow("existing") << both << std::optional(u"about"_s) << u"about"_s;
        QTest::newRow("unknown") << both << std::optional(u"nope"_s) << u"general"_s;
        QTest::newRow("none given") << both << none << u"general"_s;
        QTest::newRow("empty list") << QStringList{} << std::optional(u"about"_s) << u"general"_s;
        QTest::newRow("no general") << noGeneral << std::optional(u"x"_s) << u"extra"_s;
        QTest::newRow("no general, none given") << QStringList{"about", "x"} << none << u"about"_s;
    }
    void resolve() {
        QFETCH(QStringList, pageIds);
        QFETCH(std::optional<QString>, requested);
        QFETCH(QString, expected);
        QList<SettingsPage> pages;
        for (const QString &id : pageIds)
            pages.append(page(id));
        QCOMPARE(PageAssembly::resolve(requested, pages), expected);
    }

    // Change signals only for new values; onChange after every page assignment.
    void routerSignalsOnlyNewValues() {
        SettingsRouter router;
        QCOMPARE(router.page(), u"general"_s);
        QSignalSpy pageChanged(&router, &SettingsRouter::pageChanged);
        QSignalSpy queryChanged(&router, &SettingsRouter::queryChanged);
        QStringList seen;
        router.onChange = [&](const QString &page) {
            seen.append(page);
        };
        for (const char *page : {"general", "about", "about"})
            router.setPage(QString::fromLatin1(page));
        QCOMPARE(seen, (QStringList{"general", "about", "about"}));
        QCOMPARE(pageChanged.count(), 1);
        for (const QString &query : {QString(), u"d"_s, u"d"_s, u"do"_s})
            router.setQuery(query);
        QCOMPARE(queryChanged.count(), 2);
        QCOMPARE(router.query(), u"do"_s);
    }
};

QTEST_GUILESS_MAIN(tst_PageAssembly)
#include "tst_PageAssembly.moc"
