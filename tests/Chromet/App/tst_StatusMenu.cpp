#include "Chromet/App/StatusMenu.h"

#include "Chromet/App/MenuSwatch.h"

#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Color/TailwindPalette.h"
#include "OrinMenuBar/StatusItemController.h"

#include <QMenu>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

PickedColor color(double r, double g, double b) {
    return {{r, g, b}, {r, g, b}};
}
NamedColor named(const QString &name, const PickedColor &c) {
    return {QUuid::createUuid(), name, c};
}
QString hex(const PickedColor &c) {
    return ColorFormats::format(ColorFormat::hex, c, std::nullopt, false);
}

} // namespace

// The status menu compared item by item with what the user must see, and the copy and pin items'
// closures checked for the color, format, name and palette they run with. The delegate's tests
// follow every other item to its command.
class tst_StatusMenu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_menu = std::make_unique<QMenu>(); }
    void emptyLibrary() {
        build({}, {Palette{QUuid::createUuid(), u"Favorites"_s, {}}}, ColorFormat::hsl);
        QCOMPARE(describe(m_menu.get()),
                 (QStringList{"Pick Color\tCtrl+Alt+C", "---", "## Recent", "No colors yet [off]",
                              "---", "Favorites >", "Contrast…", "Default Format >", "---",
                              "Clear History [off]", "Settings…", "---", "Quit Chromet"}));
        QCOMPARE(describe(submenu({"Favorites"})),
                 (QStringList{"No colors yet [off]", "---", "Export > [off]", "Rename Palette…",
                              "Delete Palette"}));
        QCOMPARE(describe(submenu({"Favorites", "Export"})),
                 (QStringList{"Swift >", "CSS Variables >", "Tailwind >"}));
        QCOMPARE(describe(submenu({"Favorites", "Export", "Swift"})),
                 (QStringList{"Copy", "Save…"}));
        QStringList formats;
        for (ColorFormat f : ColorFormats::allCases())
            formats.append(ColorFormats::displayName(f) + (f == ColorFormat::hsl ? " [x]" : ""));
        QCOMPARE(describe(submenu({"Default Format"})), formats);
        QCOMPARE(trigger({"Quit Chromet"}), u"quit"_s);
    }
    // A history color copies in every format, each named in its tooltip; it pins to the palettes
    // that do not hold it yet (equal in sRGB but not in P3 is another color).
    void historyColor() {
        const PickedColor red = color(1, 0, 0);
        const Palette favorites{QUuid::createUuid(), u"Favorites"_s, {named(u"Red"_s, red)}};
        const Palette brand{
            QUuid::createUuid(), u"Brand"_s, {named(u"Other"_s, {{1, 0, 0}, {0.9, 0.2, 0.1}})}};
        build({red}, {favorites, brand});
        QCOMPARE(describe(m_menu.get()).mid(2, 3), (QStringList{"## Recent", "#FF0000 >", "---"}));
        QVERIFY(!item({"#FF0000"})->icon().isNull());
        QCOMPARE(describe(submenu({"#FF0000", "Pin to"})),
                 (QStringList{"Favorites [off]", "Brand", "---", "New Palette…"}));
        QCOMPARE(trigger({"#FF0000", "Pin to", "Brand"}), "pin #FF0000 " + brand.id.toString());

        const QStringList rows = describe(submenu({"#FF0000"}));
        QCOMPARE(rows.size(), 15);
        QCOMPARE(rows.first(2), (QStringList{"Copy #FF0000", "---"}));
        QCOMPARE(rows.last(3), (QStringList{"---", "Pin to >", "Delete"}));
        QCOMPARE(trigger({"#FF0000", "Copy #FF0000"}), u"copy #FF0000 hex -"_s);
        QVERIFY(submenu({"#FF0000"})->toolTipsVisible());
        const QList<QAction *> actions = submenu({"#FF0000"})->actions();
        for (int i = 0; i < 10; ++i) {
            const ColorFormat format = ColorFormats::allCases()[size_t(i)];
            QCOMPARE(actions.at(i + 2)->text(), ColorFormats::labelText(format, red, false));
            QCOMPARE(actions.at(i + 2)->toolTip(), ColorFormats::displayName(format));
            QCOMPARE(trigger(actions.at(i + 2)),
                     "copy #FF0000 " + ColorFormats::rawValue(format) + " -");
        }
    }
    // A palette color's items copy with its name, which cssVariable takes; the history is titled
    // in the default format.
    void paletteColors() {
        const PickedColor c = color(0.2, 0.4, 0.6);
        const Palette kit{QUuid::createUuid(),
                          u"Kit"_s,
                          {named(u"brand"_s, c), named(u"Ink"_s, color(0, 0, 0.2))}};
        build({c}, {kit}, ColorFormat::cssVariable);
        const QString historyTitle = "--" + nearestTailwind(c.srgb).name + ": #336699;";
        QCOMPARE(describe(m_menu.get()).at(3), historyTitle + " >");
        QCOMPARE(trigger({historyTitle, "Copy " + historyTitle}), u"copy #336699 cssVariable -"_s);
        QCOMPARE(describe(submenu({"Kit"})), (QStringList{"brand >", "Ink >", "---", "Export >",
                                                          "Rename Palette…", "Delete Palette"}));
        QVERIFY(!item({"Kit", "brand"})->icon().isNull());
        const QStringList rows = describe(submenu({"Kit", "brand"}));
        QCOMPARE(rows.first(2), (QStringList{"Copy --brand: #336699;", "---"}));
        QCOMPARE(rows.at(10), u"--brand: #336699;"_s);
        QCOMPARE(rows.last(3), (QStringList{"---", "Rename…", "Remove"}));
        QCOMPARE(trigger({"Kit", "brand", "Copy --brand: #336699;"}),
                 u"copy #336699 cssVariable brand"_s);
        QCOMPARE(trigger({"Kit", "Ink", "#000033"}), u"copy #000033 hex Ink"_s);
    }
    // An inexact Tailwind name is marked in titles but copied without the marker.
    void tailwindMarkerInTitlesButNotInCopy() {
        const PickedColor inexact = color(0.123, 0.456, 0.789);
        const PickedColor exact = color(0.982661, 0.171797, 0.21307); // red-500
        build({inexact, exact}, {}, ColorFormat::tailwind);
        const QString name = nearestTailwind(inexact.srgb).name;
        const QString title = name + " \u2248";
        QCOMPARE(describe(m_menu.get()).mid(3, 2), (QStringList{title + " >", "red-500 >"}));
        const QStringList rows = describe(submenu({title}));
        QCOMPARE(rows.first(), "Copy " + name);
        QCOMPARE(rows.at(11), title);                      // the Tailwind format item
        QCOMPARE(rows.at(10), "--" + name + ": #1F74C9;"); // cssVariable has no marker
        QCOMPARE(trigger({title, "Copy " + name}), u"copy #1F74C9 tailwind -"_s);
    }
    // At most twenty history colors, in lower-case hex when asked; a notice when saving fails.
    void historyLimitCaseAndSavingNotice() {
        QList<PickedColor> history;
        for (int i = 0; i < 25; ++i)
            history.append(color(i / 255.0, 0, 0.8));
        MenuActions actions = recordingActions();
        actions.isLibrarySaving = false;
        build(history, {}, ColorFormat::hex, true, actions);
        const QStringList rows = describe(m_menu.get());
        QCOMPARE(rows.at(3), u"#0000cc >"_s);
        QCOMPARE(rows.mid(22, 3),
                 (QStringList{"#1300cc >", "History isn't being saved [off]", "---"}));
        QCOMPARE(describe(submenu({"#0000cc"})).first(), u"Copy #0000cc"_s);
    }
    // The closures hold the values of their build, user text shows literally, and items without
    // a command do nothing.
    void closuresAndLiteralText() {
        QList<PickedColor> history{color(0, 0, 0)};
        QList<Palette> palettes{
            Palette{QUuid::createUuid(), u"R&D"_s, {named(u"Ink\tBlack & Co"_s, color(0, 0, 0))}}};
        build(history, palettes);
        history[0] = color(0, 1, 0);
        QCOMPARE(trigger({"#000000", "Copy #000000"}), u"copy #000000 hex -"_s);
        QCOMPARE(item({"R&D"})->text(), u"R&&D"_s);
        QCOMPARE(item({"#000000", "Pin to", "R&D"})->text(), u"R&&D"_s);
        QCOMPARE(trigger({"R&D", "Ink Black & Co", "Copy #000000"}),
                 u"copy #000000 hex Ink\tBlack & Co"_s);
        build(history, palettes, ColorFormat::hex, false, MenuActions{});
        QCOMPARE(trigger({"#00FF00", "Copy #00FF00"}), QString());
    }
    void swatchImage() {
        const QImage image = MenuSwatch::render(RGB{0.2, 0.4, 0.6}, 1.5);
        QCOMPARE(image.size(), QSize(21, 21));
        QCOMPARE(image.devicePixelRatio(), 1.5);
        QCOMPARE(image.pixelColor(10, 10), QColor(51, 102, 153)); // sRGB fill at full opacity
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);              // rounded corner
        // The outline straddles the inset edge: darker than the fill inside, translucent outside.
        const QColor edge = image.pixelColor(10, 0);
        QVERIFY(edge.alpha() > 0 && edge.alpha() < 255);
        QVERIFY(edge.red() < 51 && edge.green() < 102 && edge.blue() < 153);
        QCOMPARE(MenuSwatch::render(RGB{1.5, -0.2, 0.6}, 1).pixelColor(7, 7), QColor(255, 0, 153));
    }

