#include "OrinSettings/DesktopKeyBinding.h"
#include "OrinSettings/PageAssembly.h"
#include "OrinSettings/SettingsRouter.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

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

// The page list, its search and the selected page; the shortcut hint for desktops where the
// application cannot bind one itself.
class tst_SettingsModel : public QObject {
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
        SettingsPage secret = page(u"secret"_s);
        secret.title = u"Other"_s;
        const QList<SettingsPage> pages = PageAssembly::assemble(
            PageAssembly::withSharedGeneralKeywords({page(u"general"_s, generalKeywords), secret}),
            about);
        QCOMPARE(ids(PageAssembly::filter(pages, query)), expected);
    }
    void resolve() {
        const auto resolve = [](const std::optional<QString> &requested, const QStringList &ids) {
            QList<SettingsPage> pages;
            for (const QString &id : ids)
                pages.append(page(id));
            return PageAssembly::resolve(requested, pages);
        };
        const QStringList both{"general", "about"};
        QCOMPARE(resolve(u"about"_s, both), u"about"_s);
        QCOMPARE(resolve(u"nope"_s, both), u"general"_s);
        QCOMPARE(resolve(std::nullopt, both), u"general"_s);
        QCOMPARE(resolve(u"about"_s, {}), u"general"_s);
        QCOMPARE(resolve(u"x"_s, {"extra", "about"}), u"extra"_s);
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
        for (const QString &page : {u"general"_s, u"about"_s, u"about"_s})
            router.setPage(page);
        QCOMPARE(seen, (QStringList{"general", "about", "about"}));
        QCOMPARE(pageChanged.count(), 1);
        for (const QString &query : {QString(), u"d"_s, u"d"_s, u"do"_s})
            router.setQuery(query);
        QCOMPARE(queryChanged.count(), 2);
        QCOMPARE(router.query(), u"do"_s);
    }

    void desktopKeyBinding_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("place");
        const auto row = [](const char *desktop, const char *shortcut, const char *text,
                            const char *place) {
            QTest::addRow("%s on %s", shortcut, desktop)
                << QString::fromUtf8(desktop) << QString::fromUtf8(shortcut)
                << QString::fromUtf8(text) << QString::fromUtf8(place);
        };
        row("sway", "Ctrl+Alt+C", "bindsym Ctrl+Alt+c exec chromet pick", "~/.config/sway/config");
        row("sway", "Shift+Super+Space", "bindsym Shift+Mod4+space exec chromet pick",
            "reload sway");
        row("sway", "Ctrl++", "bindsym Ctrl+plus exec chromet pick", "sway");
        row("Hyprland", "Ctrl+Alt+C", "bind = CTRL ALT, C, exec, chromet pick", "hyprland.conf");
        row("ubuntu:GNOME", "Ctrl+Alt+C", "chromet pick", "Settings → Keyboard");
        row("KDE", "Ctrl+Alt+C", "chromet pick", "System Settings → Keyboard");
        row("", "Ctrl+Alt+C", "chromet pick", "keyboard settings");
    }
    void desktopKeyBinding() {
        QFETCH(QString, desktop);
        QFETCH(QString, shortcut);
        QFETCH(QString, text);
        QFETCH(QString, place);
        const auto binding =
            DesktopKeyBinding::forDesktop(desktop, u"Chromet"_s, u"chromet pick"_s, shortcut);
        QCOMPARE(binding.text, text);
        QVERIFY2(binding.explanation.startsWith(u"Chromet can't set a global shortcut"_s),
                 qPrintable(binding.explanation));
        QVERIFY2(binding.explanation.contains(place), qPrintable(binding.explanation));
    }
};

QTEST_GUILESS_MAIN(tst_SettingsModel)
#include "tst_SettingsModel.moc"
