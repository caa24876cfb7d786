#include "Chromet/App/StatusMenu.h"

#include "Chromet/App/MenuSwatch.h"

#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Color/TailwindPalette.h"
#include "OrinMenuBar/StatusItemController.h"

#include <QMenu>
#include <QTest>

#include <memory>

// The status menu compared item by item with what the user must see, and every item's closure
// checked for the command, color, format and name it runs with.
class tst_StatusMenu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void emptyHistoryAndEmptyFavorites();
    void historyColorSubmenu();
    void pinToDisablesPalettesHoldingTheColor();
    void tailwindMarkerInTitlesButNotInCopy();
    void paletteColorNamedBrandInCssVariable();
    void paletteColorItemsRunWithPaletteAndColor();
    void savingOffShowsNotice();
    void defaultFormatCheckMark_data();
    void defaultFormatCheckMark();
    void updatesAvailableAddsCheckForUpdates();
    void historyShowsAtMostTwentyColors();
    void lowercaseHexInTitles();
    void closuresKeepValuesOfTheBuild();
    void userTextIsShownLiterally();
    void emptyActionsDoNothing();
    void rebuildThroughStatusItem();
    void swatchImage_data();
    void swatchImage();
    void swatchOutlineAt2x();
    void swatchIconAtMenuSizes();

private:
    static PickedColor color(double r, double g, double b) { return {{r, g, b}, {r, g, b}}; }
    static QString hex(const PickedColor &c) {
        return ColorFormats::format(ColorFormat::hex, c, std::nullopt, false);
    }
    MenuActions recordingActions();
    void build(const QList<PickedColor> &history, const QList<Palette> &palettes,
               const MenuSettings &settings, const MenuActions &actions);
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
    static QStringList describe(const QMenu *menu);
    static QString shown(const QAction *action) {
        return QString(action->text()).replace(QLatin1String("&&"), QLatin1String("&"));
    }
    // The item reached by following the titles through submenus; fails the test when missing.
    QAction *item(const QStringList &path) const;
    QMenu *submenu(const QStringList &path) const;
    QString trigger(const QStringList &path);

    std::unique_ptr<QMenu> m_menu;
    QStringList m_calls;
};

MenuActions tst_StatusMenu::recordingActions() {
    MenuActions a;
    QStringList *calls = &m_calls;
    a.pick = [calls] {
        calls->append(QStringLiteral("pick"));
    };
    a.copy = [calls](const PickedColor &c, ColorFormat f, const std::optional<QString> &name) {
        calls->append(
            QStringLiteral("copy %1 %2 %3")
                .arg(hex(c), ColorFormats::rawValue(f), name.value_or(QStringLiteral("-"))));
    };
    a.pin = [calls](const PickedColor &c, const QUuid &id) {
        calls->append(QStringLiteral("pin %1 %2").arg(hex(c), id.toString()));
    };
    a.pinToNewPalette = [calls](const PickedColor &c) {
        calls->append(QStringLiteral("pinToNewPalette ") + hex(c));
    };
    a.deleteFromHistory = [calls](const PickedColor &c) {
        calls->append(QStringLiteral("deleteFromHistory ") + hex(c));
    };
    a.renameColor = [calls](const NamedColor &n, const Palette &p) {
        calls->append(QStringLiteral("renameColor %1 %2 %3").arg(n.name, hex(n.color), p.name));
    };
    a.removeColor = [calls](const NamedColor &n, const Palette &p) {
        calls->append(QStringLiteral("removeColor %1 %2 %3").arg(n.name, n.id.toString(), p.name));
    };
    a.exportCopy = [calls](const Palette &p, ExportFormat f) {
        calls->append(QStringLiteral("exportCopy %1 %2").arg(p.name, PaletteExport::rawValue(f)));
    };
    a.exportSave = [calls](const Palette &p, ExportFormat f) {
        calls->append(QStringLiteral("exportSave %1 %2").arg(p.name, PaletteExport::rawValue(f)));
    };
    a.renamePalette = [calls](const Palette &p) {
        calls->append(QStringLiteral("renamePalette %1 %2").arg(p.name).arg(p.colors.size()));
    };
    a.deletePalette = [calls](const Palette &p) {
        calls->append(QStringLiteral("deletePalette %1 %2").arg(p.name, p.id.toString()));
    };
    a.contrast = [calls] {
        calls->append(QStringLiteral("contrast"));
    };
    a.clearHistory = [calls] {
        calls->append(QStringLiteral("clearHistory"));
    };
    a.openSettings = [calls] {
        calls->append(QStringLiteral("openSettings"));
    };
    a.checkForUpdates = [calls] {
        calls->append(QStringLiteral("checkForUpdates"));
    };
    a.quit = [calls] {
        calls->append(QStringLiteral("quit"));
    };
    a.setDefaultFormat = [calls](ColorFormat f) {
        calls->append(QStringLiteral("setDefaultFormat ") + ColorFormats::rawValue(f));
    };
    a.updatesAvailable = false;
    a.isLibrarySaving = true;
    return a;
}

