#include "Chromet/App/StatusMenu.h"

#include "Chromet/App/MenuSwatch.h"

#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Color/TailwindPalette.h"
#include "OrinMenuBar/StatusItemController.h"

#include <QMenu>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The status menu compared item by item with what the user must see, and every item's closure
// checked for the command, color, format and name it runs with.
class tst_StatusMenu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_menu = std::make_unique<QMenu>();
        m_calls.clear();
    }
    void emptyHistoryAndEmptyFavorites() {
        Palette favorites{QUuid::createUuid(), u"Favorites"_s, {}};
        build({}, {favorites});

        QCOMPARE(describe(m_menu.get()),
                 (QStringList{"Pick Color\tCtrl+Alt+C", "---", "## Recent", "No colors yet [off]",
                              "---", "Favorites >", "Contrast\u2026", "Default Format >", "---",
                              "Clear History [off]", "Settings\u2026", "---", "Quit Chromet"}));
        QCOMPARE(describe(submenu({"Favorites"})),
                 (QStringList{"No colors yet [off]", "---", "Export > [off]",
                              "Rename Palette\u2026", "Delete Palette"}));
        QCOMPARE(describe(submenu({"Favorites", "Export"})),
                 (QStringList{"Swift >", "CSS Variables >", "Tailwind >"}));
        for (const char *format : {"Swift", "CSS Variables", "Tailwind"})
            QCOMPARE(describe(submenu({"Favorites", "Export", format})),
                     (QStringList{"Copy", "Save\u2026"}));

        QCOMPARE(trigger({"Pick Color\tCtrl+Alt+C"}), u"pick"_s);
        QCOMPARE(trigger({"Contrast\u2026"}), u"contrast"_s);
        QCOMPARE(trigger({"Clear History"}), QString()); // disabled
        QCOMPARE(trigger({"Settings\u2026"}), u"openSettings"_s);
        QCOMPARE(trigger({"Quit Chromet"}), u"quit"_s);
        QCOMPARE(trigger({"Favorites", "Rename Palette\u2026"}), u"renamePalette Favorites 0"_s);
        QCOMPARE(trigger({"Favorites", "Delete Palette"}),
                 "deletePalette Favorites " + favorites.id.toString());
        QCOMPARE(trigger({"Favorites", "Export", "Tailwind", "Copy"}),
                 u"exportCopy Favorites tailwind"_s);
        QCOMPARE(trigger({"Favorites", "Export", "CSS Variables", "Save\u2026"}),
                 u"exportSave Favorites css"_s);
    }
    void historyColorSubmenu() {
        const PickedColor red = color(1, 0, 0);
        build({red}, {});
        const QString title = u"#FF0000"_s;
        QCOMPARE(describe(m_menu.get()).mid(2, 4),
                 (QStringList{"## Recent", title + " >", "---", "Contrast\u2026"}));
        QVERIFY(!item({title})->icon().isNull());

        QStringList expected{"Copy #FF0000", "---"};
        for (ColorFormat format : ColorFormats::allCases())
            expected.append(ColorFormats::labelText(format, red, false));
        expected += QStringList{"---", "Pin to >", "Delete"};
        QCOMPARE(describe(submenu({title})), expected);
        QCOMPARE(describe(submenu({title, "Pin to"})), (QStringList{"---", "New Palette\u2026"}));

        // Each format's item, named in its tooltip, copies in that format.
        const QList<QAction *> actions = submenu({title})->actions();
        QVERIFY(submenu({title})->toolTipsVisible());
        QCOMPARE(trigger({title, "Copy #FF0000"}), u"copy #FF0000 hex -"_s);
        for (int i = 0; i < 10; ++i) {
            const ColorFormat format = ColorFormats::allCases()[size_t(i)];
            QCOMPARE(actions.at(i + 2)->toolTip(), ColorFormats::displayName(format));
            m_calls.clear();
            actions.at(i + 2)->trigger();
            QCOMPARE(m_calls, QStringList{"copy #FF0000 " + ColorFormats::rawValue(format) + " -"});
        }
        QCOMPARE(trigger({title, "Pin to", "New Palette\u2026"}), u"pinToNewPalette #FF0000"_s);
        QCOMPARE(trigger({title, "Delete"}), u"deleteFromHistory #FF0000"_s);
        QVERIFY(item({"Clear History"})->isEnabled());
        QCOMPARE(trigger({"Clear History"}), u"clearHistory"_s);
    }
    void pinToDisablesPalettesHoldingTheColor() {
        const PickedColor red = color(1, 0, 0);
        const PickedColor blue = color(0, 0, 1);
        // Equal in sRGB but not in P3: a different color.
        const PickedColor redOtherP3{{1, 0, 0}, {0.9, 0.2, 0.1}};
        Palette favorites{
            QUuid::createUuid(), u"Favorites"_s, {NamedColor{QUuid::createUuid(), u"Red"_s, red}}};
        Palette brand{QUuid::createUuid(),
                      u"Brand"_s,
                      {NamedColor{QUuid::createUuid(), u"Other"_s, redOtherP3}}};
        build({red, blue}, {favorites, brand});

        QCOMPARE(describe(submenu({"#FF0000", "Pin to"})),
                 (QStringList{"Favorites [off]", "Brand", "---", "New Palette\u2026"}));
        QCOMPARE(describe(submenu({"#0000FF", "Pin to"})),
                 (QStringList{"Favorites", "Brand", "---", "New Palette\u2026"}));
        QCOMPARE(trigger({"#FF0000", "Pin to", "Brand"}), "pin #FF0000 " + brand.id.toString());
        QCOMPARE(trigger({"#0000FF", "Pin to", "Favorites"}),
                 "pin #0000FF " + favorites.id.toString());
    }
    void tailwindMarkerInTitlesButNotInCopy() {
        const PickedColor inexact = color(0.123, 0.456, 0.789);
        const PickedColor exact = color(0.982661, 0.171797, 0.21307); // red-500
        QVERIFY(nearestTailwind(inexact.srgb).distance >= tailwindExactDistance);
        MenuSettings settings = defaultSettings();
        settings.defaultFormat = ColorFormat::tailwind;
        build({inexact, exact}, {}, settings);

        const QString name = nearestTailwind(inexact.srgb).name;
        const QString title = name + " \u2248";
        QCOMPARE(describe(m_menu.get()).mid(3, 2), (QStringList{title + " >", "red-500 >"}));
        const QStringList rows = describe(submenu({title}));
        QCOMPARE(rows.first(), "Copy " + name);
        QCOMPARE(rows.at(11), title);                      // the Tailwind format item
        QCOMPARE(rows.at(10), "--" + name + ": #1F74C9;"); // cssVariable has no marker
        QCOMPARE(describe(submenu({"red-500"})).first(), u"Copy red-500"_s);
        QCOMPARE(trigger({title, "Copy " + name}), u"copy #1F74C9 tailwind -"_s);
    }
    void paletteColorNamedBrandInCssVariable() {
        const PickedColor c = color(0.2, 0.4, 0.6);
        const QString tailwindName = nearestTailwind(c.srgb).name;
        Palette palette{
            QUuid::createUuid(), u"Kit"_s, {NamedColor{QUuid::createUuid(), u"brand"_s, c}}};
        MenuSettings settings = defaultSettings();
        settings.defaultFormat = ColorFormat::cssVariable;
        build({c}, {palette}, settings);

        const QString historyTitle = "--" + tailwindName + ": #336699;";
        QCOMPARE(describe(m_menu.get()).at(3), historyTitle + " >");
        QCOMPARE(describe(submenu({historyTitle})).at(10), historyTitle);

        QCOMPARE(
            describe(submenu({"Kit"})),
            (QStringList{"brand >", "---", "Export >", "Rename Palette\u2026", "Delete Palette"}));
        QVERIFY(!item({"Kit", "brand"})->icon().isNull());
        QStringList expected{"Copy --brand: #336699;", "---"};
        for (ColorFormat format : ColorFormats::allCases()) {
            expected.append(format == ColorFormat::cssVariable
                                ? u"--brand: #336699;"_s
                                : ColorFormats::labelText(format, c, false));
        }
        expected += QStringList{"---", "Rename\u2026", "Remove"};
        QCOMPARE(describe(submenu({"Kit", "brand"})), expected);

        QCOMPARE(trigger({"Kit", "brand", "Copy --brand: #336699;"}),
                 u"copy #336699 cssVariable brand"_s);
        QCOMPARE(trigger({"Kit", "brand", "#336699"}), u"copy #336699 hex brand"_s);
        QCOMPARE(trigger({historyTitle, "Copy " + historyTitle}), u"copy #336699 cssVariable -"_s);
    }
    void paletteColorItemsRunWithPaletteAndColor() {
        const NamedColor sky{QUuid::createUuid(), u"Sky"_s, color(0.5, 0.7, 1)};
        const NamedColor ink{QUuid::createUuid(), u"Ink"_s, color(0, 0, 0.2)};
        Palette palette{QUuid::createUuid(), u"Brand"_s, {sky, ink}};
        build({}, {palette});

        QCOMPARE(describe(submenu({"Brand"})),
                 (QStringList{"Sky >", "Ink >", "---", "Export >", "Rename Palette\u2026",
                              "Delete Palette"}));
        QCOMPARE(trigger({"Brand", "Ink", "Rename\u2026"}), u"renameColor Ink #000033 Brand"_s);
        QCOMPARE(trigger({"Brand", "Sky", "Remove"}),
                 "removeColor Sky " + sky.id.toString() + " Brand");
        QCOMPARE(trigger({"Brand", "Ink", "Copy #000033"}), u"copy #000033 hex Ink"_s);
        QCOMPARE(trigger({"Brand", "Export", "Swift", "Copy"}), u"exportCopy Brand swift"_s);
        QCOMPARE(trigger({"Brand", "Rename Palette\u2026"}), u"renamePalette Brand 2"_s);
    }
    void savingOffShowsNotice() {
        MenuActions actions = recordingActions();
        actions.isLibrarySaving = false;
        build({color(1, 0, 0)}, {}, defaultSettings(), actions);
        QCOMPARE(describe(m_menu.get()).mid(2, 4),
                 (QStringList{"## Recent", "#FF0000 >", "History isn't being saved [off]", "---"}));

        build({}, {}, defaultSettings(), actions);
        QCOMPARE(describe(m_menu.get()).mid(2, 4),
                 (QStringList{"## Recent", "No colors yet [off]", "History isn't being saved [off]",
                              "---"}));
    }
    void defaultFormatCheckMark() {
        const ColorFormat format = ColorFormat::hsl;
        const PickedColor c = color(0.25, 0.5, 0.75);
        MenuSettings settings = defaultSettings();
        settings.defaultFormat = format;
        build({c}, {}, settings);

        QStringList expected;
        for (ColorFormat f : ColorFormats::allCases())
            expected.append(ColorFormats::displayName(f) + (f == format ? " [x]" : ""));
        QCOMPARE(describe(submenu({"Default Format"})), expected);

        QCOMPARE(describe(m_menu.get()).at(3), ColorFormats::labelText(format, c, false) + " >");
        QCOMPARE(trigger({"Default Format", "OKLCH"}), u"setDefaultFormat oklch"_s);
    }
    void historyShowsAtMostTwentyColors() {
        QList<PickedColor> history;
        for (int i = 0; i < 25; ++i)
            history.append(color(i / 255.0, 0, 0));
        build(history, {});
        const QStringList rows = describe(m_menu.get());
        QCOMPARE(rows.at(3), u"#000000 >"_s);
        QCOMPARE(rows.at(22), u"#130000 >"_s);
        QCOMPARE(rows.at(23), u"---"_s);
    }
    void lowercaseHexInTitles() {
        MenuSettings settings = defaultSettings();
        settings.lowercaseHex = true;
        build({color(0.6, 0.8, 1)}, {}, settings);
        QCOMPARE(describe(m_menu.get()).at(3), u"#99ccff >"_s);
        QCOMPARE(describe(submenu({"#99ccff"})).first(), u"Copy #99ccff"_s);
    }
    void closuresKeepValuesOfTheBuild() {
        QList<PickedColor> history{color(1, 0, 0)};
        QList<Palette> palettes{Palette{QUuid::createUuid(), u"Old"_s, {}}};
        MenuSettings settings = defaultSettings();
        build(history, palettes, settings);

        history[0] = color(0, 1, 0);
        palettes[0].name = u"New"_s;
        settings.defaultFormat = ColorFormat::rgb;
        QCOMPARE(trigger({"#FF0000", "Copy #FF0000"}), u"copy #FF0000 hex -"_s);
        QCOMPARE(trigger({"Old", "Rename Palette\u2026"}), u"renamePalette Old 0"_s);
    }
    void userTextIsShownLiterally() {
        const PickedColor c = color(0, 0, 0);
        Palette palette{QUuid::createUuid(),
                        u"R&D"_s,
                        {NamedColor{QUuid::createUuid(), u"Ink\tBlack & Co"_s, c}}};
        build({c}, {palette});
        QCOMPARE(item({"R&D"})->text(), u"R&&D"_s);
        QCOMPARE(trigger({"R&D", "Ink Black & Co", "Rename\u2026"}),
                 u"renameColor Ink\tBlack & Co #000000 R&D"_s);
        QCOMPARE(item({"#000000", "Pin to", "R&D"})->text(), u"R&&D"_s);
    }
    void emptyActionsDoNothing() {
        MenuActions none;
        build({color(1, 0, 0)}, {Palette{QUuid::createUuid(), u"P"_s, {}}}, defaultSettings(),
              none);
        for (const QStringList &path : QList<QStringList>{{"Pick Color\tCtrl+Alt+C"},
                                                          {"#FF0000", "Copy #FF0000"},
                                                          {"P", "Delete Palette"},
                                                          {"Quit Chromet"},
                                                          {"Default Format", "HEX"}})
            QCOMPARE(trigger(path), QString());
    }
    void swatchImage_data() {
        QTest::addColumn<qreal>("dpr");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("1.5x") << 1.5;
    }
    void swatchImage() {
        QFETCH(qreal, dpr);
        const QImage image = MenuSwatch::render(RGB{0.2, 0.4, 0.6}, dpr);
        QCOMPARE(image.size(), QSize(qRound(14 * dpr), qRound(14 * dpr)));
        QCOMPARE(image.devicePixelRatio(), dpr);
        auto at = [&](double x, double y) {
            return image.pixelColor(int(x * dpr), int(y * dpr));
        };
        QCOMPARE(at(7, 7), QColor(51, 102, 153)); // sRGB fill at full opacity
        QCOMPARE(at(0, 0).alpha(), 0);            // rounded corner
        // The outline straddles the inset edge: darker than the fill inside, translucent outside.
        const QColor edge = at(7, 0);
        QVERIFY(edge.alpha() > 0 && edge.alpha() < 255);
        QVERIFY(edge.red() < 51 && edge.green() < 102 && edge.blue() < 153);
        // Channels outside 0...1 are clamped.
        QCOMPARE(MenuSwatch::render(RGB{1.5, -0.2, 0.6}, 1).pixelColor(7, 7), QColor(255, 0, 153));
    }

