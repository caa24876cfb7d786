#pragma once

#include "OrinSettings/SettingsPage.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Orders, completes, searches and resolves the settings window's page list. No display needed.
class PageAssembly {
public:
    PageAssembly() = delete;

    static QString generalID() { return QStringLiteral("general"); }
    static QString aboutID() { return QStringLiteral("about"); }
    // Words every application's general page answers to, whatever its own keywords.
    static const QStringList &sharedGeneralKeywords();

    // The general page gets each shared keyword it does not yet hold (compared ignoring case)
    // appended in order; every other page and every other field stays as it is.
    static QList<SettingsPage> withSharedGeneralKeywords(QList<SettingsPage> pages);

    // The application's pages in their order, then the About page. The list is fixed when the
    // program is built, so a repeated id is a programming error and stops the program.
    static QList<SettingsPage> assemble(const QList<SettingsPage> &appPages,
                                        const SettingsPage &about);

    // Pages whose title or any keyword contains the query (trimmed, ignoring case), in order;
    // a blank query keeps every page. Ids are not searched.
    static QList<SettingsPage> filter(const QList<SettingsPage> &pages, const QString &query);

    // The page to show for `id`: that page if it exists, else "general" when the list is empty
    // or holds it, else the first page.
    static QString resolve(const std::optional<QString> &id, const QList<SettingsPage> &pages);

    // The page with `id`, or null.
    static const SettingsPage *find(const QList<SettingsPage> &pages, const QString &id);
};
