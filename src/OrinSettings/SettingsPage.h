#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// One page of the settings window. Pages are identified by id alone: two pages with the same id
// are the same page.
struct SettingsPage {
    // Builds a fresh, parentless content widget each time the page is shown; the caller owns it.
    using Content = std::function<QWidget *()>;

    QString id;
    QString title;
    // Name of the symbol drawn in the page's icon ("gearshape.fill").
    QString symbol;
    QColor tint;
    // Extra words that search matches besides the title.
    QStringList keywords;
    Content content;

    friend bool operator==(const SettingsPage &a, const SettingsPage &b) { return a.id == b.id; }
};
