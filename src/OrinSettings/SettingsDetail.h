#pragma once

#include "OrinSettings/SettingsPage.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QScrollArea;
class SettingsRouter;

// The content of the router's page; of "general" when no page has that id, else nothing. The
// content is built when its page is selected and kept while it stays selected.
class SettingsDetail : public QWidget {
    Q_OBJECT

public:
    SettingsDetail(SettingsRouter *router, const QList<SettingsPage> &pages,
                   QWidget *parent = nullptr);

    // The id of the page shown, empty when none.
    QString shownPage() const { return m_shown; }
    QWidget *content() const { return m_content; }

private:
    void showRouterPage();

    SettingsRouter *m_router = nullptr;
    QList<SettingsPage> m_pages;
    QScrollArea *m_scroll = nullptr;
    QPointer<QWidget> m_content;
    QString m_shown;
};
