#pragma once

#include "OrinSettings/SettingsPage.h"

#include <QList>
#include <QWidget>

class QLineEdit;
class SettingsDetail;
class SettingsRouter;
class SettingsSidebar;
class SettingsToolbar;

// The settings window: 720 x 540, not resizable; a 220-wide sidebar with the search field in the
// toolbar strip above it, and the selected page's content beside it. Closing only hides it.
class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int contentWidth = 720;
    static constexpr int contentHeight = 540;
    static constexpr int sidebarWidth = 220;

    SettingsWindow(SettingsRouter *router, SettingsToolbar *toolbar,
                   const QList<SettingsPage> &pages, QWidget *parent = nullptr);

    SettingsSidebar *sidebar() const { return m_sidebar; }
    SettingsDetail *detail() const { return m_detail; }
    QLineEdit *searchField() const { return m_search; }
    QWidget *sidebarColumn() const { return m_sidebarColumn; }

private:
    SettingsSidebar *m_sidebar = nullptr;
    SettingsDetail *m_detail = nullptr;
    QLineEdit *m_search = nullptr;
    QWidget *m_sidebarColumn = nullptr;
};
