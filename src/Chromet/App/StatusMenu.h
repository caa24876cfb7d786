#pragma once

#include "Chromet/App/MenuActions.h"
#include "Chromet/App/MenuSettings.h"
#include "Chromet/Color/PickedColor.h"
#include "Chromet/Library/Palette.h"

#include <QList>

class QMenu;

// Fills the (empty) status menu from the history (most recent first), the palettes, the settings
// and the actions: Pick Color, the recent colors with every format each, the palettes with their
// colors and export, Contrast, Default Format, Clear History, Settings and Quit. Every item's
// closure holds the colors, palettes and formats of this moment.
void buildStatusMenu(QMenu *menu, const QList<PickedColor> &history, const QList<Palette> &palettes,
                     const MenuSettings &settings, const MenuActions &actions);
