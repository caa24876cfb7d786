#include "OrinSettings/PageAssembly.h"

#include <QSet>

#include <cstdlib>

const QStringList &PageAssembly::sharedGeneralKeywords() {
    static const QStringList keywords{
        QStringLiteral("shortcut"), QStringLiteral("hotkey"),     QStringLiteral("launch"),
        QStringLiteral("login"),    QStringLiteral("startup"),    QStringLiteral("dock"),
        QStringLiteral("menu bar"), QStringLiteral("permission"), QStringLiteral("permissions"),
        QStringLiteral("sound"),
    };
    return keywords;
}

QList<SettingsPage> PageAssembly::withSharedGeneralKeywords(QList<SettingsPage> pages) {
    for (SettingsPage &page : pages) {
        if (page.id != generalID())
            continue;
        QSet<QString> present;
        for (const QString &keyword : std::as_const(page.keywords))
            present.insert(keyword.toLower());
        for (const QString &keyword : sharedGeneralKeywords()) {
            if (present.contains(keyword.toLower()))
                continue;
            page.keywords.append(keyword);
            present.insert(keyword.toLower());
        }
    }
    return pages;
}

QList<SettingsPage> PageAssembly::assemble(const QList<SettingsPage> &appPages,
                                           const SettingsPage &about) {
    QList<SettingsPage> pages = appPages;
    pages.append(about);
    QSet<QString> ids;
    for (const SettingsPage &page : std::as_const(pages)) {
        if (ids.contains(page.id))
            qFatal("settings page id \"%s\" appears twice", qPrintable(page.id));
        ids.insert(page.id);
    }
    return pages;
}

QList<SettingsPage> PageAssembly::filter(const QList<SettingsPage> &pages, const QString &query) {
    const QString needle = query.trimmed().toLower();
    if (needle.isEmpty())
        return pages;
    QList<SettingsPage> kept;
    for (const SettingsPage &page : pages) {
        bool matches = page.title.toLower().contains(needle);
        for (qsizetype i = 0; !matches && i < page.keywords.size(); ++i)
            matches = page.keywords.at(i).toLower().contains(needle);
        if (matches)
            kept.append(page);
    }
    return kept;
}

QString PageAssembly::resolve(const std::optional<QString> &id, const QList<SettingsPage> &pages) {
    if (id && find(pages, *id))
        return *id;
    if (pages.isEmpty() || find(pages, generalID()))
        return generalID();
    return pages.first().id;
}

const SettingsPage *PageAssembly::find(const QList<SettingsPage> &pages, const QString &id) {
    for (const SettingsPage &page : pages) {
        if (page.id == id)
            return &page;
    }
    return nullptr;
}
