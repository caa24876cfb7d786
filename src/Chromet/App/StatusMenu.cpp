#include "Chromet/App/StatusMenu.h"

#include "Chromet/App/MenuSwatch.h"
#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Library/Library.h"
#include "Chromet/Library/PaletteExport.h"
#include "OrinMenuBar/ClosureMenuItem.h"

#include <QKeySequence>
#include <QMenu>

#include <algorithm>
#include <memory>

namespace {

using SharedActions = std::shared_ptr<const MenuActions>;

// Every item holds the actions through one shared copy, and the arguments by value.
template <typename Function, typename... Args>
std::function<void()> run(const SharedActions &actions, Function MenuActions::*member,
                          Args... args) {
    return [actions, member, args...] {
        if (const Function &function = (*actions).*member)
            function(args...);
    };
}

// User text as a literal menu title: "&" would otherwise mark a mnemonic and a tab would split
// the title into text and shortcut.
QString literal(QString text) {
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return text;
}

// The format text with " ≈" for an inexact Tailwind name. Only cssVariable uses the name, and only
// tailwind carries the marker.
QString labelText(ColorFormat format, const PickedColor &color, const std::optional<QString> &name,
                  bool lowercaseHex) {
    if (format == ColorFormat::tailwind)
        return ColorFormats::labelText(format, color, lowercaseHex);
    return ColorFormats::format(format, color, name, lowercaseHex);
}

QMenu *addSubmenu(QMenu *menu, const QString &title, const QIcon &icon = {}) {
    return menu->addMenu(icon, title);
}

void addDisabled(QMenu *menu, const QString &title) {
    menu->addAction(title)->setEnabled(false);
}

// "Copy " + the default format's text, then every format's label text with its display name as
// tooltip, each copying that format.
void addCopyItems(QMenu *menu, const PickedColor &color, const std::optional<QString> &name,
                  const MenuSettings &settings, const SharedActions &actions) {
    const ColorFormat defaultFormat = settings.defaultFormat;
    addItem(menu,
            QStringLiteral("Copy ") %
                literal(ColorFormats::format(defaultFormat, color, name, settings.lowercaseHex)),
            {}, run(actions, &MenuActions::copy, color, defaultFormat, name));
    menu->addSeparator();
    for (ColorFormat format : ColorFormats::allCases()) {
        ClosureMenuItem *item =
            addItem(menu, literal(labelText(format, color, name, settings.lowercaseHex)), {},
                    run(actions, &MenuActions::copy, color, format, name));
        item->setToolTip(ColorFormats::displayName(format));
    }
    menu->setToolTipsVisible(true);
    menu->addSeparator();
}

void addHistoryColor(QMenu *menu, const PickedColor &color, const QList<Palette> &palettes,
                     const MenuSettings &settings, const SharedActions &actions) {
    QMenu *submenu = addSubmenu(
        menu,
        literal(labelText(settings.defaultFormat, color, std::nullopt, settings.lowercaseHex)),
        MenuSwatch::icon(color.srgb));
    addCopyItems(submenu, color, std::nullopt, settings, actions);

    QMenu *pinTo = addSubmenu(submenu, QStringLiteral("Pin to"));
    for (const Palette &palette : palettes) {
        ClosureMenuItem *item = addItem(pinTo, literal(palette.name), {},
                                        run(actions, &MenuActions::pin, color, palette.id));
        const bool holdsColor =
            std::any_of(palette.colors.cbegin(), palette.colors.cend(),
                        [&color](const NamedColor &named) { return named.color == color; });
        item->setEnabled(!holdsColor);
    }
    pinTo->addSeparator();
    addItem(pinTo, QStringLiteral("New Palette\u2026"), {},
            run(actions, &MenuActions::pinToNewPalette, color));

    addItem(submenu, QStringLiteral("Delete"), {},
            run(actions, &MenuActions::deleteFromHistory, color));
}

void addPalette(QMenu *menu, const Palette &palette, const MenuSettings &settings,
                const SharedActions &actions) {
    QMenu *submenu = addSubmenu(menu, literal(palette.name));
    if (palette.colors.isEmpty())
        addDisabled(submenu, QStringLiteral("No colors yet"));
    for (const NamedColor &named : palette.colors) {
        QMenu *colorMenu =
            addSubmenu(submenu, literal(named.name), MenuSwatch::icon(named.color.srgb));
        addCopyItems(colorMenu, named.color, named.name, settings, actions);
        addItem(colorMenu, QStringLiteral("Rename\u2026"), {},
                run(actions, &MenuActions::renameColor, named, palette));
        addItem(colorMenu, QStringLiteral("Remove"), {},
                run(actions, &MenuActions::removeColor, named, palette));
    }
    submenu->addSeparator();

    QMenu *exportMenu = addSubmenu(submenu, QStringLiteral("Export"));
    exportMenu->menuAction()->setEnabled(!palette.colors.isEmpty());
    for (ExportFormat format : PaletteExport::allCases()) {
        QMenu *formatMenu = addSubmenu(exportMenu, PaletteExport::menuLabel(format));
        addItem(formatMenu, QStringLiteral("Copy"), {},
                run(actions, &MenuActions::exportCopy, palette, format));
        addItem(formatMenu, QStringLiteral("Save\u2026"), {},
                run(actions, &MenuActions::exportSave, palette, format));
    }
    addItem(submenu, QStringLiteral("Rename Palette\u2026"), {},
            run(actions, &MenuActions::renamePalette, palette));
    addItem(submenu, QStringLiteral("Delete Palette"), {},
            run(actions, &MenuActions::deletePalette, palette));
}

} // namespace