void tst_StatusMenu::init() {
    m_menu = std::make_unique<QMenu>();
    m_calls.clear();
}

void tst_StatusMenu::build(const QList<PickedColor> &history, const QList<Palette> &palettes,
                           const MenuSettings &settings, const MenuActions &actions) {
    StatusItemController::removeAllItems(m_menu.get());
    buildStatusMenu(m_menu.get(), history, palettes, settings, actions);
}

QStringList tst_StatusMenu::describe(const QMenu *menu) {
    QStringList lines;
    for (const QAction *action : menu->actions()) {
        QString line;
        if (action->isSeparator())
            line = action->text().isEmpty() ? QStringLiteral("---") : "## " + action->text();
        else
            line = shown(action) + (action->menu() ? QStringLiteral(" >") : QString());
        if (!action->isEnabled())
            line += QStringLiteral(" [off]");
        if (action->isChecked())
            line += QStringLiteral(" [x]");
        lines.append(line);
    }
    return lines;
}

QAction *tst_StatusMenu::item(const QStringList &path) const {
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

QMenu *tst_StatusMenu::submenu(const QStringList &path) const {
    QAction *action = item(path);
    return action ? action->menu() : nullptr;
}

QString tst_StatusMenu::trigger(const QStringList &path) {
    QAction *action = item(path);
    if (!action)
        return QStringLiteral("<no item %1>").arg(path.join(QLatin1String(" > ")));
    m_calls.clear();
    action->trigger();
    return m_calls.join(QLatin1String("; "));
}

void tst_StatusMenu::emptyHistoryAndEmptyFavorites() {
    Palette favorites{QUuid::createUuid(), QStringLiteral("Favorites"), {}};
    build({}, {favorites});

    QCOMPARE(describe(m_menu.get()),
             (QStringList{"Pick Color\tCtrl+Alt+C", "---", "## Recent", "No colors yet [off]",
                          "---", "Favorites >", "Contrast\u2026", "Default Format >", "---",
                          "Clear History [off]", "Settings\u2026", "---", "Quit Chromet"}));
    QCOMPARE(describe(submenu({"Favorites"})),
             (QStringList{"No colors yet [off]", "---", "Export > [off]", "Rename Palette\u2026",
                          "Delete Palette"}));
    QCOMPARE(describe(submenu({"Favorites", "Export"})),
             (QStringList{"Swift >", "CSS Variables >", "Tailwind >"}));
    for (const char *format : {"Swift", "CSS Variables", "Tailwind"})
        QCOMPARE(describe(submenu({"Favorites", "Export", format})),
                 (QStringList{"Copy", "Save\u2026"}));

    QVERIFY(item({"Pick Color\tCtrl+Alt+C"})->shortcut().isEmpty());
    QCOMPARE(item({"Settings\u2026"})->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QCOMPARE(item({"Quit Chromet"})->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QVERIFY(item({"Quit Chromet"})->isShortcutVisibleInContextMenu());

    QCOMPARE(trigger({"Pick Color\tCtrl+Alt+C"}), QStringLiteral("pick"));
    QCOMPARE(trigger({"Contrast\u2026"}), QStringLiteral("contrast"));
    QCOMPARE(trigger({"Clear History"}), QString()); // disabled
    QCOMPARE(trigger({"Settings\u2026"}), QStringLiteral("openSettings"));
    QCOMPARE(trigger({"Quit Chromet"}), QStringLiteral("quit"));
    QCOMPARE(trigger({"Favorites", "Rename Palette\u2026"}),
             QStringLiteral("renamePalette Favorites 0"));
    QCOMPARE(trigger({"Favorites", "Delete Palette"}),
             "deletePalette Favorites " + favorites.id.toString());
    QCOMPARE(trigger({"Favorites", "Export", "Tailwind", "Copy"}),
             QStringLiteral("exportCopy Favorites tailwind"));
    QCOMPARE(trigger({"Favorites", "Export", "CSS Variables", "Save\u2026"}),
             QStringLiteral("exportSave Favorites css"));
}

void tst_StatusMenu::historyColorSubmenu() {
    const PickedColor red = color(1, 0, 0);
    build({red}, {});
    const QString title = ColorFormats::labelText(ColorFormat::hex, red, false);
    QCOMPARE(title, QStringLiteral("#FF0000"));
    QCOMPARE(describe(m_menu.get()).mid(2, 4),
             (QStringList{"## Recent", title + " >", "---", "Contrast\u2026"}));
    QVERIFY(!item({title})->icon().isNull());

    QStringList expected{"Copy #FF0000", "---"};
    for (ColorFormat format : ColorFormats::allCases())
        expected.append(ColorFormats::labelText(format, red, false));
    expected += QStringList{"---", "Pin to >", "Delete"};
    QCOMPARE(describe(submenu({title})), expected);
    QCOMPARE(describe(submenu({title, "Pin to"})), (QStringList{"---", "New Palette\u2026"}));

    QStringList tooltips;
    const QList<QAction *> actions = submenu({title})->actions();
    for (int i = 2; i < 12; ++i)
        tooltips.append(actions.at(i)->toolTip());
    QCOMPARE(tooltips, (QStringList{"HEX", "RGB", "HSL", "OKLCH", "SwiftUI Color",
                                    "SwiftUI Color (Display P3)", "NSColor", "UIColor",
                                    "CSS variable", "Tailwind class"}));
    QVERIFY(submenu({title})->toolTipsVisible());

    QCOMPARE(trigger({title, "Copy #FF0000"}), QStringLiteral("copy #FF0000 hex -"));
    for (int i = 0; i < 10; ++i) {
        const ColorFormat format = ColorFormats::allCases()[size_t(i)];
        m_calls.clear();
        actions.at(i + 2)->trigger();
        QCOMPARE(m_calls, QStringList{"copy #FF0000 " + ColorFormats::rawValue(format) + " -"});
    }
    QCOMPARE(trigger({title, "Pin to", "New Palette\u2026"}),
             QStringLiteral("pinToNewPalette #FF0000"));
    QCOMPARE(trigger({title, "Delete"}), QStringLiteral("deleteFromHistory #FF0000"));
    QVERIFY(item({"Clear History"})->isEnabled());
    QCOMPARE(trigger({"Clear History"}), QStringLiteral("clearHistory"));
}

void tst_StatusMenu::pinToDisablesPalettesHoldingTheColor() {
    const PickedColor red = color(1, 0, 0);
    const PickedColor blue = color(0, 0, 1);
    // Equal in sRGB but not in P3: a different color.
    const PickedColor redOtherP3{{1, 0, 0}, {0.9, 0.2, 0.1}};
    Palette favorites{QUuid::createUuid(),
                      QStringLiteral("Favorites"),
                      {NamedColor{QUuid::createUuid(), QStringLiteral("Red"), red}}};
    Palette brand{QUuid::createUuid(),
                  QStringLiteral("Brand"),
                  {NamedColor{QUuid::createUuid(), QStringLiteral("Other"), redOtherP3}}};
    build({red, blue}, {favorites, brand});

    QCOMPARE(describe(submenu({"#FF0000", "Pin to"})),
             (QStringList{"Favorites [off]", "Brand", "---", "New Palette\u2026"}));
    QCOMPARE(describe(submenu({"#0000FF", "Pin to"})),
             (QStringList{"Favorites", "Brand", "---", "New Palette\u2026"}));
    QCOMPARE(trigger({"#FF0000", "Pin to", "Brand"}), "pin #FF0000 " + brand.id.toString());
    QCOMPARE(trigger({"#0000FF", "Pin to", "Favorites"}), "pin #0000FF " + favorites.id.toString());
}

void tst_StatusMenu::tailwindMarkerInTitlesButNotInCopy() {
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
    QCOMPARE(describe(submenu({"red-500"})).first(), QStringLiteral("Copy red-500"));
    QCOMPARE(trigger({title, "Copy " + name}), QStringLiteral("copy #1F74C9 tailwind -"));
}

void tst_StatusMenu::paletteColorNamedBrandInCssVariable() {
    const PickedColor c = color(0.2, 0.4, 0.6);
    const QString tailwindName = nearestTailwind(c.srgb).name;
    Palette palette{QUuid::createUuid(),
                    QStringLiteral("Kit"),
                    {NamedColor{QUuid::createUuid(), QStringLiteral("brand"), c}}};
    MenuSettings settings = defaultSettings();
    settings.defaultFormat = ColorFormat::cssVariable;
    build({c}, {palette}, settings);

    const QString historyTitle = "--" + tailwindName + ": #336699;";
    QCOMPARE(describe(m_menu.get()).at(3), historyTitle + " >");
    QCOMPARE(describe(submenu({historyTitle})).first(), "Copy " + historyTitle);
    QCOMPARE(describe(submenu({historyTitle})).at(10), historyTitle);

    QCOMPARE(describe(submenu({"Kit"})),
             (QStringList{"brand >", "---", "Export >", "Rename Palette\u2026", "Delete Palette"}));
    QVERIFY(!item({"Kit", "brand"})->icon().isNull());
    QStringList expected{"Copy --brand: #336699;", "---"};
    for (ColorFormat format : ColorFormats::allCases()) {
        expected.append(format == ColorFormat::cssVariable
                            ? QStringLiteral("--brand: #336699;")
                            : ColorFormats::labelText(format, c, false));
    }
    expected += QStringList{"---", "Rename\u2026", "Remove"};
    QCOMPARE(describe(submenu({"Kit", "brand"})), expected);

    QCOMPARE(trigger({"Kit", "brand", "Copy --brand: #336699;"}),
             QStringLiteral("copy #336699 cssVariable brand"));
    QCOMPARE(trigger({"Kit", "brand", "--brand: #336699;"}),
             QStringLiteral("copy #336699 cssVariable brand"));
    QCOMPARE(trigger({"Kit", "brand", "#336699"}), QStringLiteral("copy #336699 hex brand"));
    QCOMPARE(trigger({historyTitle, "Copy " + historyTitle}),
             QStringLiteral("copy #336699 cssVariable -"));
}

void tst_StatusMenu::paletteColorItemsRunWithPaletteAndColor() {
    const NamedColor sky{QUuid::createUuid(), QStringLiteral("Sky"), color(0.5, 0.7, 1)};
    const NamedColor ink{QUuid::createUuid(), QStringLiteral("Ink"), color(0, 0, 0.2)};
    Palette palette{QUuid::createUuid(), QStringLiteral("Brand"), {sky, ink}};
    build({}, {palette});

    QCOMPARE(describe(submenu({"Brand"})), (QStringList{"Sky >", "Ink >", "---", "Export >",
                                                        "Rename Palette\u2026", "Delete Palette"}));
    QCOMPARE(trigger({"Brand", "Ink", "Rename\u2026"}),
             QStringLiteral("renameColor Ink #000033 Brand"));
    QCOMPARE(trigger({"Brand", "Sky", "Remove"}),
             "removeColor Sky " + sky.id.toString() + " Brand");
    QCOMPARE(trigger({"Brand", "Ink", "Copy #000033"}), QStringLiteral("copy #000033 hex Ink"));
    QCOMPARE(trigger({"Brand", "Export", "Swift", "Copy"}),
             QStringLiteral("exportCopy Brand swift"));
    QCOMPARE(trigger({"Brand", "Rename Palette\u2026"}), QStringLiteral("renamePalette Brand 2"));
}

void tst_StatusMenu::savingOffShowsNotice() {
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

void tst_StatusMenu::defaultFormatCheckMark_data() {
    QTest::addColumn<ColorFormat>("format");
    for (ColorFormat format : ColorFormats::allCases())
        QTest::newRow(qPrintable(ColorFormats::rawValue(format))) << format;
}

void tst_StatusMenu::defaultFormatCheckMark() {
    QFETCH(ColorFormat, format);
    const PickedColor c = color(0.25, 0.5, 0.75);
    MenuSettings settings = defaultSettings();
    settings.defaultFormat = format;
    build({c}, {}, settings);

    QStringList expected;
    for (ColorFormat f : ColorFormats::allCases())
        expected.append(ColorFormats::displayName(f) + (f == format ? " [x]" : ""));
    QCOMPARE(describe(submenu({"Default Format"})), expected);
    for (QAction *action : submenu({"Default Format"})->actions())
        QVERIFY(action->isCheckable());

    QCOMPARE(describe(m_menu.get()).at(3), ColorFormats::labelText(format, c, false) + " >");
    QCOMPARE(trigger({"Default Format", ColorFormats::displayName(format)}),
             "setDefaultFormat " + ColorFormats::rawValue(format));
    QCOMPARE(trigger({"Default Format", "OKLCH"}), QStringLiteral("setDefaultFormat oklch"));
}

void tst_StatusMenu::updatesAvailableAddsCheckForUpdates() {
    MenuActions actions = recordingActions();
    actions.updatesAvailable = true;
    build({}, {}, defaultSettings(), actions);
    QCOMPARE(describe(m_menu.get()).mid(8),
             (QStringList{"Clear History [off]", "Settings\u2026", "---", "Check for Updates\u2026",
                          "---", "Quit Chromet"}));
    QCOMPARE(trigger({"Check for Updates\u2026"}), QStringLiteral("checkForUpdates"));
}

void tst_StatusMenu::historyShowsAtMostTwentyColors() {
    QList<PickedColor> history;
    for (int i = 0; i < 25; ++i)
        history.append(color(i / 255.0, 0, 0));
    build(history, {});
    const QStringList rows = describe(m_menu.get());
    QCOMPARE(rows.at(3), QStringLiteral("#000000 >"));
    QCOMPARE(rows.at(22), QStringLiteral("#130000 >"));
    QCOMPARE(rows.at(23), QStringLiteral("---"));
}

void tst_StatusMenu::lowercaseHexInTitles() {
    MenuSettings settings = defaultSettings();
    settings.lowercaseHex = true;
    build({color(0.6, 0.8, 1)}, {}, settings);
    QCOMPARE(describe(m_menu.get()).at(3), QStringLiteral("#99ccff >"));
    QCOMPARE(describe(submenu({"#99ccff"})).first(), QStringLiteral("Copy #99ccff"));
}

void tst_StatusMenu::closuresKeepValuesOfTheBuild() {
    QList<PickedColor> history{color(1, 0, 0)};
    QList<Palette> palettes{Palette{QUuid::createUuid(), QStringLiteral("Old"), {}}};
    MenuSettings settings = defaultSettings();
    build(history, palettes, settings);

    history[0] = color(0, 1, 0);
    palettes[0].name = QStringLiteral("New");
    settings.defaultFormat = ColorFormat::rgb;
    QCOMPARE(trigger({"#FF0000", "Copy #FF0000"}), QStringLiteral("copy #FF0000 hex -"));
    QCOMPARE(trigger({"Old", "Rename Palette\u2026"}), QStringLiteral("renamePalette Old 0"));
}

void tst_StatusMenu::userTextIsShownLiterally() {
    const PickedColor c = color(0, 0, 0);
    Palette palette{QUuid::createUuid(),
                    QStringLiteral("R&D"),
                    {NamedColor{QUuid::createUuid(), QStringLiteral("Ink\tBlack & Co"), c}}};
    build({c}, {palette});
    QAction *paletteItem = item({"R&D"});
    QVERIFY(paletteItem);
    QCOMPARE(paletteItem->text(), QStringLiteral("R&&D"));
    QVERIFY(item({"R&D", "Ink Black & Co"}));
    QCOMPARE(trigger({"R&D", "Ink Black & Co", "Rename\u2026"}),
             QStringLiteral("renameColor Ink\tBlack & Co #000000 R&D"));
    QCOMPARE(item({"#000000", "Pin to", "R&D"})->text(), QStringLiteral("R&&D"));
}

void tst_StatusMenu::emptyActionsDoNothing() {
    MenuActions none;
    build({color(1, 0, 0)}, {Palette{QUuid::createUuid(), QStringLiteral("P"), {}}},
          defaultSettings(), none);
    for (const QStringList &path : QList<QStringList>{{"Pick Color\tCtrl+Alt+C"},
                                                      {"#FF0000", "Copy #FF0000"},
                                                      {"P", "Delete Palette"},
                                                      {"Quit Chromet"},
                                                      {"Default Format", "HEX"}})
        QCOMPARE(trigger(path), QString());
}

void tst_StatusMenu::rebuildThroughStatusItem() {
    QList<PickedColor> history;
    StatusItemController controller(QIcon(), QStringLiteral("Chromet"), [&](QMenu *menu) {
        buildStatusMenu(menu, history, {}, defaultSettings(), recordingActions());
    });
    Q_EMIT controller.menu()->aboutToShow();
    QCOMPARE(describe(controller.menu()).at(3), QStringLiteral("No colors yet [off]"));
    history.prepend(color(0, 1, 0));
    Q_EMIT controller.menu()->aboutToShow();
    QCOMPARE(describe(controller.menu()).at(3), QStringLiteral("#00FF00 >"));
    QCOMPARE(describe(controller.menu()).size(), 12);
}

void tst_StatusMenu::swatchImage_data() {
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("1x") << 1.0;
    QTest::newRow("2x") << 2.0;
    QTest::newRow("1.5x") << 1.5;
}

void tst_StatusMenu::swatchImage() {
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

void tst_StatusMenu::swatchOutlineAt2x() {
    // At 2x each half of the one-point outline is one pixel: black at 20 % outside the inset
    // edge, black at 20 % over the fill inside it.
    const QImage image = MenuSwatch::render(RGB{0.2, 0.4, 0.6}, 2);
    QCOMPARE(image.pixelColor(14, 0), QColor(0, 0, 0, 51));
    const QColor inner = image.pixelColor(14, 1);
    QVERIFY2(qAbs(inner.red() - 41) <= 1 && qAbs(inner.green() - 82) <= 1 &&
                 qAbs(inner.blue() - 122) <= 1 && inner.alpha() == 255,
             qPrintable(inner.name(QColor::HexArgb)));
    QCOMPARE(image.pixelColor(14, 2), QColor(51, 102, 153));
}

void tst_StatusMenu::swatchIconAtMenuSizes() {
    const QIcon icon = MenuSwatch::icon(RGB{1, 0, 0});
    // A menu asks for its icon size; the swatch keeps its 14 points, centred, sharp at 2x.
    const QImage image = icon.pixmap(QSize(16, 16), 2.0).toImage();
    QCOMPARE(image.size(), QSize(32, 32));
    QCOMPARE(image.devicePixelRatio(), 2.0);
    QCOMPARE(image.pixelColor(16, 16), QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(1, 16).alpha(), 0); // outside the 28-pixel swatch
    QCOMPARE(image.pixelColor(2, 16), QColor(0, 0, 0, 51));
    QCOMPARE(image.pixelColor(3, 16).alpha(), 255);
    // Smaller requests get the whole swatch scaled down.
    const QImage small = icon.pixmap(QSize(10, 10), 1.0).toImage();
    QCOMPARE(small.size(), QSize(10, 10));
    QCOMPARE(small.pixelColor(5, 5), QColor(255, 0, 0));
}

QTEST_MAIN(tst_StatusMenu)
#include "tst_StatusMenu.moc"