private:
    static PickedColor color(double r, double g, double b) { return {{r, g, b}, {r, g, b}}; }
    static QString hex(const PickedColor &c) {
        return ColorFormats::format(ColorFormat::hex, c, std::nullopt, false);
    }
    MenuActions recordingActions() {
        MenuActions a;
        QStringList *calls = &m_calls;
        const auto note = [calls](const QString &call) {
            return [calls, call] {
                calls->append(call);
            };
        };
        a.pick = note(u"pick"_s);
        a.copy = [calls](const PickedColor &c, ColorFormat f, const std::optional<QString> &name) {
            calls->append(
                u"copy %1 %2 %3"_s.arg(hex(c), ColorFormats::rawValue(f), name.value_or(u"-"_s)));
        };
        a.pin = [calls](const PickedColor &c, const QUuid &id) {
            calls->append(u"pin %1 %2"_s.arg(hex(c), id.toString()));
        };
        a.pinToNewPalette = [calls](const PickedColor &c) {
            calls->append(u"pinToNewPalette "_s + hex(c));
        };
        a.deleteFromHistory = [calls](const PickedColor &c) {
            calls->append(u"deleteFromHistory "_s + hex(c));
        };
        a.renameColor = [calls](const NamedColor &n, const Palette &p) {
            calls->append(u"renameColor %1 %2 %3"_s.arg(n.name, hex(n.color), p.name));
        };
        a.removeColor = [calls](const NamedColor &n, const Palette &p) {
            calls->append(u"removeColor %1 %2 %3"_s.arg(n.name, n.id.toString(), p.name));
        };
        a.exportCopy = [calls](const Palette &p, ExportFormat f) {
            calls->append(u"exportCopy %1 %2"_s.arg(p.name, PaletteExport::rawValue(f)));
        };
        a.exportSave = [calls](const Palette &p, ExportFormat f) {
            calls->append(u"exportSave %1 %2"_s.arg(p.name, PaletteExport::rawValue(f)));
        };
        a.renamePalette = [calls](const Palette &p) {
            calls->append(u"renamePalette %1 %2"_s.arg(p.name).arg(p.colors.size()));
        };
        a.deletePalette = [calls](const Palette &p) {
            calls->append(u"deletePalette %1 %2"_s.arg(p.name, p.id.toString()));
        };
        a.contrast = note(u"contrast"_s);
        a.clearHistory = note(u"clearHistory"_s);
        a.openSettings = note(u"openSettings"_s);
        a.checkForUpdates = note(u"checkForUpdates"_s);
        a.quit = note(u"quit"_s);
        a.setDefaultFormat = [calls](ColorFormat f) {
            calls->append(u"setDefaultFormat "_s + ColorFormats::rawValue(f));
        };
        a.updatesAvailable = false;
        a.isLibrarySaving = true;
        return a;
    }
    void build(const QList<PickedColor> &history, const QList<Palette> &palettes,
               const MenuSettings &settings, const MenuActions &actions) {
        StatusItemController::removeAllItems(m_menu.get());
        buildStatusMenu(m_menu.get(), history, palettes, settings, actions);
    }
    void build(const QList<PickedColor> &history, const QList<Palette> &palettes,
               const MenuSettings &settings = defaultSettings()) {
        build(history, palettes, settings, recordingActions());
    }
    static MenuSettings defaultSettings() {
        return {ColorFormat::hex, false,
                HotKeyCombo(8, HotKeyCombo::controlKey | HotKeyCombo::optionKey)};
    }
    // One line per item: separators "---", section headers "## title", submenus "title >",
    // then " [off]" when disabled and " [x]" when checked. Titles are shown as the user sees them.
    static QStringList describe(const QMenu *menu) {
        QStringList lines;
        for (const QAction *action : menu->actions()) {
            QString line;
            if (action->isSeparator())
                line = action->text().isEmpty() ? u"---"_s : "## " + action->text();
            else
                line = shown(action) + (action->menu() ? u" >"_s : QString());
            if (!action->isEnabled())
                line += u" [off]"_s;
            if (action->isChecked())
                line += u" [x]"_s;
            lines.append(line);
        }
        return lines;
    }
    static QString shown(const QAction *action) {
        return QString(action->text()).replace(QLatin1String("&&"), QLatin1String("&"));
    }
    // The item reached by following the titles through submenus; fails the test when missing.
    QAction *item(const QStringList &path) const {
        const QMenu *menu = m_menu.get();
        QAction *found = nullptr;
        for (const QString &title : path) {
            if (!menu)
                return nullptr;
            found = nullptr;
            for (QAction *action : menu->actions()) {
                if (!action->isSeparator() && shown(action) == title) {
                    found = action;
                    break;
                }
            }
            if (!found)
                return nullptr;
            menu = found->menu();
        }
        return found;
    }
    QMenu *submenu(const QStringList &path) const {
        QAction *action = item(path);
        return action ? action->menu() : nullptr;
    }
    QString trigger(const QStringList &path) {
        QAction *action = item(path);
        if (!action)
            return u"<no item %1>"_s.arg(path.join(QLatin1String(" > ")));
        m_calls.clear();
        action->trigger();
        return m_calls.join(QLatin1String("; "));
    }

    std::unique_ptr<QMenu> m_menu;
    QStringList m_calls;
};

QTEST_MAIN(tst_StatusMenu)
#include "tst_StatusMenu.moc"
