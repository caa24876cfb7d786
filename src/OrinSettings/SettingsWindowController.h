#pragma once

#include "OrinSettings/SettingsAppInfo.h"
#include "OrinSettings/SettingsPage.h"
#include "OrinSettings/SettingsWindow.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class MainMenu;
class SettingsRouter;
class SettingsToolbar;
class Updater;

// Owns the settings window: the application's pages with the About page after them, the router
// holding the selected page and the search, and the window itself, made on the first show() and
// kept (closing hides it). Main thread only.
class SettingsWindowController : public QObject {
    Q_OBJECT

public:
    // `updater` (may be null) goes to the About page and must outlive the controller. The
    // general page gets the shared keywords; the list is fixed from here on. No window yet.
    SettingsWindowController(const SettingsAppInfo &app, Updater *updater,
                             const QList<SettingsPage> &appPages, QObject *parent = nullptr);
    ~SettingsWindowController() override;

    const SettingsAppInfo &app() const { return m_app; }
    const QList<SettingsPage> &pages() const { return m_pages; }
    SettingsRouter *router() const { return m_router; }
    // Made on first use.
    SettingsToolbar *toolbar();
    // Null until the first show().
    SettingsWindow *window() const { return m_window; }

    // The application's standing commands (quit, close, edit) for the window, installed when it
    // is made. Optional; the menu must outlive the controller.
    void setMainMenu(const MainMenu *menu);

    // With a page id: clears the search and selects that page (or the one resolve() picks).
    // Without one, the window keeps its page and search. Makes the window on first use, titles it
    // after the page, and brings it to the front with the focus.
    void show(const std::optional<QString> &page = std::nullopt);

    // The title for a page id: the page's title, or "Settings" when no page has that id.
    QString titleFor(const QString &page) const;

private:
    void makeWindow();

    SettingsAppInfo m_app;
    QList<SettingsPage> m_pages;
    SettingsRouter *m_router = nullptr;
    SettingsToolbar *m_toolbar = nullptr;
    QPointer<SettingsWindow> m_window;
    const MainMenu *m_mainMenu = nullptr;
};