void buildStatusMenu(QMenu *menu, const QList<PickedColor> &history, const QList<Palette> &palettes,
                     const MenuSettings &settings, const MenuActions &menuActions) {
    const auto actions = std::make_shared<const MenuActions>(menuActions);

    // After a tab the shortcut goes to the menu's shortcut column, lined up with "Settings…".
    addItem(menu, QStringLiteral("Pick Color\t") % literal(settings.hotKey.displayString()), {},
            run(actions, &MenuActions::pick));
    menu->addSeparator();

    menu->addSection(QStringLiteral("Recent"));
    if (history.isEmpty())
        addDisabled(menu, QStringLiteral("No colors yet"));
    for (qsizetype i = 0; i < std::min<qsizetype>(history.size(), Library::historyLimit); ++i)
        addHistoryColor(menu, history.at(i), palettes, settings, actions);
    if (!actions->isLibrarySaving)
        addDisabled(menu, QStringLiteral("History isn't being saved"));
    menu->addSeparator();

    for (const Palette &palette : palettes)
        addPalette(menu, palette, settings, actions);

    addItem(menu, QStringLiteral("Contrast\u2026"), {}, run(actions, &MenuActions::contrast));

    QMenu *formats = addSubmenu(menu, QStringLiteral("Default Format"));
    for (ColorFormat format : ColorFormats::allCases()) {
        ClosureMenuItem *item = addItem(formats, ColorFormats::displayName(format), {},
                                        run(actions, &MenuActions::setDefaultFormat, format));
        item->setCheckable(true);
        item->setChecked(format == settings.defaultFormat);
    }
    menu->addSeparator();

    addItem(menu, QStringLiteral("Clear History"), {}, run(actions, &MenuActions::clearHistory))
        ->setEnabled(!history.isEmpty());
    addItem(menu, QStringLiteral("Settings\u2026"), QKeySequence(Qt::CTRL | Qt::Key_Comma),
            run(actions, &MenuActions::openSettings));
    menu->addSeparator();

    if (actions->updatesAvailable) {
        addItem(menu, QStringLiteral("Check for Updates\u2026"), {},
                run(actions, &MenuActions::checkForUpdates));
        menu->addSeparator();
    }
    addItem(menu, QStringLiteral("Quit Chromet"), QKeySequence(Qt::CTRL | Qt::Key_Q),
            run(actions, &MenuActions::quit));
}