private:
    MenuActions recordingActions() {
        MenuActions a;
        a.copy = [this](const PickedColor &c, ColorFormat f, const std::optional<QString> &name) {
            m_calls.append(
                u"copy %1 %2 %3"_s.arg(hex(c), ColorFormats::rawValue(f), name.value_or(u"-"_s)));
        };
        a.pin = [this](const PickedColor &c, const QUuid &id) {
            m_calls.append(u"pin %1 %2"_s.arg(hex(c), id.toString()));
        };
        a.quit = [this] {
            m_calls.append(u"quit"_s);
        };
        return a;
    }
    void build(const QList<PickedColor> &history, const QList<Palette> &palettes,
               ColorFormat format = ColorFormat::hex, bool lowercaseHex = false,
               std::optional<MenuActions> actions = std::nullopt) {
        StatusItemController::removeAllItems(m_menu.get());
        buildStatusMenu(m_menu.get(), history, palettes,
                        {format, lowercaseHex,
                         HotKeyCombo(8, HotKeyCombo::controlKey | HotKeyCombo::optionKey)},
                        actions.value_or(recordingActions()));
    }
    // One line per item: separators "---", section headers "## title", submenus "title >",
    // then " [off]" when disabled and " [x]" when checked. Titles are shown as the user sees them.
    static QStringList describe(const QMenu *menu) {
        QStringList lines;
        for (const QAction *action : menu->actions()) {
            QString line = action->isSeparator()
                               ? (action->text().isEmpty() ? u"---"_s : "## " + action->text())
                               : shown(action) + (action->menu() ? u" >"_s : QString());
            if (!action->isEnabled())
                line += u" [off]"_s;
            if (action->isChecked())
                line += u" [x]"_s;
            lines.append(line);
        }
        return lines;
    }
    static QString shown(const QAction *action) {
        return QString(action->text()).replace(u"&&"_s, u"&"_s);
    }
    // The item reached by following the titles through submenus, or null.
    QAction *item(const QStringList &path) const {
        const QMenu *menu = m_menu.get();
        QAction *found = nullptr;
        for (const QString &title : path) {
            const QList<QAction *> actions = menu ? menu->actions() : QList<QAction *>();
            const auto it = std::find_if(actions.cbegin(), actions.cend(), [&](QAction *a) {
                return !a->isSeparator() && shown(a) == title;
            });
            if (it == actions.cend())
                return nullptr;
            found = *it;
            menu = found->menu();
        }
        return found;
    }
    QMenu *submenu(const QStringList &path) const {
        QAction *action = item(path);
        return action ? action->menu() : nullptr;
    }
    QString trigger(QAction *action) {
        m_calls.clear();
        action->trigger();
        return m_calls.join(u"; "_s);
    }
    QString trigger(const QStringList &path) {
        QAction *action = item(path);
        return action ? trigger(action) : u"<no item %1>"_s.arg(path.join(u" > "_s));
    }

    std::unique_ptr<QMenu> m_menu;
    QStringList m_calls;
};

QTEST_MAIN(tst_StatusMenu)
#include "tst_StatusMenu.moc"
