#pragma once

#include "OrinSettings/SettingsPage.h"

#include <QList>
#include <QWidget>

class QLabel;
class QListWidget;
class QStackedLayout;
class SettingsRouter;

// The page list: the pages that match the search, each with its icon and title, the selected
// one bound to the router's page; "No matches" when none match. Searching only narrows the
// list: it never changes the selected page.
class SettingsSidebar : public QWidget {
    Q_OBJECT

public:
    SettingsSidebar(SettingsRouter *router, const QList<SettingsPage> &pages,
                    QWidget *parent = nullptr);

    // The ids of the listed rows, in order.
    QStringList rowIds() const;
    QStringList rowTitles() const;
    // The id of the selected row; empty when none is selected (e.g. it is filtered out).
    QString selectedId() const;
    bool showsNoMatches() const;

    QListWidget *list() const { return m_list; }
    QLabel *noMatchesLabel() const { return m_noMatches; }

private:
    void rebuild();
    void selectCurrentPage();

    SettingsRouter *m_router = nullptr;
    QList<SettingsPage> m_pages;
    QListWidget *m_list = nullptr;
    QLabel *m_noMatches = nullptr;
    QStackedLayout *m_stack = nullptr;
    bool m_updating = false;
};
